#include "toptionbutton.h"

TOptionButton::TOptionButton(QWidget *parent, ButtonType type)
    : QToolButton(parent)
    , m_type(type)
{
    if (type == BarButton) {
        m_textAlignment = Qt::AlignHCenter | Qt::AlignVCenter;
    } else {
        m_textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    setFixedHeight(58);
    setMinimumWidth(120);
}

void TOptionButton::setDefault(bool on)
{
    if (on == m_default)
        return;
    m_default = on;
    setObjectName(on ? QStringLiteral("defaultOptionButton") : QString());
    update();
}
