#include "tcolumnstouchlist.h"

#include "ttouchlistcolumndesc.h"

TColumnsTouchList::TColumnsTouchList(QObject *parent)
    : TAbstractTouchList(parent, 1)
{
}

void TColumnsTouchList::addColumn(TTouchListColumnDesc *column)
{
    if (!column->parent())
        column->setParent(this);
    m_columns.append(column);
}

int TColumnsTouchList::totalWidth() const
{
    int sum = 0;
    for (TTouchListColumnDesc *column : m_columns)
        sum += column->spacing() + column->width();
    return sum;
}

QVector<QRect> TColumnsTouchList::columnRects(const QRect &rowRect) const
{
    QVector<QRect> rects;
    int prevRight = rowRect.left() - 1;
    for (TTouchListColumnDesc *column : m_columns) {
        const int left = prevRight + column->spacing();
        const int right = qMin(left + column->width() - 1, rowRect.right());
        rects << QRect(QPoint(left, rowRect.top()), QPoint(right, rowRect.bottom()));
        prevRight = right;
    }
    int extra = rowRect.right() - prevRight;
    if (extra >= 1) {
        rects.clear();
        prevRight = rowRect.left() - 1;
        for (TTouchListColumnDesc *column : m_columns) {
            const int left = prevRight + column->spacing();
            int right;
            if (extra >= column->maxWidth() - column->width()) {
                right = left + column->maxWidth() - 1;
                extra -= column->maxWidth() - column->width();
            } else {
                right = left + column->width() + extra - 1;
                extra = 0;
            }
            rects << QRect(QPoint(left, rowRect.top()), QPoint(right, rowRect.bottom()));
            prevRight = right;
        }
    }
    return rects;
}
