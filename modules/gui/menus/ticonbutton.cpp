#include "ticonbutton.h"

#include "tstylesheet.h"

#include <QDebug>
#include <QPainter>
#include <QShowEvent>
#include <QTimeLine>

TIconButton::TIconButton(const QString &text, const QString &iconName, QWidget *parent)
    : QToolButton(parent)
{
    setText(text);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconName(iconName);
    m_opacity = 1.0;
    connect(this, &QAbstractButton::clicked, this, &TIconButton::debugTIconButtonClicked);
}

void TIconButton::setIconName(const QString &iconName)
{
    m_iconName = iconName;
    const QPixmap image = TStyleSheet::instance()->getButtonPixmap(iconName, TStyleSheet::Normal);
    const QSize size = image.size().expandedTo(QSize(58, 58));
    setMinimumSize(size);
    setIconSize(size);
    setMaximumHeight(image.height());
    update();
}

void TIconButton::debugTIconButtonClicked()
{
    qDebug() << "TIconButton::debugTIconButtonClicked: TIconButton with text=" << text() << ", and iconName=" << m_iconName << " was clicked.";
}

void TIconButton::makeTimeLine()
{
    if (m_timeLine)
        return;
    m_timeLine = new QTimeLine(1000, this);
    m_timeLine->setUpdateInterval(40);
    connect(m_timeLine, &QTimeLine::valueChanged, this, &TIconButton::updateFadeStep);
}

void TIconButton::fadeShow()
{
    makeTimeLine();
    const bool fadingOut = m_timeLine->state() == QTimeLine::Running && m_timeLine->direction() == QTimeLine::Backward;
    if (isVisible() && !fadingOut)
        return;
    qDebug() << "TIconButton::fadeShow: fading in" << m_iconName;
    m_timeLine->setDirection(QTimeLine::Forward);
    if (m_timeLine->state() != QTimeLine::Running) {
        qDebug() << "TIconButton::fadeShow: Start timer";
        m_timeLine->start();
    }
}

void TIconButton::fadeHide()
{
    makeTimeLine();
    const bool fadingOut = m_timeLine->state() == QTimeLine::Running && m_timeLine->direction() == QTimeLine::Backward;
    if (isHidden() || fadingOut)
        return;
    qDebug() << "TIconButton::fadeHide: fading out" << m_iconName;
    m_timeLine->setDirection(QTimeLine::Backward);
    if (m_timeLine->state() != QTimeLine::Running)
        m_timeLine->start();
}

void TIconButton::updateFadeStep(qreal val)
{
    qDebug() << "TIconButton::updateFadeStep:" << val;
    if (val < 0.01) {
        hide();
        return;
    }
    m_opacity = val;
    if (isHidden())
        show();
    else
        update();
}

void TIconButton::showEvent(QShowEvent *event)
{
    QToolButton::showEvent(event);
    if (m_timeLine && m_timeLine->state() != QTimeLine::Running) {
        m_timeLine->setDirection(QTimeLine::Forward);
        m_opacity = 1.0;
    }
}

void TIconButton::hideEvent(QHideEvent *event)
{
    QToolButton::hideEvent(event);
    if (m_timeLine && !event->spontaneous()) {
        m_timeLine->stop();
        m_timeLine->setDirection(QTimeLine::Forward);
        m_opacity = 1.0;
    }
}

void TIconButton::paintEvent(QPaintEvent *)
{
    int state = TStyleSheet::Normal;
    if (isDown())
        state = TStyleSheet::Pressed;
    else if (isChecked())
        state = TStyleSheet::Checked;
    const QPixmap image = TStyleSheet::instance()->getButtonPixmap(m_iconName, state);
    QPainter p(this);
    p.setOpacity(m_opacity);
    p.drawPixmap((width() - image.width()) / 2, 0, image);
    p.drawText(rect(), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextShowMnemonic, text());
}
