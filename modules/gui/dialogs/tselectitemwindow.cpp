#include "tselectitemwindow.h"

#include "tcolumnstouchlist.h"
#include "ttouchlistwidget.h"
#include "twindowtoppanel.h"

#include <QVBoxLayout>

TSelectItemWindow::TSelectItemWindow(const QString &heading, const QString &iconName, TColumnsTouchList *list)
    : TAbstractSubWindow(2, 0)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_topPanel = new TWindowTopPanel(this, heading, iconName, true, true);
    m_listWidget = new TTouchListWidget(this);
    m_listWidget->setList(list);
    if (list) {
        m_listWidget->setMinimumWidth(list->totalWidth());
        m_listWidget->setFixedHeight(qMin(list->totalHeight(), 464));
        connect(list, SIGNAL(itemClicked(int)), this, SLOT(handleItemClicked(int)));
    }
    layout->addWidget(m_topPanel);
    layout->addWidget(m_listWidget);
}

void TSelectItemWindow::handleItemClicked(int itemId)
{
    emit selected(itemId);
    close();
}
