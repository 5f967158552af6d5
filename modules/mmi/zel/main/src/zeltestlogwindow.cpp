#include "zeltestlogwindow.h"

#include "thelpcontrol.h"
#include "toption.h"
#include "toptionbutton.h"
#include "tstylesheet.h"
#include "ttextreadonly.h"
#include "twindowtoppanel.h"
#include "zelreportdocument.h"
#include "zelsavefiledialog.h"
#include "zeltestlinkwindow.h"
#include "zelwindowgeometry.h"
#include "zelhelppage.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QIcon>
#include <QScrollBar>
#include <QSettings>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextOption>
#include <QTextTable>
#include <QUrl>
#include <QVBoxLayout>

static const char *const GeometryGroup = "TTestLogWindow";

namespace {
// Appends one row to the table and fills its cells with the texts. A text
// of one word (an object name, an OID) is never broken: its column gets the
// width it needs.
void appendRow(QTextTable *table, const QStringList &texts)
{
    const int row = table->rows();
    table->appendRows(1);
    for (int c = 0; c < table->columns() && c < texts.size(); ++c) {
        QTextCursor cursor = table->cellAt(row, c).firstCursorPosition();
        if (!texts.at(c).contains(QRegularExpression(QStringLiteral("\\s")))) {
            QTextBlockFormat unbroken = cursor.blockFormat();
            unbroken.setNonBreakableLines(true);
            cursor.setBlockFormat(unbroken);
        }
        cursor.insertText(texts.at(c));
    }
}
} // namespace

ZelTestLogWindow::ZelTestLogWindow(ZelTestLinkWindow *linkWindow)
    : TAbstractSubWindow(2, 0), m_linkWindow(linkWindow)
{
    m_logDocument = new QTextDocument(this);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(776, 526);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *toolRow = new QWidget;
    auto *toolLayout = new QHBoxLayout(toolRow);
    toolLayout->setContentsMargins(0, 0, 0, 0);
    toolLayout->setSpacing(0);
    auto *saveOption = new TOption(tr("Save"), this, SLOT(handlePrint(QWidget*)));
    saveOption->setParent(this);
    auto *saveButton = new TOptionButton(saveOption, toolRow, TOptionButton::BarButton);
    saveButton->setMinimumWidth(75);
    toolLayout->addWidget(saveButton);
    toolLayout->addStretch();

    m_topPanel = new TWindowTopPanel(this, QString(), QString(), false, true, nullptr, toolRow);
    m_topPanel->setBusy(false);
    m_topPanel->setHeadingMinimumWidth(260);
    layout->addWidget(m_topPanel);

    m_display = new TTextReadOnly(this);
    m_display->setObjectName(QStringLiteral("logDisplay"));
    connect(m_display->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ZelTestLogWindow::handleScrollValueChanged);
    layout->addWidget(m_display);
    m_display->clear();

    takeLinkWindowState();
    handleInitLogText();
    setGeometry(ZelWindowGeometry::restore(QLatin1String(GeometryGroup)));
}

void ZelTestLogWindow::takeLinkWindowState()
{
    if (!m_linkWindow)
        return;
    m_entries = m_linkWindow->getLogEntries();
    m_deviceInfo = m_linkWindow->getDeviceInfo();
    m_snmpValues = m_linkWindow->getSnmpValues();
}

void ZelTestLogWindow::update()
{
    m_topPanel->setIconName(QStringLiteral("i_service_test_40"));
    m_topPanel->setHeading(tr("Link test log"));
    setWindowTitle(tr("Link test log  "));
    setWindowIcon(QIcon(TStyleSheet::instance()->getPixmap(QStringLiteral("i_service_test_40"))));
}

void ZelTestLogWindow::handleScrollValueChanged(int value)
{
    Q_UNUSED(value)
}

void ZelTestLogWindow::handleInitLogText()
{
    QTextCursor cursor(m_logDocument);
    QTextTable *table = cursor.insertTable(1, 4, ZelReportDocument::tableFormat());
    const QStringList header{tr("Test service name  "), tr("Component "), tr("Severity  "), tr("Describtion")};
    for (int c = 0; c < header.size(); ++c)
        table->cellAt(0, c).firstCursorPosition().insertText(header.at(c));
    for (const QStringList &entry : qAsConst(m_entries))
        appendRow(table, entry);
    m_display->setDocument(m_logDocument);
    update();
}

void ZelTestLogWindow::handlePrint(QWidget *pEmittedBy)
{
    takeLinkWindowState();
    while (m_deviceInfo.size() < 5)
        m_deviceInfo.append(QString());

    const QString defaultPath = ZelReportDocument::defaultFolder(QStringLiteral("/"));
    QSettings settings;
    const QString stored = settings.value(QStringLiteral("link_test/destination_path")).toString();
    const QString path = settings.value(QStringLiteral("link_test/destination_path"), defaultPath).toString();
    const QString chosen =
        ZelSaveFileDialog::getSaveFileName(pEmittedBy, tr("Destination file name"), path, tr("Report (*.pdf)"));
    if (chosen.isEmpty())
        return;
    const QString fileName = ZelReportDocument::pdfFileName(chosen);
    if (stored != fileName)
        settings.setValue(QStringLiteral("link_test/destination_path"), fileName);

    QTextDocument document;
    document.setDocumentMargin(1.0);
    // Names and values break only between words: a column takes the width
    // of its longest name rather than cutting it.
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(wrapping);
    QTextCursor cursor(&document);
    QTextTableFormat format = ZelReportDocument::tableFormat();
    QTextTable *header = cursor.insertTable(4, 3, format);
    header->cellAt(0, 0).firstCursorPosition().insertText(tr("                                      "));
    header->cellAt(0, 1).firstCursorPosition().insertText(tr("                                      "));
    QTextCursor logoCursor = header->cellAt(0, 2).firstCursorPosition();
    ZelReportDocument::insertLogo(logoCursor);
    header->cellAt(2, 0).firstCursorPosition().insertText(
        tr("Device:   %1\n\nModel:    %2 - %3\nVersion:  %4\nSerial No:%5")
            .arg(m_deviceInfo.at(0), m_deviceInfo.at(2), m_deviceInfo.at(1), m_deviceInfo.at(4), m_deviceInfo.at(3)));
    header->cellAt(2, 2).firstCursorPosition().insertText(ZelReportDocument::addressBlock());
    header->cellAt(3, 0).firstCursorPosition().insertText(tr("LINK test Report:"));
    header->cellAt(3, 2).firstCursorPosition().insertText(
        QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy h:mm")));

    cursor.movePosition(QTextCursor::End);
    cursor.insertFragment(QTextDocumentFragment(m_logDocument));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(tr("\n\n\nZEL moitored SNMP values:\n\n"));
    cursor.movePosition(QTextCursor::End);

    // A little room between the cells: a name as wide as its column would
    // otherwise run straight into its value.
    format.setCellPadding(4);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 75));
    QTextTable *values = cursor.insertTable(1, 3, format);
    const QStringList valueHeader{tr("SNMP NAME "), tr("VALUE "), tr("VALIDATION ")};
    for (int c = 0; c < valueHeader.size(); ++c)
        values->cellAt(0, c).firstCursorPosition().insertText(valueHeader.at(c));
    values->appendRows(1);
    for (const QStringList &row : qAsConst(m_snmpValues))
        appendRow(values, row);

    QString error;
    if (!ZelReportDocument::printPdf(&document, fileName, &error))
        ZelReportDocument::showSaveFailure(fileName, error, pEmittedBy ? pEmittedBy : this);
}

void ZelTestLogWindow::showEvent(QShowEvent *event)
{
    THelpControl::instance()->addHelp(ZelHelpPage::url(QStringLiteral("live_logging.html")), this);
    TAbstractSubWindow::showEvent(event);
}

void ZelTestLogWindow::closeEvent(QCloseEvent *event)
{
    THelpControl::instance()->removeHelp(this);
    ZelWindowGeometry::store(this, QLatin1String(GeometryGroup));
    TAbstractSubWindow::closeEvent(event);
}
