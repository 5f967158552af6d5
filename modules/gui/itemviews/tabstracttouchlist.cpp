#include "tabstracttouchlist.h"

#include "tabstracttouchlistitem.h"

TAbstractTouchList::TAbstractTouchList(QObject *parent, int focusMode)
    : QObject(parent)
    , m_focusMode(focusMode)
{
}

void TAbstractTouchList::addItem(TAbstractTouchListItem *item)
{
    m_items.append(item);
    emit updated();
}

void TAbstractTouchList::addItems(const QList<TAbstractTouchListItem *> &items)
{
    m_items.append(items);
    emit updated();
}

void TAbstractTouchList::forgetItem(TAbstractTouchListItem *item)
{
    if (item && item == m_trackedItem)
        m_trackedItem = nullptr;
    m_items.removeAll(item);
    delete item;
}

void TAbstractTouchList::removeItem(TAbstractTouchListItem *item)
{
    forgetItem(item);
    emit updated();
}

void TAbstractTouchList::removeItems(const QList<TAbstractTouchListItem *> &items)
{
    for (TAbstractTouchListItem *item : items)
        forgetItem(item);
    emit updated();
}

void TAbstractTouchList::clear()
{
    const QList<TAbstractTouchListItem *> old = m_items;
    m_items.clear();
    m_trackedItem = nullptr;
    qDeleteAll(old);
    emit updated();
}

void TAbstractTouchList::setWidth(int width)
{
    for (TAbstractTouchListItem *item : qAsConst(m_items))
        item->setWidth(width);
}

int TAbstractTouchList::totalHeight() const
{
    int sum = 0;
    for (TAbstractTouchListItem *item : m_items)
        sum += item->height();
    return sum;
}

void TAbstractTouchList::setTrackedItem(TAbstractTouchListItem *item)
{
    m_trackedItem = item;
    emit updated();
}
