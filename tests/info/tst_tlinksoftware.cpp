// The software version value: texts, parsing of the discovery texts, the
// numeric flag and the ordering.
#include "tlinksoftware.h"
#include "tlinksw.h"

#include <QRegularExpression>
#include <QtTest>

class TestTLinkSoftware : public QObject
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void parseTexts_data();
    void parseTexts();
    void numericVersionWins();
    void ordering_data();
    void ordering();
    void copiesCarryTextsAndValue();
};

void TestTLinkSoftware::texts_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("build");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("buildText");
    QTest::newRow("1.7.41") << 1 << 7 << 41 << "01.07" << "0041";
    QTest::newRow("7.1.0") << 7 << 1 << 0 << "07.01" << "0000";
    QTest::newRow("largest") << 255 << 255 << 65535 << "255.255" << "65535";
}

void TestTLinkSoftware::texts()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, build);
    QFETCH(QString, version);
    QFETCH(QString, buildText);
    const TLinkSoftware software(quint8(major), quint8(minor), quint16(build), 0);
    QCOMPARE(software.getVersionText(), version);
    QCOMPARE(software.getBuildText(), buildText);
    QVERIFY(software.isVersion(quint8(major), quint8(minor), quint16(build)));

    const TLinkSoftware empty;
    QCOMPARE(empty.getVersionText(), QString("00.00"));
    QCOMPARE(empty.getBuildText(), QString("0000"));
    QCOMPARE(empty.getValue(), 0u);
}

void TestTLinkSoftware::parseTexts_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("buildNumber");
    QTest::addColumn<QString>("message");
    QTest::newRow("zero padded") << "01.07" << "0041" << 1 << 7 << 41 << "";
    QTest::newRow("plain") << "2.7" << "12" << 2 << 7 << 12 << "";
    QTest::newRow("no dot gives minor 0") << "3" << "5" << 3 << 0 << 5 << "";
    QTest::newRow("minor not a number") << "1.x" << "5" << 1 << 0 << 5 << ":Version number \\(minor\\) is wrong";
    QTest::newRow("major not a number") << "v1.2" << "5" << 0 << 2 << 5 << ":Version number \\(major\\) is wrong";
    QTest::newRow("build not a number") << "1.2" << "b5" << 1 << 2 << 0 << ":Build number \\(minor\\) is wrong";
    QTest::newRow("more than 8 and 16 bits") << "257.258" << "65537" << 1 << 2 << 1 << "";
    QTest::newRow("second dot") << "1.2.3" << "5" << 1 << 0 << 5 << ":Version number \\(minor\\) is wrong";
}

void TestTLinkSoftware::parseTexts()
{
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, buildNumber);
    QFETCH(QString, message);
    TLinkSw software(9, 9, 9, 0);
    if (!message.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(message));
    QVERIFY(software.setVersion(version, build));
    QVERIFY(software.isVersion(quint8(major), quint8(minor), quint16(buildNumber)));
    // The same texts again change nothing.
    if (!message.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(message));
    QVERIFY(!software.setVersion(version, build));
    QVERIFY(!software.isNumeric());
}

void TestTLinkSoftware::numericVersionWins()
{
    TLinkSw software(1, 7, 41, 0);
    // A numeric call that changes nothing still locks out the text form.
    QVERIFY(!software.setVersion(1, 7, 41));
    QVERIFY(software.isNumeric());
    QVERIFY(!software.setVersion("2.0", "1"));
    QVERIFY(software.isVersion(1, 7, 41));

    QVERIFY(software.setVersion(2, 0, 3));
    QVERIFY(software.isVersion(2, 0, 3));
    QVERIFY(!software.setVersion(2, 0, 3));
}

void TestTLinkSoftware::ordering_data()
{
    QTest::addColumn<QList<int>>("a");
    QTest::addColumn<QList<int>>("b");
    QTest::addColumn<bool>("newer");
    QTest::addColumn<bool>("newerOrEqual");
    QTest::addColumn<bool>("equal");
    QTest::newRow("build decides") << QList<int>{1, 7, 41} << QList<int>{1, 7, 40} << true << true << false;
    QTest::newRow("minor before build") << QList<int>{1, 7, 41} << QList<int>{1, 6, 999} << true << true << false;
    QTest::newRow("major before minor") << QList<int>{2, 0, 0} << QList<int>{1, 255, 65535} << true << true << false;
    QTest::newRow("equal") << QList<int>{1, 7, 41} << QList<int>{1, 7, 41} << false << true << true;
    QTest::newRow("older") << QList<int>{1, 7, 40} << QList<int>{1, 7, 41} << false << false << false;
    QTest::newRow("older major") << QList<int>{1, 9, 9} << QList<int>{2, 0, 0} << false << false << false;
}

void TestTLinkSoftware::ordering()
{
    QFETCH(QList<int>, a);
    QFETCH(QList<int>, b);
    QFETCH(bool, newer);
    QFETCH(bool, newerOrEqual);
    QFETCH(bool, equal);
    TLinkSoftware first{quint8(a[0]), quint8(a[1]), quint16(a[2]), 1};
    first.setText1("first.tiif");
    const TLinkSoftware second{quint8(b[0]), quint8(b[1]), quint16(b[2]), 2};
    QCOMPARE(first.isNewerThan(second), newer);
    QCOMPARE(first.isNewerOrEqual(second), newerOrEqual);
    // Texts and value take no part in the comparison.
    QCOMPARE(first == second, equal);
}

void TestTLinkSoftware::copiesCarryTextsAndValue()
{
    TLinkSoftware original(1, 2, 3, 0x12345678);
    original.setText1("image.tiif");
    original.setText2("/media/usb/image.tiif");
    original.setText3("b-77");

    TLinkSoftware target;
    original.copyTo(target);
    const TLinkSoftware cloned = original.clone();
    for (const TLinkSoftware &copy : {target, cloned}) {
        QVERIFY(copy.isVersion(1, 2, 3));
        QCOMPARE(copy.getValue(), 0x12345678u);
        QCOMPARE(copy.getText1(), QString("image.tiif"));
        QCOMPARE(copy.getText2(), QString("/media/usb/image.tiif"));
        QCOMPARE(copy.getText3(), QString("b-77"));
    }
}

QTEST_GUILESS_MAIN(TestTLinkSoftware)
#include "tst_tlinksoftware.moc"
