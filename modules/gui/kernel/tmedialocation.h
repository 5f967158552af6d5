#pragma once

#include <QList>
#include <QString>
#include <QVector>

// One place where user data (screenshots) may be stored.
struct TMediaLocation
{
    qint32 id = 0;
    QString label;
    QString path;
    QString iconName;
    bool removable = false;

    // The fixed table: terminal folder, six USB sticks, SD card, the PC's temporary folder.
    static QVector<TMediaLocation> table();
    // The locations of `table()` that are available now, in table order.
    static QList<TMediaLocation> availableMediaLocations();
    // The same rule applied to any table.
    static QList<TMediaLocation> availableMediaLocations(const QVector<TMediaLocation> &locations);
};

QList<TMediaLocation> availableMediaLocations();
