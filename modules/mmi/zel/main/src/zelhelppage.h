#pragma once
// Locations of the application's help pages (files in the resource folder).

#include <QString>
#include <QUrl>

class ZelHelpPage
{
public:
    // The page of that file name, e.g. "reboot.html".
    static QUrl url(const QString &fileName);
};
