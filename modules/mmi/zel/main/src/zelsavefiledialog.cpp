#include "zelsavefiledialog.h"

#include <QFileDialog>

static ZelSaveFileDialog::Chooser &chooser()
{
    static ZelSaveFileDialog::Chooser c;
    return c;
}

QString ZelSaveFileDialog::getSaveFileName(QWidget *parent, const QString &caption, const QString &path,
                                           const QString &filter)
{
    if (chooser())
        return chooser()(parent, caption, path, filter);
    return QFileDialog::getSaveFileName(parent, caption, path, filter);
}

void ZelSaveFileDialog::setChooser(const Chooser &c)
{
    chooser() = c;
}
