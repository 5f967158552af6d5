#include "tfadeboarder.h"

#include "tstylesheet.h"

#include <QPainter>

TFadeBoarder::TFadeBoarder(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TFadeBoarder::setTopFadeVisible(bool visible)
{
    if (visible == m_topFadeVisible)
        return;
    m_topFadeVisible = visible;
    update();
}

void TFadeBoarder::setBottomFadeVisible(bool visible)
{
    if (visible == m_bottomFadeVisible)
        return;
    m_bottomFadeVisible = visible;
    update();
}

void TFadeBoarder::paintEvent(QPaintEvent *)
{
    if (!m_topFadeVisible && !m_bottomFadeVisible)
        return;
    QPainter painter(this);
    if (m_topFadeVisible) {
        const QPixmap top = TStyleSheet::instance()->getPixmap(QStringLiteral("zkgui_fade_border_top_20"), true);
        painter.drawPixmap(QRect(0, 0, width(), top.height()), top);
    }
    if (m_bottomFadeVisible) {
        const QPixmap bottom = TStyleSheet::instance()->getPixmap(QStringLiteral("zkgui_fade_border_bottom_20"), true);
        painter.drawPixmap(QRect(0, height() - bottom.height(), width(), bottom.height()), bottom);
    }
}
