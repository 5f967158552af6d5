#pragma once

#include <QList>
#include <QObject>

class QPropertyAnimation;
class TActivityWidget;

// Drives every activity spinner with one shared angle, so all turn in step.
class TActivityAnimator : public QObject
{
    Q_OBJECT
    Q_PROPERTY(qreal angle READ angle WRITE setAngle)
public:
    static TActivityAnimator *instance();

    void setBusy(TActivityWidget *widget);
    void clearBusy(TActivityWidget *widget);

    qreal angle() const { return m_angle; }
    void setAngle(qreal angle);

    QPropertyAnimation *animation() const { return m_animation; }
    int registeredCount() const { return m_widgets.size(); }

private:
    TActivityAnimator();

    QList<TActivityWidget *> m_widgets;
    qreal m_angle = 0.0;
    QPropertyAnimation *m_animation = nullptr;
};
