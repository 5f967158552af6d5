// ZEL: start-up of the management application.
#include "tstyle.h"
#include "tstylesheet.h"
#include "zelapp.h"
#include "zelmainwindow.h"

#include <QSettings>

int main(int argc, char **argv)
{
    ZelApp *app = ZelApp::instance(argc, argv);
    QApplication::setStyle(new TStyle);
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("vantor.example"));
    TStyleSheet::instance()->addStyleSheet(QStringLiteral("zel_stylesheet_ext.css"));

    auto *settings = new QSettings;
    int result = 0;
    {
        ZelMainWindow window;
        app->setWatchedWindow(&window);
        if (settings->value(QStringLiteral("ZelMainWindow/isMaximized"), false).toBool())
            window.showMaximized();
        else
            window.show();
        result = app->exec();
        delete settings;
        app->setWatchedWindow(nullptr);
    }
    return result;
}
