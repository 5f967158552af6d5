#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QPropertyAnimation;
class QSequentialAnimationGroup;
class QWidget;

// Makes icon buttons flash: one endless fade in / fade out shared by every
// registered button, quick at first and settling to one second each way.
class TFlashAnimator : public QObject
{
    Q_OBJECT
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)
public:
    explicit TFlashAnimator(QObject *parent);

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal value);

    void addWidget(QWidget *widget);
    void parkWidget(QWidget *widget);
    void removeWidget(QWidget *widget);

    QSequentialAnimationGroup *group() const { return m_group; }
    int fadeDuration() const;
    int runningCount() const { return m_running.size(); }
    int parkedCount() const { return m_parked.size(); }

public slots:
    void handleLoopChanged(int loop);

private:
    QList<QPointer<QWidget>> m_running;
    QList<QPointer<QWidget>> m_parked;
    qreal m_opacity = 0.0;
    QPropertyAnimation *m_fadeIn;
    QPropertyAnimation *m_fadeOut;
    QSequentialAnimationGroup *m_group;
};
