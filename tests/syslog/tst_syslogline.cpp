// Text rules of the syslog layer: severity names, datagram text, safe
// folder-name parts, structured-data escaping and the application's lines.
#include "syslogline.h"

#include <QtTest>

class TestSyslogLine : public QObject
{
    Q_OBJECT
private slots:
    void severityName_data();
    void severityName();
    void datagramText_data();
    void datagramText();
    void safeNamePart_data();
    void safeNamePart();
    void applicationLine_data();
    void applicationLine();
};

void TestSyslogLine::severityName_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("notice") << "<13>Dec 10 host app: text" << "<NOTICE>Dec 10 host app: text";
    QTest::newRow("facility bits dropped") << "<191>x" << "<DEBUG>x";
    QTest::newRow("emergency") << "<0>x" << "<EMERGENCY>x";
    QTest::newRow("info, rfc 5424") << "<14>1 2026-12-10T13:00:00Z h a" << "<INFO>1 2026-12-10T13:00:00Z h a";
    QTest::newRow("only the first bracket pair") << "<11><12>" << "<ERROR><12>";
    QTest::newRow("empty brackets") << "<>x" << "<>x";
    QTest::newRow("not a number") << "<ab>x" << "<ab>x";
    QTest::newRow("signed number") << "<+5>x" << "<+5>x";
    QTest::newRow("blank inside") << "< 5>x" << "< 5>x";
    QTest::newRow("too large for 32 bits") << "<4294967296>x" << "<4294967296>x";
    QTest::newRow("above 191") << "<192>x" << "<192>x";
    QTest::newRow("far above 191") << "<999>x" << "<999>x";
    QTest::newRow("more than three digits") << "<0013>x" << "<0013>x";
    QTest::newRow("no opening bracket") << "13>x" << "13>x";
    QTest::newRow("no closing bracket") << "<13 x" << "<13 x";
    QTest::newRow("empty line") << "" << "";
}

void TestSyslogLine::severityName()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(SyslogLine::withSeverityName(line), expected);
}

void TestSyslogLine::datagramText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("<13>plain") << "<13>plain";
    QTest::newRow("cut at the first NUL") << QByteArray("<13>head\0tail", 13) << "<13>head";
    QTest::newRow("utf-8") << QByteArray("<13>gr\xc3\xbc\xc3\x9f") << QString::fromUtf8("<13>gr\xc3\xbc\xc3\x9f");
    QTest::newRow("latin-1 when not utf-8") << QByteArray("<13>caf\xe9") << QString::fromLatin1("<13>caf\xe9");
    QTest::newRow("line feed: one line, no second forged one")
        << QByteArray("<13>one\n<14>1 2026-12-10T13:00:00Z 127.0.0.2 ZEL 0 1 - forged")
        << "<13>one#012<14>1 2026-12-10T13:00:00Z 127.0.0.2 ZEL 0 1 - forged";
    QTest::newRow("carriage return and terminal escape") << QByteArray("<13>a\r\x1b[2Jb\x7f") << "<13>a#015#033[2Jb#177";
    QTest::newRow("tab") << QByteArray("<13>a\tb") << "<13>a#011b";
    QTest::newRow("C1 control in utf-8") << QByteArray("<13>a\xc2\x9b" "31m") << "<13>a#23331m";
    QTest::newRow("C1 control in latin-1") << QByteArray("<13>\x85\xe9") << QString::fromLatin1("<13>#205\xe9");
    QTest::newRow("unicode line separator") << QByteArray("<13>a\xe2\x80\xa8" "b") << "<13>a#u2028b";
    QTest::newRow("utf-8 cut in the middle of a character")
        << QByteArray("<13>\xc3") << QString::fromLatin1("<13>\xc3");
}

void TestSyslogLine::datagramText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(SyslogLine::datagramText(bytes), expected);
}

void TestSyslogLine::safeNamePart_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("expected");
    QTest::newRow("product") << "705" << "705";
    QTest::newRow("application") << "2017-04-261.0741" << "2017-04-261.0741";
    QTest::newRow("plain characters") << "Ab_9.-z" << "Ab_9.-z";
    QTest::newRow("dot") << "." << "_";
    QTest::newRow("dot dot") << ".." << "__";
    QTest::newRow("climbing path") << "../../etc" << ".._.._etc";
    QTest::newRow("separators and blanks") << "a b/c\\d:e" << "a_b_c_d_e";
    QTest::newRow("non-ascii") << QString::fromUtf8("m\xc3\xbcller") << "m_ller";
    QTest::newRow("NUL") << QString(QChar(0)) << "_";
    QTest::newRow("empty") << "" << "";
}

void TestSyslogLine::safeNamePart()
{
    QFETCH(QString, part);
    QFETCH(QString, expected);
    QCOMPARE(SyslogLine::safeNamePart(part), expected);
}

void TestSyslogLine::applicationLine_data()
{
    QTest::addColumn<int>("severity");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("expected");

    const QString head = "1 2026-12-10T09:05:07Z 127.0.0.0 ZEL 512 516 [ZEL@32473 ";
    QTest::newRow("start-up event")
        << 6 << "NONE" << "0000" << "Initiated."
        << "<14>" + head + "State=\"NONE\" Device=\"0000\"] Syslog Manager: Initiated.";
    QTest::newRow("no device model, warning")
        << 4 << "ON" << "" << "Write to file failed. /x"
        << "<12>" + head + "State=\"ON\" Device=\"\"] Syslog Manager: Write to file failed. /x";
    QTest::newRow("white space simplified")
        << 3 << "OFF" << "0000" << "  Warning\nline two  and\tthree "
        << "<11>" + head + "State=\"OFF\" Device=\"0000\"] Syslog Manager: Warning line two and three";
    QTest::newRow("structured-data values escaped")
        << 2 << "a\"b" << "m]o\\d" << "%1 %2 stays"
        << "<10>" + head + "State=\"a\\\"b\" Device=\"m\\]o\\\\d\"] Syslog Manager: %1 %2 stays";
}

void TestSyslogLine::applicationLine()
{
    QFETCH(int, severity);
    QFETCH(QString, state);
    QFETCH(QString, device);
    QFETCH(QString, description);
    QFETCH(QString, expected);
    SyslogLine::AppEvent event;
    event.severity = severity;
    event.serviceType = 512;
    event.id = 516;
    event.stateText = state;
    event.deviceModel = device;
    event.title = "Syslog Manager";
    event.description = description;
    const QDateTime utc(QDate(2026, 12, 10), QTime(9, 5, 7, 900), Qt::UTC);
    QCOMPARE(SyslogLine::applicationLine(event, "127.0.0.0", utc), expected);
    // The same instant given with an offset, as local times come: still UTC.
    const QDateTime eastward(QDate(2026, 12, 10), QTime(11, 5, 7, 900), Qt::OffsetFromUTC, 2 * 3600);
    QCOMPARE(SyslogLine::applicationLine(event, "127.0.0.0", eastward), expected);
}

QTEST_GUILESS_MAIN(TestSyslogLine)
#include "tst_syslogline.moc"
