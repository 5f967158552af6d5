#include "ttouchkeyboard.h"

#include "tmainwindow.h"

#include <QDebug>
#include <QTimeLine>

TTouchKeyboard::TTouchKeyboard(bool userHideable, QWidget *parent)
    : TBaseTouchKeypad(parent)
    , m_userHideable(userHideable)
{
    setFrameShape(QFrame::NoFrame);
    setFrameShadow(QFrame::Plain);
    setMinimumHeight(0);
    setMaximumHeight(0);
    setMinimumWidth(800);
    setMaximumWidth(800);
    hide();
    m_slideTimeLine = new QTimeLine(300, this);
    m_slideTimeLine->setUpdateInterval(40);
    connect(m_slideTimeLine, &QTimeLine::valueChanged, this, &TTouchKeyboard::updateShowKeyboardStep);
    connect(m_slideTimeLine, &QTimeLine::finished, this, &TTouchKeyboard::showKeyboardFinished);
}

void TTouchKeyboard::setUserHideable(bool hideable)
{
    m_userHideable = hideable;
}

bool TTouchKeyboard::isOwnKeyEvent(QEvent *e)
{
    if (TBaseTouchKeypad::isOwnKeyEvent(e))
        return true;
    if (m_userHideable)
        hideKeyboard(HIDDING_REASON_OWN_KEY_EVENT_MISSING);
    return false;
}

void TTouchKeyboard::setKeyboardCharacterSet(TKeyboardCharacterSet characterSet)
{
    if (!m_contentFrame)
        buildKeys();
    m_characterSet = characterSet;
}

bool TTouchKeyboard::isSliding() const
{
    return m_slideTimeLine->state() == QTimeLine::Running;
}

void TTouchKeyboard::buildKeys()
{
    m_contentFrame = new QFrame(this);
    m_contentFrame->setObjectName(QStringLiteral("keyboardFrame"));
    m_contentFrame->setGeometry(0, 0, 800, fullHeight);
}

void TTouchKeyboard::setCurrentHeight(int height)
{
    m_currentHeight = height;
    setMinimumHeight(height);
    setMaximumHeight(height);
    emit heightChanged(height);
}

void TTouchKeyboard::showKeyboard(bool animatedShow)
{
    if (!m_contentFrame)
        buildKeys();
    // A keyboard hidden at once (not by its slide) starts again from nothing.
    if (isHidden() && !isSliding())
        setCurrentHeight(0);
    show();
    emit showing();
    if (!animatedShow) {
        m_slideTimeLine->stop();
        m_slideTimeLine->setDirection(QTimeLine::Forward);
        setCurrentHeight(fullHeight);
        return;
    }
    if (m_currentHeight == fullHeight && !isSliding())
        return;
    m_slideTimeLine->stop();
    m_slideTimeLine->setDirection(QTimeLine::Forward);
    m_slideTimeLine->setCurrentTime(int(m_slideTimeLine->duration() * qreal(m_currentHeight) / fullHeight));
    if (TMainWindow::instance() && !m_registered) {
        TMainWindow::instance()->addAnimatingWidget(this, "1instantAnimationEnd()");
        m_registered = true;
    }
    m_slideTimeLine->start();
}

void TTouchKeyboard::hideKeyboard(THiddingReason reason)
{
    emit hidding(reason);
    if (!isVisible() && m_currentHeight == 0)
        return;
    m_slideTimeLine->stop();
    m_slideTimeLine->setDirection(QTimeLine::Backward);
    m_slideTimeLine->setCurrentTime(int(m_slideTimeLine->duration() * qreal(m_currentHeight) / fullHeight));
    if (TMainWindow::instance() && !m_registered) {
        TMainWindow::instance()->addAnimatingWidget(this, "1instantAnimationEnd()");
        m_registered = true;
    }
    m_slideTimeLine->start();
}

void TTouchKeyboard::instantAnimationEnd()
{
    if (!isSliding()) {
        showKeyboardFinished();
        return;
    }
    const bool forward = m_slideTimeLine->direction() == QTimeLine::Forward;
    m_slideTimeLine->stop();
    updateShowKeyboardStep(forward ? 1.0 : 0.0);
    showKeyboardFinished();
}

void TTouchKeyboard::updateShowKeyboardStep(qreal val)
{
    setCurrentHeight(qRound(val * fullHeight));
}

void TTouchKeyboard::showKeyboardFinished()
{
    if (m_slideTimeLine->direction() == QTimeLine::Backward && m_currentHeight == 0)
        hide();
    if (m_registered) {
        m_registered = false;
        if (TMainWindow::instance())
            TMainWindow::instance()->removeAnimatingWidget(this, "1instantAnimationEnd()");
    }
}
