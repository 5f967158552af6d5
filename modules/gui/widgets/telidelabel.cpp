#include "telidelabel.h"

#include <QPainter>

TElideLabel::TElideLabel(const QString &text, Qt::TextElideMode mode, QWidget *parent)
    : QLabel(text, parent)
    , m_elideMode(mode)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setIndent(1);
}

TElideLabel::TElideLabel(QWidget *parent)
    : QLabel(parent)
{
    setIndent(1);
}

void TElideLabel::setElideMode(Qt::TextElideMode mode)
{
    m_elideMode = mode;
    update();
}

QString TElideLabel::shownText() const
{
    if (text().isEmpty() || wordWrap() || m_elideMode == Qt::ElideNone)
        return text();
    return fontMetrics().elidedText(text(), m_elideMode, width() - qMax(0, indent()));
}

void TElideLabel::paintEvent(QPaintEvent *event)
{
    if (text().isEmpty() || wordWrap() || m_elideMode == Qt::ElideNone) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    QRect r = rect();
    r.setLeft(r.left() + qMax(0, indent()));
    p.fillRect(r, palette().brush(QPalette::Window));
    p.drawText(r, int(alignment()), fontMetrics().elidedText(text(), m_elideMode, r.width()));
}
