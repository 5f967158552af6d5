#include "tactivitywidget.h"

#include "tactivityanimator.h"
#include "tstylesheet.h"

#include <QConicalGradient>
#include <QPainter>

TActivityWidget::TActivityWidget(int radius, QWidget *parent)
    : QWidget(parent)
    , m_radius(radius)
{
    setFixedSize(2 * radius, 2 * radius);
    const int t = radius / 5;
    const QRectF outer(0, 0, 2 * radius, 2 * radius);
    QPainterPath full;
    full.addEllipse(outer);
    QPainterPath inset;
    inset.addEllipse(outer.adjusted(t, t, -t, -t));
    m_outerRing = full.subtracted(inset);
    const qreal a = t / 3.0;
    const qreal b = 2.0 * t / 3.0;
    QPainterPath innerOuter;
    innerOuter.addEllipse(outer.adjusted(a, a, -a, -a));
    QPainterPath innerInner;
    innerInner.addEllipse(outer.adjusted(b, b, -b, -b));
    m_innerRing = innerOuter.subtracted(innerInner);
}

TActivityWidget::~TActivityWidget()
{
    if (m_active)
        TActivityAnimator::instance()->clearBusy(this);
}

void TActivityWidget::setActive(bool on)
{
    if (on == m_active)
        return;
    m_active = on;
    if (isVisible()) {
        if (on)
            TActivityAnimator::instance()->setBusy(this);
        else
            TActivityAnimator::instance()->clearBusy(this);
    }
    update();
}

void TActivityWidget::setIconName(const QString &name)
{
    m_iconName = name;
    update();
}

void TActivityWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_active)
        TActivityAnimator::instance()->setBusy(this);
}

void TActivityWidget::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_active)
        TActivityAnimator::instance()->clearBusy(this);
}

void TActivityWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(m_radius, m_radius);
    if (!m_iconName.isEmpty()) {
        const QPixmap icon = TStyleSheet::instance()->getPixmap(m_iconName, true);
        painter.drawPixmap(QPointF(centre.x() - icon.width() / 2.0, centre.y() - icon.height() / 2.0), icon);
    }
    if (!m_active)
        return;
    const qreal angle = TActivityAnimator::instance()->angle();
    const QColor w = palette().color(QPalette::WindowText);
    const QColor b = palette().color(QPalette::Base);
    const QColor ab = palette().color(QPalette::AlternateBase);
    const QColor t(0, 0, 0, 0);
    painter.setPen(QPen(t, 1));
    QConicalGradient outer(centre, angle);
    outer.setColorAt(0.0, b);
    outer.setColorAt(0.01, w);
    outer.setColorAt(1.0, b);
    painter.setBrush(outer);
    painter.drawPath(m_outerRing);
    QConicalGradient inner(centre, angle);
    inner.setColorAt(0.0, t);
    inner.setColorAt(0.01, t);
    inner.setColorAt(0.04, ab);
    inner.setColorAt(1.0, t);
    painter.setBrush(inner);
    painter.drawPath(m_innerRing);
}
