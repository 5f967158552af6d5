#include "tpage.h"

#include "toption.h"
#include "toptionbutton.h"
#include "tpagescreen.h"
#include "tsubwindowborder.h"
#include "tupdateobject.h"

#include <QAbstractButton>
#include <QDebug>
#include <QVBoxLayout>

TPage::TPage(const QString &title, QWidget *parent)
    : QFrame(parent)
    , m_title(title)
{
    setFrameStyle(QFrame::NoFrame | QFrame::Plain);
    setEnabled(false);
}

TPage::~TPage()
{
    // Update objects owned by this page die after this point; stop watching them.
    for (TUpdateObject *object : qAsConst(m_updateObjects))
        disconnect(object, &QObject::destroyed, this, nullptr);
    if (m_pageMenu)
        disconnect(m_pageMenu, &QObject::destroyed, this, nullptr);
}

void TPage::addUpdateObject(TUpdateObject *object)
{
    m_updateObjects.prepend(object);
    connect(object, &QObject::destroyed, this, [this, object] { m_updateObjects.removeAll(object); });
}

void TPage::removeUpdateObject(TUpdateObject *object)
{
    if (m_updateObjects.removeAll(object) > 0)
        object->stop();
}

void TPage::setPageButton(QAbstractButton *button)
{
    if (m_pageButton)
        disconnect(m_pageButton, &QAbstractButton::clicked, this, &TPage::clickedHandle);
    m_pageButton = button;
    if (button)
        connect(button, &QAbstractButton::clicked, this, &TPage::clickedHandle);
}

void TPage::setBusy(TBusyWidget *overlay, QObject *worker)
{
    m_busy = overlay;
    if (overlay)
        connect(overlay, &TBusyWidget::busyEnded, this, &TPage::handleBusyEndedPrivate);
    forgetWorker();
    m_worker = worker;
    if (worker)
        connect(worker, SIGNAL(finished()), this, SLOT(clrBusy()));
    applyEnabling();
}

void TPage::applyEnabling()
{
    if (m_active && !m_busy) {
        if (m_pageMenu) {
            QFrame::setEnabled(false);
            m_pageMenu->setEnabled(true);
        } else {
            QFrame::setEnabled(true);
        }
    } else {
        if (m_pageMenu)
            m_pageMenu->setEnabled(false);
        QFrame::setEnabled(false);
    }
}

void TPage::forgetWorker()
{
    if (m_worker)
        disconnect(m_worker, SIGNAL(finished()), this, SLOT(clrBusy()));
    m_worker = nullptr;
}

void TPage::resetPage()
{
    if (m_openMenuOnReset)
        showMenu();
    setFocus();
    refreshPage();
}

void TPage::refreshPage()
{
}

void TPage::activate()
{
    for (TUpdateObject *object : qAsConst(m_updateObjects))
        object->start();
    if (m_pageButton)
        m_pageButton->setChecked(true);
    resetPage();
    m_active = true;
    applyEnabling();
}

void TPage::deactivate()
{
    for (TUpdateObject *object : qAsConst(m_updateObjects))
        object->stop();
    m_active = false;
    if (m_pageMenu)
        m_pageMenu->setEnabled(false);
    QFrame::setEnabled(false);
}

void TPage::handleBusyEnded(TBusyWidget::EndReason)
{
}

QRect TPage::getSelectedRect() const
{
    return QRect();
}

void TPage::clrBusy()
{
    if (m_busy) {
        m_busy->clearBusy();
        forgetWorker();
    } else {
        applyEnabling();
    }
}

void TPage::handleBusyEndedPrivate(TBusyWidget::EndReason endReason)
{
    qDebug() << "TPage::handleBusyEndedPrivate(TBusyWidget::EndReason): reason" << int(endReason);
    m_busy = nullptr;
    applyEnabling();
    forgetWorker();
    handleBusyEnded(endReason);
    emit busyEnded();
}

void TPage::showMenu()
{
    if (m_menuOptions.isEmpty() || m_pageMenu)
        return;
    if (m_pageScreen && m_pageScreen->inherits("TPageScreen"))
        static_cast<TPageScreen *>(m_pageScreen.data())->hideTouchKeyboard();
    auto *menu = new QWidget(parentWidget());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("pageMenuBackGround"));
    connect(menu, &QObject::destroyed, this, &TPage::handleMenuDestroyed);
    auto *layout = new QVBoxLayout(menu);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    layout->addStretch();
    auto *border = new TSubWindowBorder(menu);
    border->setFrameParameters(15, 1.0, 0.4, 0.33);
    layout->addWidget(border);
    layout->addStretch();
    auto *entries = new QVBoxLayout(border);
    entries->setContentsMargins(15, 15, 15, 15);
    entries->setSpacing(0);
    for (TOption *option : qAsConst(m_menuOptions)) {
        auto *button = new TOptionButton(option, menu, TOptionButton::MenuButton);
        button->setDirection(3);
        button->setMinimumWidth(250);
        entries->addWidget(button);
    }
    m_pageMenu = menu;
    menu->setGeometry(geometry());
    menu->show();
    applyEnabling();
    menu->setFocus(Qt::OtherFocusReason);
}

void TPage::closeMenu()
{
    if (!m_pageMenu)
        return;
    QWidget *menu = m_pageMenu;
    m_pageMenu = nullptr;
    menu->close();
    QFrame::setEnabled(m_active && !m_busy);
    if (m_focusWidget)
        m_focusWidget->setFocus(Qt::OtherFocusReason);
}

void TPage::handleMenuDestroyed(QObject *pObject)
{
    if (pObject == m_pageMenu.data())
        m_pageMenu = nullptr;
    if (m_focusWidget)
        m_focusWidget->setFocus(Qt::OtherFocusReason);
}

void TPage::setFocus()
{
    if (m_pageMenu)
        m_pageMenu->setFocus(Qt::OtherFocusReason);
    else
        QFrame::setFocus(Qt::OtherFocusReason);
}

void TPage::clickedHandle(bool checked)
{
    if (checked)
        emit selected(this);
}

void TPage::focusInEvent(QFocusEvent *event)
{
    if (m_focusWidget && m_pageMenu)
        m_focusWidget->setFocus(Qt::OtherFocusReason);
    else
        QFrame::focusInEvent(event);
}

void TPage::resizeEvent(QResizeEvent *event)
{
    if (m_pageMenu)
        m_pageMenu->setGeometry(geometry());
    QFrame::resizeEvent(event);
}

void TPage::moveEvent(QMoveEvent *event)
{
    if (m_pageMenu)
        m_pageMenu->setGeometry(geometry());
    QFrame::moveEvent(event);
}

void TPage::hideEvent(QHideEvent *event)
{
    if (m_pageMenu && !m_active) {
        m_pageMenu->deleteLater();
        m_pageMenu = nullptr;
    }
    QFrame::hideEvent(event);
}
