#include "tlistitem.h"

#include "tlistwidget.h"

TListItem::TListItem(int id, const QString &text, TListWidget *pList)
    : QObject(pList)
    , m_list(pList)
    , m_id(id)
    , m_texts{text}
{
}

void TListItem::setChecked(bool checked)
{
    if (checked == m_checked)
        return;
    m_checked = checked;
    if (m_list)
        m_list->handleItemToggled(this);
    emit updated();
}

void TListItem::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    emit updated();
}
