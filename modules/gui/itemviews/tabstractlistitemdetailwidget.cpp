#include "tabstractlistitemdetailwidget.h"

#include "tlistitem.h"
#include "tlistitemview.h"
#include "tlistwidget.h"

#include <QVBoxLayout>

TAbstractListItemDetailWidget::TAbstractListItemDetailWidget(TListWidget *pList, QWidget *parent)
    : QFrame(parent)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_rowWidget = new TListItemView(pList, nullptr, false, this);
    m_layout->addWidget(m_rowWidget);
}

void TAbstractListItemDetailWidget::updateDetails(TListItem *pListItem)
{
    m_rowWidget->setItem(pListItem);
    emit setDetails(pListItem);
}
