#pragma once

#include <QToolButton>

class QTimeLine;

// An image button with its text under the image that can fade in and out.
class TIconButton : public QToolButton
{
    Q_OBJECT
public:
    TIconButton(const QString &text, const QString &iconName, QWidget *parent = nullptr);

    QString iconName() const { return m_iconName; }
    void setIconName(const QString &iconName);
    qreal opacity() const { return m_opacity; }
    QTimeLine *fadeTimeLine() const { return m_timeLine; }

    void fadeShow();
    void fadeHide();

public slots:
    void updateFadeStep(qreal val);
    void debugTIconButtonClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void makeTimeLine();

    QString m_iconName;
    qreal m_opacity = 1.0;
    QTimeLine *m_timeLine = nullptr;
};
