#include "ttouchlistwidget.h"

#include "ttouchlistview.h"

#include <QStackedLayout>

TTouchListWidget::TTouchListWidget(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    auto *layout = new QStackedLayout(viewport());
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new TTouchListView(this);
    layout->addWidget(m_view);
    setFocusProxy(m_view);
}

TTouchListWidget::~TTouchListWidget()
{
    if (m_view->hasFocus())
        m_view->clearFocus();
}

void TTouchListWidget::setList(TAbstractTouchList *list)
{
    m_view->setList(list);
}
