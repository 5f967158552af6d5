#pragma once
// Pieces shared by the PDF reports the application writes: the table format,
// the maker's logo and address, the default destination folder and the
// printing of a document to a PDF file.

#include <QString>
#include <QTextTableFormat>

class QTextCursor;
class QTextDocument;
class QWidget;

class ZelReportDocument
{
public:
    // Cell padding 5, one header row, no border, full width.
    static QTextTableFormat tableFormat();
    // The folder of the application's run-time data ("res/"), with a trailing slash.
    static QString resourceFolder();
    // Inserts the logo image, or the maker's name when the image is missing.
    static void insertLogo(QTextCursor &cursor);
    // The maker's address block: six lines, each ending in a line break.
    static QString addressBlock();
    // Documents folder, "Vantor", "ZEL", joined with the given separator.
    static QString defaultFolder(const QString &separator);
    // The chosen file name, given the ".pdf" suffix when it lacks it.
    static QString pdfFileName(const QString &chosen);
    // Prints the document in high resolution to a PDF file; false, with the
    // reason in `error`, when the file could not be written.
    static bool printPdf(QTextDocument *document, const QString &fileName, QString *error = nullptr);
    // Tells the user that a report could not be saved.
    static void showSaveFailure(const QString &fileName, const QString &error, QWidget *from);
};
