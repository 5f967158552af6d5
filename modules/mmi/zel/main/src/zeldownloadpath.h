#pragma once
// Destination paths of the download windows: the folder proposed from the
// settings and the shown form of a path (with "\" separators).

#include <QString>

class ZelDownloadPath
{
public:
    // The folder stored under the key, or the documents folder's "Vantor\ZEL".
    static QString directory(const QString &settingsKey);
    // Every "/" replaced by "\".
    static QString shown(const QString &path);
    // The path as this platform's file functions take it.
    static QString local(const QString &shownPath);
    // A name from a device made safe as the last part of a path: separators,
    // drive colons and other characters no file name may hold become "_",
    // leading dots and blanks are dropped; empty when nothing but dots would
    // be left.
    static QString fileName(const QString &name);
};
