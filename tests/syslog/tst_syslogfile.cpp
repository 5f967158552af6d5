// The per-source ring of numbered log files: placing lines, wrapping, the
// choice of file without a stored number, reading the newest lines back and
// reporting write failures once.
#include "tlinksyslogfile.h"

#include <QtTest>

namespace {

const QString kFolder = QStringLiteral("syslog_705_1234");

QString numbered(int n)
{
    return QStringLiteral("%1.txt").arg(n, 3, 10, QLatin1Char('0'));
}

} // namespace

class TestSyslogFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void defaultsWrittenBack();
    void firstLineCreatesFileAndNumber();
    void fullFileMovesOnAndRingWraps();
    void ringKeepsTurningAfterWrap();
    void continuesInSmallestFileWithoutStoredNumber();
    void batchMatchesSingleWrites();
    void readBack_data();
    void readBack();
    void refusesUnsafeFolderNames();
    void failureReportedOnceUntilWriteSucceeds();
    void failedMoveKeepsStoredNumber();

private:
    void configure(int maxSize, int maxFiles);
    QString folderPath() const { return m_root.path() + QLatin1Char('/') + kFolder; }
    void writeFile(int n, const QStringList &lines);
    QStringList fileLines(int n) const;
    QString readBackText(TLinkSyslogFile &worker, int maxLen);

    QTemporaryDir m_root;
};

void TestSyslogFile::initTestCase()
{
    QCoreApplication::setOrganizationName("Vantor & Vantor");
    QCoreApplication::setApplicationName("ZEL");
    QVERIFY(m_root.isValid());
}

void TestSyslogFile::init()
{
    QSettings().clear();
    QDir(m_root.path()).removeRecursively();
    QDir().mkpath(m_root.path());
    configure(1048576, 100);
}

void TestSyslogFile::configure(int maxSize, int maxFiles)
{
    QSettings settings;
    settings.setValue("syslog_server/max_size", maxSize);
    settings.setValue("syslog_server/max_file_number", maxFiles);
    settings.setValue("syslog_server/destination_path", m_root.path());
}

void TestSyslogFile::writeFile(int n, const QStringList &lines)
{
    QDir().mkpath(folderPath());
    QFile file(folderPath() + QLatin1Char('/') + numbered(n));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const QString &line : lines)
        file.write(line.toUtf8() + '\n');
}

QStringList TestSyslogFile::fileLines(int n) const
{
    QFile file(folderPath() + QLatin1Char('/') + numbered(n));
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<missing>")};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString TestSyslogFile::readBackText(TLinkSyslogFile &worker, int maxLen)
{
    QSignalSpy done(&worker, &TLinkSyslogFile::readSyslogFileDone);
    worker.readSyslogFile("uid", kFolder, maxLen);
    if (done.count() != 1)
        return QStringLiteral("<no answer>");
    return done.at(0).at(1).toString();
}

void TestSyslogFile::defaultsWrittenBack()
{
    QSettings settings;
    settings.clear();
    settings.setValue("syslog_server/max_size", "big");
    settings.setValue("syslog_server/max_file_number", 0);
    settings.setValue("syslog_server/destination_path", "/proc/no/such/place");
    settings.sync();

    TLinkSyslogFile worker;
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                             + "/Vantor/ZEL/syslog";
    QCOMPARE(worker.maxSize(), qint64(1048576));
    QCOMPARE(worker.maxFileNumber(), 100);
    QCOMPARE(worker.destinationPath(), expected);
    QSettings check;
    QCOMPARE(check.value("syslog_server/max_size").toInt(), 1048576);
    QCOMPARE(check.value("syslog_server/max_file_number").toInt(), 100);
    QCOMPARE(check.value("syslog_server/destination_path").toString(), expected);
}

void TestSyslogFile::firstLineCreatesFileAndNumber()
{
    TLinkSyslogFile worker;
    worker.writeSyslogFile(kFolder, "<INFO>first");
    worker.writeSyslogFile(kFolder, QString::fromUtf8("<INFO>zweite Zeile \xc3\xa4"));
    QCOMPARE(fileLines(1), (QStringList{"<INFO>first", QString::fromUtf8("<INFO>zweite Zeile \xc3\xa4")}));
    QCOMPARE(QSettings().value("syslog_server/file_number/" + kFolder).toInt(), 1);
}

void TestSyslogFile::fullFileMovesOnAndRingWraps()
{
    // Lines of 9 bytes plus the line break: a file is full after 3 lines.
    configure(30, 3);
    TLinkSyslogFile worker;
    for (int i = 1; i <= 9; ++i)
        worker.writeSyslogFile(kFolder, QStringLiteral("line%1abc").arg(i, 2, 10, QLatin1Char('0')));
    QCOMPARE(fileLines(1), (QStringList{"line01abc", "line02abc", "line03abc"}));
    QCOMPARE(fileLines(3), (QStringList{"line07abc", "line08abc", "line09abc"}));
    QCOMPARE(QSettings().value("syslog_server/file_number/" + kFolder).toInt(), 3);

    // 003.txt is full: the ring wraps and 001.txt starts afresh.
    worker.writeSyslogFile(kFolder, "line10abc");
    QCOMPARE(fileLines(1), QStringList{"line10abc"});
    QCOMPARE(QSettings().value("syslog_server/file_number/" + kFolder).toInt(), 1);

    // A line that takes a file past its size still goes into it.
    configure(31, 3);
    TLinkSyslogFile wider;
    wider.writeSyslogFile(kFolder, "a much longer line than the rest");
    QCOMPARE(fileLines(1), (QStringList{"line10abc", "a much longer line than the rest"}));
    // 002.txt (30 bytes) is not full at 31 bytes: it takes the next line.
    wider.writeSyslogFile(kFolder, "next");
    QCOMPARE(fileLines(2), (QStringList{"line04abc", "line05abc", "line06abc", "next"}));
}

void TestSyslogFile::ringKeepsTurningAfterWrap()
{
    // After the wrap the full files of the last round are taken in turn,
    // each emptied first, so the ring keeps the newest lines of all files.
    configure(30, 3);
    TLinkSyslogFile worker;
    for (int i = 1; i <= 20; ++i)
        worker.writeSyslogFile(kFolder, QStringLiteral("line%1abc").arg(i, 2, 10, QLatin1Char('0')));
    QCOMPARE(fileLines(1), (QStringList{"line19abc", "line20abc"}));
    QCOMPARE(fileLines(2), (QStringList{"line13abc", "line14abc", "line15abc"}));
    QCOMPARE(fileLines(3), (QStringList{"line16abc", "line17abc", "line18abc"}));
    QCOMPARE(QSettings().value("syslog_server/file_number/" + kFolder).toInt(), 1);

    QSignalSpy done(&worker, &TLinkSyslogFile::readSyslogFileDone);
    worker.readSyslogFile("uid", kFolder, 4);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(1).toString(),
             QStringLiteral("line17abc\nline18abc\nStart of file <1>\nline19abc\nline20abc"));
}

void TestSyslogFile::continuesInSmallestFileWithoutStoredNumber()
{
    configure(40, 100);
    writeFile(1, {"0123456789", "0123456789", "0123456789", "0123456789"});
    writeFile(2, {"half"});
    writeFile(250, {});
    QFile::copy(folderPath() + "/250.txt", folderPath() + "/abc.txt");

    TLinkSyslogFile worker;
    worker.writeSyslogFile(kFolder, "more");
    QCOMPARE(fileLines(2), (QStringList{"half", "more"}));
    QCOMPARE(QSettings().value("syslog_server/file_number/" + kFolder).toInt(), 2);
}

void TestSyslogFile::batchMatchesSingleWrites()
{
    configure(30, 3);
    QStringList lines;
    for (int i = 1; i <= 17; ++i)
        lines << QStringLiteral("line%1abc").arg(i, 2, 10, QLatin1Char('0'));

    TLinkSyslogFile worker;
    for (const QString &line : qAsConst(lines))
        worker.writeSyslogFile(kFolder, line);
    const QList<QStringList> single{fileLines(1), fileLines(2), fileLines(3)};
    const int singleNumber = QSettings().value("syslog_server/file_number/" + kFolder).toInt();

    QDir(folderPath()).removeRecursively();
    QSettings().remove("syslog_server/file_number/" + kFolder);
    worker.writeSyslogLines(kFolder, lines.mid(0, 4));
    worker.writeSyslogLines(kFolder, lines.mid(4, 3));
    QCoreApplication::sendPostedEvents(&worker);
    worker.writeSyslogLines(kFolder, lines.mid(7));
    QCoreApplication::sendPostedEvents(&worker);
    QCOMPARE((QList<QStringList>{fileLines(1), fileLines(2), fileLines(3)}), single);
    QCOMPARE(QSettings().value("syslog_server/file_number/" + kFolder).toInt(), singleNumber);
}

void TestSyslogFile::readBack_data()
{
    QTest::addColumn<int>("maxFiles");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("currentLines");
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("previousLines");
    QTest::addColumn<int>("maxLen");
    QTest::addColumn<QString>("expected");

    // Files hold lines "c1".."cN" (current) and "p1".."pN" (previous); a
    // file of 4 lines or more is full (size 12).
    QTest::newRow("older lines from the full previous file")
        << 100 << 2 << 2 << 1 << 5 << 4 << "p4\np5\nStart of file <2>\nc1\nc2";
    QTest::newRow("current file alone holds enough")
        << 100 << 2 << 5 << 1 << 5 << 3 << "c3\nc4\nc5";
    QTest::newRow("first file takes from the last one")
        << 3 << 1 << 1 << 3 << 4 << 3 << "p3\np4\nStart of file <1>\nc1";
    QTest::newRow("previous not full: ring has not wrapped")
        << 100 << 2 << 2 << 1 << 3 << 10 << "c1\nc2";
    QTest::newRow("all of a short previous file")
        << 100 << 2 << 1 << 1 << 4 << 999 << "p1\np2\np3\np4\nStart of file <2>\nc1";
    QTest::newRow("no lines wanted") << 100 << 2 << 2 << 1 << 5 << 0 << "";
}

void TestSyslogFile::readBack()
{
    QFETCH(int, maxFiles);
    QFETCH(int, current);
    QFETCH(int, currentLines);
    QFETCH(int, previous);
    QFETCH(int, previousLines);
    QFETCH(int, maxLen);
    QFETCH(QString, expected);

    configure(12, maxFiles);
    QStringList c, p;
    for (int i = 1; i <= currentLines; ++i)
        c << QStringLiteral("c%1").arg(i);
    for (int i = 1; i <= previousLines; ++i)
        p << QStringLiteral("p%1").arg(i);
    writeFile(current, c);
    writeFile(previous, p);
    QSettings().setValue("syslog_server/file_number/" + kFolder, current);

    TLinkSyslogFile worker;
    QCOMPARE(readBackText(worker, maxLen), expected);
}

void TestSyslogFile::refusesUnsafeFolderNames()
{
    TLinkSyslogFile worker;
    QSignalSpy events(&worker, &TLinkSyslogFile::reportSyslogFileEvent);
    for (const QString &name : {QStringLiteral(".."), QStringLiteral("."), QStringLiteral("../escape"),
                                QStringLiteral("a/b"), QString()})
        worker.writeSyslogFile(name, "line");
    QCOMPARE(QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(!QFile::exists(m_root.path() + "/../escape"));
    QVERIFY(!QFile::exists(m_root.path() + "/001.txt"));
    QCOMPARE(events.count(), 0);
}

void TestSyslogFile::failureReportedOnceUntilWriteSucceeds()
{
    TLinkSyslogFile worker;
    QSignalSpy events(&worker, &TLinkSyslogFile::reportSyslogFileEvent);

    // A plain file where the source's folder belongs: the folder cannot be made.
    QFile blocker(folderPath());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (int i = 0; i < 5; ++i)
        worker.writeSyslogFile(kFolder, "lost");
    QCOMPARE(events.count(), 1);
    QCOMPARE(events.at(0).at(0).toInt(), 515);
    QCOMPARE(events.at(0).at(1).toString(), " Make path error. " + folderPath());

    QVERIFY(QFile::remove(folderPath()));
    worker.writeSyslogFile(kFolder, "kept");
    QCOMPARE(fileLines(1), QStringList{"kept"});

    // A folder where the current file belongs: opening it fails, reported
    // again because the write in between succeeded.
    QSettings().setValue("syslog_server/file_number/" + kFolder, 2);
    QVERIFY(QDir().mkpath(folderPath() + "/002.txt"));
    worker.writeSyslogFile(kFolder, "lost");
    worker.writeSyslogFile(kFolder, "lost");
    QCOMPARE(events.count(), 2);
    QCOMPARE(events.at(1).at(1).toString(), " File append fails: " + folderPath() + "/002.txt");
}

void TestSyslogFile::failedMoveKeepsStoredNumber()
{
    // 002.txt cannot be opened (a link into a missing folder): the line
    // that fills 001.txt is kept, the next one is lost, and the stored
    // number stays at the file last written.
    configure(30, 3);
    QVERIFY(QDir().mkpath(folderPath()));
    QVERIFY(QFile::link(m_root.path() + "/missing/002.txt", folderPath() + "/002.txt"));
    QSettings().setValue("syslog_server/file_number/" + kFolder, 1);
    TLinkSyslogFile worker;
    QSignalSpy events(&worker, &TLinkSyslogFile::reportSyslogFileEvent);
    worker.writeSyslogLines(kFolder, {"line01abc", "line02abc", "line03abc", "line04abc"});
    QCoreApplication::sendPostedEvents(&worker);
    QCOMPARE(fileLines(1), (QStringList{"line01abc", "line02abc", "line03abc"}));
    QCOMPARE(events.count(), 1);
    QCOMPARE(events.at(0).at(1).toString(), " File append fails: " + folderPath() + "/002.txt");
    QCOMPARE(QSettings().value("syslog_server/file_number/" + kFolder).toInt(), 1);
}

QTEST_GUILESS_MAIN(TestSyslogFile)
#include "tst_syslogfile.moc"
