#include "tverticalscrollarea.h"

#include "tfadeboarder.h"
#include "tviewport.h"

#include <QDebug>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>

TVerticalScrollArea::TVerticalScrollArea(QWidget *parent)
    : QScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The finger scrolls the content; like a plain widget the viewport fills
    // no background, so the page behind shows through.
    setViewport(new TViewPort(this));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_fadeBoarder = new TFadeBoarder(this);
    layout->addWidget(m_fadeBoarder);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TVerticalScrollArea::slicderValueChanged);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &TVerticalScrollArea::slicderRangeChanged);
}

TViewPort *TVerticalScrollArea::viewPort() const
{
    return static_cast<TViewPort *>(viewport());
}

void TVerticalScrollArea::slicderValueChanged(int value)
{
    m_fadeBoarder->setTopFadeVisible(value != verticalScrollBar()->minimum());
    m_fadeBoarder->setBottomFadeVisible(value != verticalScrollBar()->maximum());
}

void TVerticalScrollArea::slicderRangeChanged(int min, int max)
{
    const int value = verticalScrollBar()->value();
    m_fadeBoarder->setTopFadeVisible(min != value);
    m_fadeBoarder->setBottomFadeVisible(max != value);
}

void TVerticalScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    qDebug() << "TVerticalScrollArea::resizeEvent:" << event->size();
    if (QWidget *content = widget()) {
        qDebug() << "TVerticalScrollArea::resizeEvent: viewport width" << viewport()->width();
        content->setMaximumWidth(viewport()->width());
        content->updateGeometry();
    }
}
