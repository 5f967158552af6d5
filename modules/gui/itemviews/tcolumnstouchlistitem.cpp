#include "tcolumnstouchlistitem.h"

#include "tcolumnstouchlist.h"
#include "tstylesheet.h"
#include "ttouchlistcolumndesc.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

TColumnsTouchListItem::TColumnsTouchListItem(TColumnsTouchList *list, int id, const QString &text1,
                                             const QString &text2, const QString &text3)
    : TAbstractTouchListItem(list, id, true, true)
    , m_columnsList(list)
{
    for (const QString &text : {text1, text2, text3})
        if (!text.isNull())
            m_texts << text;
}

void TColumnsTouchListItem::paint(TTouchListPaintContext *context, const QRect &rowRect, const QPalette &palette)
{
    QPainter *painter = context->painter;
    const QFont savedFont = painter->font();

    QStyleOptionButton option;
    option.initFrom(context->widget);
    option.rect = rowRect;
    option.palette = palette;
    option.state = QStyle::State_None;
    if (m_enabled) {
        option.state |= QStyle::State_Enabled;
        if (m_selected)
            option.state |= QStyle::State_HasFocus;
        if (m_pressed)
            option.state |= QStyle::State_Sunken;
    }
    context->style->drawControl(QStyle::CE_PushButton, &option, painter, context->widget);

    const QVector<QRect> rects = m_columnsList->columnRects(rowRect);
    int t = 0;
    for (int i = 0; i < rects.size(); ++i) {
        TTouchListColumnDesc *column = m_columnsList->columns().at(i);
        const QRect &r = rects.at(i);
        if (column->type() < 0 || column->type() > 2)
            continue;
        if (t >= m_texts.size())
            continue;
        const QString text = m_texts.at(t++);
        if (column->type() == 0) {
            painter->setFont(column->font());
            const QString elided = painter->fontMetrics().elidedText(text, Qt::ElideRight, r.width());
            painter->drawText(r, int(column->alignment()), elided);
        } else if (column->type() == 1) {
            const QPixmap pixmap = TStyleSheet::instance()->getPixmap(text, true);
            painter->drawPixmap(r.left(), r.top() + (r.height() - pixmap.height()) / 2, pixmap);
        } else {
            painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter->drawPixmap(r.adjusted(0, 5, 0, -5), TStyleSheet::instance()->getPixmap(text, true));
        }
    }
    painter->setFont(savedFont);
}
