#include "ticonwidget.h"

#include "tstylesheet.h"

#include <QPainter>

TIconWidget::TIconWidget(const QString &iconName, QWidget *parent)
    : QWidget(parent)
{
    setIconName(iconName);
}

void TIconWidget::setIconName(const QString &iconName)
{
    m_iconName = iconName;
    const QPixmap image = iconName.isEmpty() ? QPixmap() : TStyleSheet::instance()->getPixmap(iconName);
    setMinimumSize(image.size());
    setMaximumSize(image.size());
    update();
}

void TIconWidget::setOpacity(qreal opacity)
{
    m_opacity = opacity;
    update();
}

void TIconWidget::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

QRect TIconWidget::imageRect(const QSize &image, const QSize &widget, Qt::Alignment alignment)
{
    QSize size = image;
    int x = 0;
    if (alignment & Qt::AlignHCenter) {
        x = (widget.width() - size.width()) / 2;
    } else if (alignment & Qt::AlignRight) {
        x = widget.width() - size.width();
    } else if ((alignment & Qt::AlignJustify) && !image.isEmpty()) {
        size = image.scaled(widget.width(), image.height() * widget.width() / image.width(), Qt::IgnoreAspectRatio);
        if (size.height() > widget.height()) {
            size = QSize(image.width() * widget.height() / image.height(), widget.height());
            x = (widget.width() - size.width()) / 2;
        }
    }
    int y = 0;
    if (alignment & Qt::AlignVCenter)
        y = (widget.height() - size.height()) / 2;
    else if (alignment & Qt::AlignBottom)
        y = widget.height() - size.height();
    return QRect(QPoint(x, y), size);
}

void TIconWidget::paintEvent(QPaintEvent *)
{
    if (m_iconName.isEmpty())
        return;
    const QPixmap image = TStyleSheet::instance()->getPixmap(m_iconName);
    if (image.isNull())
        return;
    QPainter p(this);
    p.setOpacity(m_opacity);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect r = imageRect(image.size(), size(), m_alignment);
    if (r.size() == image.size())
        p.drawPixmap(r.topLeft(), image);
    else
        p.drawPixmap(r.topLeft(), image.scaled(r.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}
