#include "tanimationpixmapwidget.h"

#include <QPainter>

TAnimationPixmapWidget::TAnimationPixmapWidget(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFrameShadow(QFrame::Plain);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TAnimationPixmapWidget::setFrontGeometry(const QRect &rect)
{
    m_frontGeometry = rect;
    update();
}

void TAnimationPixmapWidget::setMiddelGeometry(const QRect &rect)
{
    m_middelGeometry = rect;
    update();
}

void TAnimationPixmapWidget::setFrontOpacity(qreal opacity)
{
    m_frontOpacity = opacity;
    update();
}

void TAnimationPixmapWidget::setMiddelOpacity(qreal opacity)
{
    m_middelOpacity = opacity;
    update();
}

void TAnimationPixmapWidget::setFrontPixmap(const QPixmap &pixmap)
{
    m_frontPixmap = pixmap;
    update();
}

void TAnimationPixmapWidget::setBackgroundPixmap(const QPixmap &pixmap)
{
    m_backgroundPixmap = pixmap;
    update();
}

void TAnimationPixmapWidget::setPixmaps(const QPixmap &front, const QPixmap &background)
{
    m_frontPixmap = front;
    m_backgroundPixmap = background;
    update();
}

void TAnimationPixmapWidget::setMiddlePixmap(const QPixmap &pixmap)
{
    m_middlePixmap = pixmap;
    m_middelGeometry = QRect(QPoint(0, 0), pixmap.size());
    update();
}

void TAnimationPixmapWidget::paintEvent(QPaintEvent *)
{
    const qreal m = m_middelOpacity;
    const qreal f = m_frontOpacity;
    QPainter painter(this);
    if (!m_backgroundPixmap.isNull()) {
        painter.setOpacity(1.0);
        painter.drawPixmap(0, 0, m_backgroundPixmap);
        if (m < 1.0) {
            painter.setOpacity(1.0 - m);
            painter.drawPixmap(0, 0, m_backgroundPixmap);
        }
    }
    if (m > 0 && !m_middlePixmap.isNull()
        && !(f >= 1.0 && !m_frontPixmap.isNull() && m_frontGeometry.contains(m_middelGeometry))) {
        painter.setOpacity(m);
        painter.drawPixmap(m_middelGeometry, m_middlePixmap);
    }
    if (!m_frontPixmap.isNull()) {
        painter.setOpacity(f);
        painter.drawPixmap(m_frontGeometry, m_frontPixmap);
    }
}
