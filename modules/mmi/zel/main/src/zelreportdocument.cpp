#include "zelreportdocument.h"

#include "tmessagewindow.h"
#include "tstylesheet.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

QTextTableFormat ZelReportDocument::tableFormat()
{
    QTextTableFormat format;
    format.setCellPadding(5);
    format.setHeaderRowCount(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    return format;
}

QString ZelReportDocument::resourceFolder()
{
    // The style sheet knows where the day and night images are; the other
    // run-time data lies one level above them.
    const QString dayNight = TStyleSheet::instance()->resourceDirectory();
    if (!dayNight.isEmpty())
        return QDir::cleanPath(dayNight + QLatin1String("/..")) + QLatin1Char('/');
    return QStringLiteral("res/");
}

void ZelReportDocument::insertLogo(QTextCursor &cursor)
{
    const QString logo = resourceFolder() + QLatin1String("brevan_small.png");
    if (QFileInfo::exists(logo)) {
        QTextImageFormat image;
        image.setName(logo);
        cursor.insertImage(image);
    } else {
        cursor.insertText(QCoreApplication::translate("ZelReportDocument", "Brevan SATCOM"));
    }
}

QString ZelReportDocument::addressBlock()
{
    return QCoreApplication::translate("ZelReportDocument",
                                       "Harbour Road 12\n"
                                       "DK-9000 Aalborg\n"
                                       "Denmark\n"
                                       "\n"
                                       "Tel: +45 96 34 00 00\n"
                                       "Fax: +45 96 34 00 01\n");
}

QString ZelReportDocument::defaultFolder(const QString &separator)
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + separator
           + QLatin1String("Vantor") + separator + QLatin1String("ZEL");
}

QString ZelReportDocument::pdfFileName(const QString &chosen)
{
    if (chosen.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return chosen;
    return chosen + QLatin1String(".pdf");
}

bool ZelReportDocument::printPdf(QTextDocument *document, const QString &fileName, QString *error)
{
    // The PDF engine drops a file it cannot open without a word: try the file first.
    QFile probe(fileName);
    if (!probe.open(QIODevice::WriteOnly)) {
        if (error)
            *error = probe.errorString();
        return false;
    }
    probe.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(fileName);
    printer.setOutputFormat(QPrinter::PdfFormat);
    document->print(&printer);
    if (printer.printerState() == QPrinter::Error || QFileInfo(fileName).size() == 0) {
        if (error)
            *error = QCoreApplication::translate("ZelReportDocument", "The PDF could not be written.");
        return false;
    }
    return true;
}

void ZelReportDocument::showSaveFailure(const QString &fileName, const QString &error, QWidget *from)
{
    qWarning().noquote() << "ZelReportDocument::showSaveFailure:" << fileName << error;
    TMessageWindow::showWarning(QCoreApplication::translate("ZelReportDocument", "Report not saved"),
                                QCoreApplication::translate("ZelReportDocument", "The report could not be written to %1: %2")
                                    .arg(QDir::toNativeSeparators(fileName), error),
                                from);
}
