#include "tlistview.h"

#include "tlistwidget.h"

#include <QScrollBar>
#include <QWheelEvent>

TListView::TListView(TListWidget *pList)
    : QWidget(pList)
    , m_list(pList)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TListView::wheelEvent(QWheelEvent *event)
{
    QScrollBar *bar = m_list->scrollBar();
    bar->setSliderPosition(bar->sliderPosition() - (3 * event->angleDelta().y()) / 120);
    event->accept();
}

void TListView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_list->updateViewGeometry();
}

void TListView::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    m_list->paintEmptyListText(this);
}
