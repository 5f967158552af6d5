#include "zelselectitemwindow.h"

#include "tabstracttouchlist.h"
#include "ttouchlistwidget.h"
#include "twindowtoppanel.h"

#include <QVBoxLayout>

ZelSelectItemWindow::ZelSelectItemWindow(const QString &heading, const QString &iconName, TAbstractTouchList *list)
    : TAbstractSubWindow(2, 0), touchList(list)
{
    touchList->setParent(this);
    setMinimumSize(400, 300);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new TWindowTopPanel(this, heading, iconName, false, true));
    listWidget = new TTouchListWidget(this);
    listWidget->setList(touchList);
    layout->addWidget(listWidget, 1);
    connect(touchList, &TAbstractTouchList::itemClicked, this, &ZelSelectItemWindow::handleItemClicked);
}

void ZelSelectItemWindow::handleItemClicked(int itemId)
{
    emit selected(itemId);
    close();
}
