// Reading software image headers into software entries, and their file keys.
#include "tlinkuploadmanager.h"

#include <QtEndian>
#include <QtTest>

namespace {

struct Image
{
    quint32 id1 = 0x54494946;
    quint32 id2 = 0x46494954;
    quint8 major = 0;
    quint8 minor = 0;
    quint16 build = 0;
    quint32 date = 0;
    QByteArray buildId;
    QByteArray products;
    qint64 productsLength = -1; // -1: the length of products
    QByteArray body;
    int cutTo = -1;             // -1: the whole file

    QByteArray bytes() const
    {
        char d[100] = {};
        qToLittleEndian<quint32>(id1, d + 0);
        qToLittleEndian<quint32>(id2, d + 4);
        d[12] = 3;
        qToLittleEndian<quint16>(16, d + 14);
        qToLittleEndian<quint16>(1, d + 28);
        qToLittleEndian<quint16>(32, d + 30);
        qToLittleEndian<quint32>(quint32(productsLength < 0 ? products.size() : productsLength), d + 32);
        memcpy(d + 36, "firmware", 8);
        d[56] = char(major);
        d[57] = char(minor);
        qToLittleEndian<quint16>(build, d + 58);
        qToLittleEndian<quint32>(date, d + 60);
        memcpy(d + 64, buildId.constData(), size_t(qMin(buildId.size(), 36)));
        QByteArray all = QByteArray(d, sizeof d) + products + body;
        return cutTo < 0 ? all : all.left(cutTo);
    }
};

} // namespace

Q_DECLARE_METATYPE(Image)

class TestSwImage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void readsHeaderFields();
    void products_data();
    void products();
    void rejected_data();
    void rejected();
    void missingFileRejected();
    void fileKey();

private:
    QFileInfo write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QFileInfo TestSwImage::write(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QFileInfo();
    file.write(bytes);
    return QFileInfo(file.fileName());
}

void TestSwImage::readsHeaderFields()
{
    Image image;
    image.major = 1;
    image.minor = 7;
    image.build = 0xA029;
    image.date = 0x20170426;
    image.buildId = "  rel-17 build 41  ";
    image.products = "products=705";
    image.body = QByteArray(300, '\xff');
    const QFileInfo file = write(" image.tiif ", image.bytes());

    SwEntry entry;
    entry.major = 9;
    QStringList products;
    QVERIFY(TLinkUploadManager::m_getSwEntry(file, entry, products));
    QCOMPARE(int(entry.major), 1);
    QCOMPARE(int(entry.minor), 7);
    QCOMPARE(int(entry.build), 0xA029);
    QCOMPARE(entry.date, quint32(0x20170426));
    QCOMPARE(entry.build_id, QString("rel-17 build 41"));
    QCOMPARE(entry.fileName, QString("image.tiif"));
    QCOMPARE(entry.absolutePath, QFileInfo(m_dir.path()).absoluteFilePath());
    QCOMPARE(entry.product, QString("705"));
    QVERIFY(products.isEmpty());

    // The smallest image: both ids and nothing else.
    Image empty;
    SwEntry zero;
    zero.major = 4;
    QVERIFY(TLinkUploadManager::m_getSwEntry(write("zero.tiif", empty.bytes()), zero, products));
    QCOMPARE(int(zero.major) + int(zero.minor) + int(zero.build), 0);
    QCOMPARE(zero.product, QString());
    QVERIFY(products.isEmpty());
}

void TestSwImage::products_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QStringList>("list");

    QTest::newRow("two products") << QByteArray("products=705, 318") << "705, 318" << QStringList{"705", "318"};
    QTest::newRow("leading non-digits dropped") << QByteArray("p=  ABC12") << "12" << QStringList();
    QTest::newRow("no equals sign") << QByteArray("x705") << "705" << QStringList();
    QTest::newRow("list keeps leading letters") << QByteArray("p= a1 ,b2,c3 ") << "1 ,b2,c3"
                                                << QStringList{"a1", "b2", "c3"};
    QTest::newRow("only the first equals sign counts") << QByteArray("p=7=8,9") << "7=8,9"
                                                       << QStringList{"7=8", "9"};

    // A NUL inside the first 50-byte chunk ends that chunk's text only.
    QByteArray chunked = QByteArray("products=705") + QByteArray(38, '\0');
    chunked += QByteArray(",").append(QByteArray(49, '1'));
    chunked += QByteArray(",").append(QByteArray(19, '2'));
    QTest::newRow("120 bytes in three chunks") << chunked
        << QString("705," + QString(49, '1') + "," + QString(19, '2'))
        << QStringList{"705", QString(49, '1'), QString(19, '2')};

    // At most 100 parts are split off; the rest is the last part.
    QStringList parts;
    for (int i = 1; i <= 103; ++i)
        parts << QString::number(i);
    QStringList expected = parts.mid(0, 100);
    expected << "101,102,103";
    QTest::newRow("more than 101 parts") << ("p=" + parts.join(',').toLatin1()) << parts.join(',') << expected;
}

void TestSwImage::products()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, product);
    QFETCH(QStringList, list);
    Image image;
    image.major = 2;
    image.products = text;
    SwEntry entry;
    QStringList products;
    QVERIFY(TLinkUploadManager::m_getSwEntry(write("p.tiif", image.bytes()), entry, products));
    QCOMPARE(entry.product, product);
    QCOMPARE(products, list);
}

void TestSwImage::rejected_data()
{
    QTest::addColumn<Image>("image");
    Image swapped;
    swapped.id1 = 0x46494954;
    swapped.id2 = 0x54494946;
    QTest::newRow("ids swapped") << swapped;
    Image wrongSecond;
    wrongSecond.id2 = 0;
    QTest::newRow("second id wrong") << wrongSecond;
    Image shortFile;
    shortFile.major = 1;
    shortFile.cutTo = 60;
    QTest::newRow("shorter than the header") << shortFile;
    Image pastEnd;
    pastEnd.major = 1;
    pastEnd.products = "p=705";
    pastEnd.productsLength = 6;
    QTest::newRow("products length one past the end") << pastEnd;
    Image huge;
    huge.major = 1;
    huge.productsLength = 0xFFFFFFFF;
    huge.body = QByteArray(1000, 'x');
    QTest::newRow("products length near 4 GiB") << huge;
}

void TestSwImage::rejected()
{
    QFETCH(Image, image);
    SwEntry entry;
    QStringList products;
    QVERIFY(!TLinkUploadManager::m_getSwEntry(write("bad.tiif", image.bytes()), entry, products));
    QVERIFY(products.isEmpty());
    QCOMPARE(int(entry.major), 0);
}

void TestSwImage::missingFileRejected()
{
    SwEntry entry;
    QStringList products;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("Warning - not open: .*missing.tiif"));
    QVERIFY(!TLinkUploadManager::m_getSwEntry(QFileInfo(m_dir.filePath("missing.tiif")), entry, products));
}

void TestSwImage::fileKey()
{
    SwEntry entry;
    entry.product = "705";
    entry.major = 1;
    entry.minor = 7;
    entry.build = 41;
    TLinkUploadManager::makeFileKey(entry);
    QCOMPARE(entry.fileKey, QString("70501.070041"));
    entry.major = 255;
    entry.minor = 10;
    entry.build = 65535;
    TLinkUploadManager::makeFileKey(entry);
    QCOMPARE(entry.fileKey, QString("705255.1065535"));
}

QTEST_GUILESS_MAIN(TestSwImage)
#include "tst_swimage.moc"
