#include "tsubwindowborder.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTimer>

TSubWindowBorder::TSubWindowBorder(QWidget *parent)
    : QWidget(parent)
{
}

void TSubWindowBorder::setDistress(bool on)
{
    m_blinkPhase = on;
    if (!m_blinkTimer) {
        m_blinkTimer = new QTimer(this);
        m_blinkTimer->setInterval(500);
        connect(m_blinkTimer, &QTimer::timeout, this, &TSubWindowBorder::distressTimeout);
    }
    if (on) {
        m_blinkTimer->start();
        m_middleStop = 0.6;
    } else {
        m_blinkTimer->stop();
        m_middleStop = 0.25;
    }
}

void TSubWindowBorder::distressTimeout()
{
    m_blinkPhase = !m_blinkPhase;
    m_middleStop = m_blinkPhase ? 0.6 : 0.25;
    update();
}

void TSubWindowBorder::setFrameParameters(int frameWidth, qreal outerStop, qreal middleStop, qreal innerStop)
{
    m_frameWidth = frameWidth;
    m_outerStop = outerStop;
    m_middleStop = middleStop;
    m_innerStop = innerStop;
    update();
}

void TSubWindowBorder::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor b = painter.background().color();
    const QColor p = m_blinkPhase ? QColor(255, 0, 0, 255) : painter.pen().color();
    const QColor t(0, 0, 0, 0);
    const int w = m_frameWidth;
    const int W = width();
    const int H = height();
    painter.setPen(Qt::NoPen);

    auto withStops = [&](QGradient &g) {
        g.setColorAt(m_innerStop, b);
        g.setColorAt(m_middleStop, p);
        g.setColorAt(m_outerStop, t);
    };

    painter.fillRect(QRect(w, w, W - 2 * w, H - 2 * w), b);

    const QPoint centres[4] = {QPoint(w, w), QPoint(W - w, w), QPoint(w, H - w), QPoint(W - w, H - w)};
    const QRect corners[4] = {QRect(0, 0, w, w), QRect(W - w, 0, w, w), QRect(0, H - w, w, w),
                              QRect(W - w, H - w, w, w)};
    for (int i = 0; i < 4; ++i) {
        QRadialGradient g(centres[i], w, centres[i]);
        withStops(g);
        painter.fillRect(corners[i], g);
    }
    if (H > 2 * w) {
        QLinearGradient left(w, 0, 0, 0);
        withStops(left);
        painter.fillRect(QRect(0, w, w, H - 2 * w), left);
        QLinearGradient right(W - w, 0, W, 0);
        withStops(right);
        painter.fillRect(QRect(W - w, w, w, H - 2 * w), right);
    }
    if (W > 2 * w) {
        QLinearGradient top(0, w, 0, 0);
        withStops(top);
        painter.fillRect(QRect(w, 0, W - 2 * w, w), top);
        QLinearGradient bottom(0, H - w, 0, H);
        withStops(bottom);
        painter.fillRect(QRect(w, H - w, W - 2 * w, w), bottom);
    }
}
