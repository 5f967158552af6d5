#include "tlistcolumndesc.h"

TListColumnDesc::TListColumnDesc(int type, int minWidth, int maxWidth, int leftMargin, QObject *parent)
    : QObject(parent)
    , m_type(type)
    , m_minWidth(minWidth)
    , m_maxWidth(maxWidth)
    , m_leftMargin(leftMargin)
{
    if ((m_type == 4 || m_type == 5) && m_minWidth < 58)
        m_minWidth = 58;
    if (m_minWidth > m_maxWidth)
        m_maxWidth = m_minWidth;
}

bool TListColumnDesc::isShown(bool alternate, bool hostsWidgets) const
{
    if (m_type == 5 && !hostsWidgets)
        return false;
    if (m_visibility == 0)
        return alternate;
    if (m_visibility == 1)
        return !alternate;
    return true;
}

QVector<QRect> TListColumnDesc::layout(const QList<TListColumnDesc *> &columns, const QRect &rowRect, bool alternate,
                                       bool hostsWidgets)
{
    QVector<QRect> rects;
    auto span = [&rowRect](int left, int right) {
        return QRect(QPoint(left, rowRect.top()), QPoint(right, rowRect.bottom()));
    };
    int prevRight = rowRect.left() - 1;
    for (TListColumnDesc *column : columns) {
        if (!column->isShown(alternate, hostsWidgets)) {
            rects << span(prevRight, prevRight);
            continue;
        }
        const int left = prevRight + column->leftMargin();
        const int right = qMin(left + column->minWidth() - 1, rowRect.right());
        rects << span(left, right);
        prevRight = right;
    }
    int extra = rowRect.right() - prevRight;
    if (extra < 1)
        return rects;
    rects.clear();
    prevRight = rowRect.left() - 1;
    for (TListColumnDesc *column : columns) {
        if (!column->isShown(alternate, hostsWidgets)) {
            rects << span(prevRight, prevRight);
            continue;
        }
        const int left = prevRight + column->leftMargin();
        int right;
        const int growth = column->maxWidth() - column->minWidth();
        if (extra >= growth) {
            right = left + column->maxWidth() - 1;
            extra -= growth;
        } else {
            right = left + column->minWidth() + extra - 1;
            extra = 0;
        }
        rects << span(left, right);
        prevRight = right;
    }
    return rects;
}
