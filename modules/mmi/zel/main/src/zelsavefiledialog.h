#pragma once
// Asks the user for the name of a file to write. Tests replace the dialog
// with a chooser of their own, because the real dialog blocks.

#include <QString>
#include <functional>

class QWidget;

class ZelSaveFileDialog
{
public:
    using Chooser = std::function<QString(QWidget *parent, const QString &caption, const QString &path,
                                          const QString &filter)>;
    static QString getSaveFileName(QWidget *parent, const QString &caption, const QString &path,
                                   const QString &filter);
    // An empty chooser brings back the file dialog.
    static void setChooser(const Chooser &chooser);
};
