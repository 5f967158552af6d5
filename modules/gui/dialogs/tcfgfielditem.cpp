#include "tcfgfielditem.h"

#include "tstylesheet.h"

#include <QPainter>

TCfgFieldItem::TCfgFieldItem(const QString &label, QWidget *parent, int kind, int labelWidth)
    : QWidget(parent)
    , m_labelWidth(labelWidth)
    , m_kind(kind)
    , m_label(label)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
}

void TCfgFieldItem::setIconName(const QString &value)
{
    if (value == m_value)
        return;
    m_value = value;
    updateGeometry();
    update();
}

void TCfgFieldItem::setChecked(bool checked)
{
    if (m_kind == CheckRow)
        setIconName(checked ? QStringLiteral("zkgui_check_ok") : QStringLiteral("zkgui_check_fail"));
    else
        setIconName(checked ? QStringLiteral("zkgui_mark_checked") : QStringLiteral("zkgui_mark_normal"));
}

QSize TCfgFieldItem::sizeHint() const
{
    const int w = fontMetrics().horizontalAdvance(m_value);
    const int width = m_labelWidth >= 1 ? 20 + w + m_labelWidth : 20 + 2 * w;
    return QSize(width, fontMetrics().height());
}

QSize TCfgFieldItem::minimumSizeHint() const
{
    return sizeHint();
}

int TCfgFieldItem::labelColumnWidth(int rowWidth) const
{
    if (m_labelWidth >= 1 && m_labelWidth + 20 < rowWidth)
        return m_labelWidth;
    return (rowWidth - 20) / 2;
}

void TCfgFieldItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    const int L = labelColumnWidth(r.width());
    const QRect labelRect(r.left(), r.top(), L, r.height());
    const QRect valueRect(r.left() + L + 20, r.top(), r.width() - L - 20, r.height());
    if (m_kind != MarkRow && m_kind != CheckRow) {
        p.drawText(valueRect, Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(m_value, Qt::ElideRight, valueRect.width()));
    } else if (!m_value.isEmpty()) {
        const QPixmap image = TStyleSheet::instance()->getPixmap(m_value);
        p.drawPixmap(valueRect.left(), r.top() + (r.height() - image.height()) / 2 + 1, image);
    }
    QFont f = p.font();
    if (f.pointSizeF() > 2)
        f.setPointSizeF(f.pointSizeF() - 2);
    p.setFont(f);
    p.setPen(palette().color(foregroundRole()).darker(150));
    p.drawText(labelRect, Qt::AlignRight | Qt::AlignVCenter,
               QFontMetrics(f).elidedText(m_label, Qt::ElideRight, L));
}
