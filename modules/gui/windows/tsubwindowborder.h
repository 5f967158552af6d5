#pragma once

#include <QWidget>

class QTimer;

// The soft frame around a shown sub-window; in distress mode it blinks red.
class TSubWindowBorder : public QWidget
{
    Q_OBJECT
public:
    explicit TSubWindowBorder(QWidget *parent = nullptr);

    void setDistress(bool on);
    void setFrameParameters(int frameWidth, qreal outerStop, qreal middleStop, qreal innerStop);

    bool blinkPhase() const { return m_blinkPhase; }
    qreal middleStop() const { return m_middleStop; }
    QTimer *blinkTimer() const { return m_blinkTimer; }

public slots:
    void distressTimeout();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_frameWidth = 25;
    bool m_blinkPhase = false;
    qreal m_outerStop = 1.0;
    qreal m_middleStop = 0.25;
    qreal m_innerStop = 0.2;
    QTimer *m_blinkTimer = nullptr;
};
