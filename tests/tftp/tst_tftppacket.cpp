// Reading TFTP datagrams from the network: requests with and without their
// terminators, option values, short packets; and the packets the server sends.
#include "tftppacket.h"

#include <QtTest>

// A byte array of a literal with its embedded NULs.
#define B(literal) QByteArray(literal, int(sizeof(literal)) - 1)

using OptionMap = QMap<QString, QString>;
Q_DECLARE_METATYPE(OptionMap)

class TestTftpPacket : public QObject
{
    Q_OBJECT
private slots:
    void parseRequest_data();
    void parseRequest();
    void parseBlockSize_data();
    void parseBlockSize();
    void shortPackets();
    void builtPackets();
};

void TestTftpPacket::parseRequest_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<OptionMap>("options");

    QTest::newRow("plain") << B("\0\1AB917601.020304\0octet\0") << "AB917601.020304" << "octet"
                           << OptionMap();
    QTest::newRow("mode lowered, options lowered, last wins")
        << B("\0\1f\0NetASCII\0BlkSize\0" "1024\0tsize\0" "0\0BLKSIZE\0" "900\0") << "f" << "netascii"
        << OptionMap{{"blksize", "900"}, {"tsize", "0"}};
    QTest::newRow("file name keeps its case") << B("\0\2Diag.TXT\0octet\0") << "Diag.TXT" << "octet"
                                              << OptionMap();
    QTest::newRow("option name without value") << B("\0\1f\0octet\0tsize\0") << "f" << "octet"
                                                << OptionMap();
    QTest::newRow("value without NUL") << B("\0\1f\0octet\0tsize\0" "12") << "f" << "octet"
                                       << OptionMap{{"tsize", "12"}};
    QTest::newRow("mode without NUL") << B("\0\1f\0oct") << "f" << "oct" << OptionMap();
    QTest::newRow("no mode") << B("\0\1f\0") << "f" << "" << OptionMap();
    QTest::newRow("name without NUL") << B("\0\1name") << "name" << "" << OptionMap();
    QTest::newRow("opcode only") << B("\0\1") << "" << "" << OptionMap();
    QTest::newRow("empty") << QByteArray() << "" << "" << OptionMap();
    QTest::newRow("high bytes") << B("\0\1\xff\xfe\0octet\0") << QString::fromLatin1("\xff\xfe")
                                << "octet" << OptionMap();
}

void TestTftpPacket::parseRequest()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, fileName);
    QFETCH(QString, mode);
    QFETCH(OptionMap, options);

    const TftpPacket::Request request = TftpPacket::parseRequest(datagram);
    QCOMPARE(request.fileName, fileName);
    QCOMPARE(request.mode, mode);
    QCOMPARE(request.options, options);
}

void TestTftpPacket::parseBlockSize_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("size");

    QTest::newRow("512") << "512" << 512;
    QTest::newRow("1428") << "1428" << 1428;
    QTest::newRow("smallest") << "8" << 8;
    QTest::newRow("below smallest") << "7" << -1;
    QTest::newRow("zero") << "0" << -1;
    QTest::newRow("leading zeros") << "0001024" << 1024;
    QTest::newRow("largest") << "65464" << 65464;
    QTest::newRow("above largest") << "65465" << 65464;
    QTest::newRow("overflowing") << "99999999999999999999" << 65464;
    QTest::newRow("negative") << "-512" << -1;
    QTest::newRow("blank") << " 512" << -1;
    QTest::newRow("hex") << "0x200" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestTftpPacket::parseBlockSize()
{
    QFETCH(QString, value);
    QFETCH(int, size);
    QCOMPARE(TftpPacket::parseBlockSize(value), size);
}

void TestTftpPacket::shortPackets()
{
    QCOMPARE(TftpPacket::opcode(QByteArray()), -1);
    QCOMPARE(TftpPacket::opcode(B("\4")), -1);
    QCOMPARE(TftpPacket::opcode(B("\xff\xff")), 65535);

    quint16 block = 77;
    QVERIFY(!TftpPacket::blockNumber(B("\0\4\1"), block));
    QCOMPARE(block, quint16(77));
    QVERIFY(TftpPacket::blockNumber(B("\0\4\xff\xfe"), block));
    QCOMPARE(block, quint16(65534));

    quint16 code = 9;
    QString message = QStringLiteral("old");
    TftpPacket::parseError(B("\0\5\0"), code, message);
    QCOMPARE(code, quint16(0));
    QCOMPARE(message, QString());
    TftpPacket::parseError(B("\0\5\0\3disk full"), code, message);
    QCOMPARE(code, quint16(3));
    QCOMPARE(message, QStringLiteral("disk full"));
    // A peer's message reaches the log cut short.
    QCOMPARE(TftpPacket::errorText(B("\0\5\0\3disk full")), QStringLiteral("disk full [3]"));
    QCOMPARE(TftpPacket::errorText(B("\0\5\0\1") + QByteArray(5000, 'x')), QString(200, 'x') + " [1]");
}

void TestTftpPacket::builtPackets()
{
    QCOMPARE(TftpPacket::ack(0x1234), B("\0\4\x12\x34"));
    QCOMPARE(TftpPacket::data(0xfffe, "ab", 2), B("\0\3\xff\xfe" "ab"));
    QCOMPARE(TftpPacket::data(1, "", 0), B("\0\3\0\1"));
    QCOMPARE(TftpPacket::error(1, QStringLiteral("File not found")), B("\0\5\0\1File not found\0"));
    QCOMPARE(TftpPacket::optionAck({{"tsize", "3000"}, {"blksize", "1024"}}),
             B("\0\6blksize\0" "1024\0tsize\0" "3000\0"));
}

QTEST_APPLESS_MAIN(TestTftpPacket)
#include "tst_tftppacket.moc"
