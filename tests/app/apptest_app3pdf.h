#pragma once
// Helpers of the report tests: the text of a PDF file through pdftotext, and
// a save dialog stand-in that answers with a given file name.

#include <QString>
#include <QStringList>

namespace app3test {
// The text of the PDF (layout kept), empty when pdftotext fails.
QString pdfText(const QString &fileName);
// Makes the save dialog answer `answer`; the offered paths are collected.
void answerSaveDialog(const QString &answer, QStringList *offered);
}
