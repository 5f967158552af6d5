#pragma once

#include "tabstracttouchlist.h"

#include <QRect>
#include <QVector>

class TTouchListColumnDesc;

// General-purpose touch list: 58 px rows whose texts are laid out in columns
// described once for the whole list.
class TColumnsTouchList : public TAbstractTouchList
{
    Q_OBJECT
public:
    explicit TColumnsTouchList(QObject *parent = nullptr);

    void addColumn(TTouchListColumnDesc *column);
    const QList<TTouchListColumnDesc *> &columns() const { return m_columns; }
    int totalWidth() const;
    // The columns' rectangles in a row; spare room goes to the columns in
    // order, each up to its maximum width.
    QVector<QRect> columnRects(const QRect &rowRect) const;

private:
    QList<TTouchListColumnDesc *> m_columns;
};
