#include "twindowview.h"

#include "tmainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>

TWindowView::TWindowView(QWidget *parent)
    : TAnimationPixmapWidget(parent ? parent : TMainWindow::instance())
    , m_defaultFocusWidget(this)
    , m_lastFocusWidget(this)
{
}

TWindowView::~TWindowView()
{
    // The last focus widget is a descendant and dies after this point.
    watchLastFocusWidget(nullptr);
}

int TWindowView::isDistress() const
{
    return 0;
}

void TWindowView::watchLastFocusWidget(QWidget *widget)
{
    if (m_lastFocusWidget && m_lastFocusWidget != this)
        disconnect(m_lastFocusWidget, &QObject::destroyed, this, &TWindowView::handleLastFocusWidgetDestroyed);
    m_lastFocusWidget = widget;
    if (widget && widget != this)
        connect(widget, &QObject::destroyed, this, &TWindowView::handleLastFocusWidgetDestroyed);
}

void TWindowView::setViewActive(bool active)
{
    if (active) {
        if (isEnabled() && isVisible())
            return;
        setEnabled(true);
        setVisible(true);
        setUpdatesEnabled(true);
        if (m_lastFocusWidget)
            m_lastFocusWidget->setFocus(Qt::OtherFocusReason);
        else
            setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!isEnabled())
        return;
    QWidget *focus = QApplication::focusWidget();
    if (focus && (focus == this || isAncestorOf(focus)))
        watchLastFocusWidget(focus);
    setEnabled(false);
}

void TWindowView::closeEvent(QCloseEvent *event)
{
    setEnabled(false);
    hide();
    watchLastFocusWidget(m_defaultFocusWidget);
    TAnimationPixmapWidget::closeEvent(event);
}

void TWindowView::handleLastFocusWidgetDestroyed(QObject *pDestroyedObject)
{
    if (pDestroyedObject == m_lastFocusWidget) {
        m_lastFocusWidget = nullptr;
        return;
    }
    qWarning() << "TWindowView::handleLastFocusWidgetDestroyed: ERROR !!!!!!!!!! UNEXPECTED OBJECT DESTROYED !!!!!!!!!.";
    qWarning() << "TWindowView::handleLastFocusWidgetDestroyed: pLastFocusWidget=" << static_cast<void *>(m_lastFocusWidget)
               << ", pDestroyedObject=" << static_cast<void *>(pDestroyedObject);
}
