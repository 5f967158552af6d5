#include "tabstracttouchlistitem.h"

#include "tabstracttouchlist.h"

#include <QKeyEvent>
#include <QPointer>

TAbstractTouchListItem::TAbstractTouchListItem(TAbstractTouchList *list, int id, bool selectable, bool pressable)
    : QObject(list)
    , m_id(id)
    , m_selectable(selectable)
    , m_pressable(pressable)
    , m_list(list)
{
}

void TAbstractTouchListItem::emitUpdated()
{
    if (m_list)
        m_list->emitUpdated();
}

bool TAbstractTouchListItem::press(const QPoint &, const QRect &)
{
    if (m_enabled && m_pressable) {
        m_pressed = true;
        emitUpdated();
    }
    return m_pressed;
}

void TAbstractTouchListItem::release(bool click, QPoint point)
{
    if (!m_pressed)
        return;
    m_pressed = false;
    if (click && m_list) {
        // A receiver may remove this row from its list.
        QPointer<TAbstractTouchListItem> self(this);
        emit m_list->itemClicked(m_id, point);
        if (!self)
            return;
    }
    emitUpdated();
}

bool TAbstractTouchListItem::select()
{
    if (m_enabled && m_selectable && !m_selected) {
        m_selected = true;
        emitUpdated();
    }
    return m_selected;
}

void TAbstractTouchListItem::deselect()
{
    if (!m_selected)
        return;
    m_selected = false;
    m_pressed = false;
    emitUpdated();
}

bool TAbstractTouchListItem::keyPress(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space || !m_enabled || !m_pressable)
        return false;
    if (event->isAutoRepeat())
        return true;
    m_pressed = true;
    emitUpdated();
    return true;
}

bool TAbstractTouchListItem::keyRelease(QKeyEvent *event, QPoint point)
{
    if (event->key() != Qt::Key_Space || !m_pressed || event->isAutoRepeat())
        return false;
    m_pressed = false;
    if (m_list) {
        QPointer<TAbstractTouchListItem> self(this);
        emit m_list->itemClicked(m_id, point);
        if (!self)
            return true;
    }
    emitUpdated();
    return true;
}

void TAbstractTouchListItem::setWidth(int)
{
}

QString TAbstractTouchListItem::toolTipText(const QPoint &, const QRect &)
{
    return QString();
}

void TAbstractTouchListItem::rightPress(const QPoint &, const QRect &)
{
    if (m_enabled && m_pressable)
        emitUpdated();
}
