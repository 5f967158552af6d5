#include "ttouchkey.h"

#include "tbasekeydata.h"
#include "tstylesheet.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

TTouchKey::TTouchKey(QWidget *parent, int width, bool smallFont)
    : QWidget(parent)
    , m_imageName(QStringLiteral("zkgui_key") + QString::number(width))
{
    setMinimumSize(width, 58);
    setMaximumSize(width, 58);
    setFocusPolicy(Qt::NoFocus);
    setObjectName(smallFont ? QStringLiteral("key_small_font") : QStringLiteral("key_large_font"));
}

bool TTouchKey::isCyrillicToggle() const
{
    return m_keyData && m_keyData->getName() == QLatin1String("[CY]");
}

void TTouchKey::setKeyData(TBaseKeyData *pKeyData)
{
    if (pKeyData == m_keyData)
        return;
    if (m_repeatTimer) {
        qDebug() << "TTouchKey::setKeyData: timer delete";
        m_repeatTimer->stop();
        m_repeatTimer->deleteLater();
        m_repeatTimer = nullptr;
    }
    m_keyData = pKeyData;
    update();
    if (m_keyData && m_keyData->autoRepeat()) {
        m_repeatTimer = new QTimer(this);
        connect(m_repeatTimer, &QTimer::timeout, this, &TTouchKey::repeatTimeout);
    }
    if (isCyrillicToggle())
        qDebug() << "TTouchKey::setKeyData: about to run setChecked(false) for pKeyData->getName==[CY]";
    setChecked(false);
}

void TTouchKey::setChecked(bool checked)
{
    if (m_keyData && m_keyData->isCheckable()) {
        if (isCyrillicToggle())
            qDebug() << "TTouchKey::setChecked: newCheckedState==" << (checked ? "TRUE" : "FALSE") << "for button [CY]";
        if (checked != m_checked) {
            m_checked = checked;
            update();
        }
        return;
    }
    if (isCyrillicToggle())
        qDebug() << "TTouchKey::setChecked: isCheckable()==FALSE for button [CY]";
    if (m_checked) {
        m_checked = false;
        update();
    }
}

bool TTouchKey::isChecked() const
{
    return m_keyData && m_keyData->isCheckable() && m_checked;
}

void TTouchKey::setDown(bool down)
{
    if (down == m_down)
        return;
    m_down = down;
    update();
}

void TTouchKey::repeatTimeout()
{
    if (m_repeatTimer && m_repeatTimer->interval() != 50)
        m_repeatTimer->start(50);
    if (m_down && m_keyData)
        emit keyActivated(m_keyData);
}

void TTouchKey::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->pos()) || !m_keyData) {
        event->ignore();
        return;
    }
    setDown(true);
    event->accept();
    if (m_repeatTimer) {
        // A receiver may close what holds this key.
        QPointer<TTouchKey> self(this);
        emit keyActivated(m_keyData);
        if (self && m_repeatTimer)
            m_repeatTimer->start(500);
    }
}

void TTouchKey::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    const bool inside = rect().contains(event->pos());
    if (m_down != inside)
        setDown(!m_down);
    event->accept();
}

void TTouchKey::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    // The press is over wherever the finger lifts: a repeat never outlives it.
    if (m_repeatTimer)
        m_repeatTimer->stop();
    if (m_down && rect().contains(event->pos()) && m_keyData && !m_repeatTimer) {
        setChecked(!isChecked());
        setDown(false);
        emit keyActivated(m_keyData); // the last use of this key: a receiver may delete it
        return;
    }
    setDown(false);
}

bool TTouchKey::isRepeating() const
{
    return m_repeatTimer && m_repeatTimer->isActive();
}

void TTouchKey::cancelPress()
{
    setDown(false);
    if (m_repeatTimer)
        m_repeatTimer->stop();
}

void TTouchKey::hideEvent(QHideEvent *event)
{
    // A key held while its keypad hides lets go.
    cancelPress();
    QWidget::hideEvent(event);
}

void TTouchKey::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        cancelPress();
    QWidget::changeEvent(event);
}

void TTouchKey::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect r = rect();
    if (m_down)
        r.translate(2, 2);
    painter.drawPixmap(r.topLeft(), TStyleSheet::instance()->getButtonPixmap(m_imageName, isChecked() ? 2 : 0, true));
    if (!m_keyData)
        return;
    if (!m_keyData->iconName().isEmpty()) {
        painter.drawPixmap(r.topLeft(), TStyleSheet::instance()->getPixmap(m_keyData->iconName(), true));
        r.setLeft(r.left() + 16);
    }
    painter.drawText(r, Qt::AlignHCenter | Qt::AlignVCenter, m_keyData->getName());
}
