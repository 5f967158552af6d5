#include "zelmainwindow.h"

#include "infoevent.h"
#include "infomanager.h"
#include "thelpcontrol.h"
#include "tproductmessage.h"
#include "tproductmessagewindow.h"
#include "tstylesheet.h"
#include "zeldevicepagescreen.h"
#include "zelhelppage.h"
#include "zelversion.h"
#include "zelwindowgeometry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QIcon>
#include <QKeyEvent>
#include <QUrl>

namespace {
const char *const GeometryGroup = "ZelMainWindow";
}

ZelMainWindow::ZelMainWindow(QWidget *parent)
    : TMainWindow(parent, QStringLiteral("zelMainWindow"))
{
    const QString version = QStringLiteral("%1.%2").arg(QStringLiteral(ZEL_VERSION_TEXT), QStringLiteral(ZEL_BUILD_NUMBER));
    const QString rule(78, QLatin1Char('-'));
    qDebug() << "\n\n\n\n\n" << qPrintable(rule) << "\n\tZEL starts. Version number: " << version
             << " build date: " << ZEL_BUILD_DATE << "\n" << qPrintable(rule) << "\n\n";
    readGeometrySettings();
    setWindowTitle(tr("ZEL"));
    setWindowIcon(QIcon(TStyleSheet::instance()->getPixmap(QStringLiteral("zel_remote_management_128"), true)));
    THelpControl::instance()->setHomeUrl(ZelHelpPage::url(QStringLiteral("home.html")));
    connect(InfoManager::instance(), &InfoManager::popupEvent, this, &ZelMainWindow::handlePopUpEvent);
    showDeviceViewScreen();
}

void ZelMainWindow::showDeviceViewScreen()
{
    auto *screen = new ZelDevicePageScreen(this);
    screen->hide();
    showNewScreen(screen);
}

void ZelMainWindow::handlePopUpEvent(const InfoEvent &event)
{
    TProductMessage message;
    message.severity = event.getSeverity();
    message.heading = event.getTitle();
    message.description = event.getDescription();
    message.productName = event.getSourceName();
    message.productIcon = event.getSource() ? event.getSourceIconName(0) : QString();
    message.serviceIcon = event.getServiceIconName(3);
    message.severityIconBig = InfoEvent::getSeverityIconName(event.getSeverity(), true);
    message.severityIconSmall = InfoEvent::getSeverityIconName(event.getSeverity(), false);
    message.time = event.getDateTime();
    TProductMessageWindow::showMessage(message);
}

void ZelMainWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        // The page of the sub-window holding the focus, if any.
        QWidget *focus = QApplication::focusWidget();
        THelpControl::instance()->show(focus && isAncestorOf(focus) ? focus : this, QUrl());
        return;
    }
    TMainWindow::keyPressEvent(event);
}

void ZelMainWindow::closeEvent(QCloseEvent *event)
{
    writeGeometrySettings();
    event->accept();
    QCoreApplication::quit();
}

void ZelMainWindow::writeGeometrySettings()
{
    ZelWindowGeometry::store(this, QLatin1String(GeometryGroup));
}

void ZelMainWindow::readGeometrySettings()
{
    setGeometry(ZelWindowGeometry::restore(QLatin1String(GeometryGroup)));
}
