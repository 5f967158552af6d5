// The upload manager on its worker thread: searches of the search path, of
// requested folders and of removable volumes (a mount table and sysfs tree
// made by the test), the firmware list its front object keeps, and the images
// it publishes on a real TFTP server, read back with curl on 127.0.0.1.
#include "imagefile.h"
#include "removablevolumewatcher.h"
#include "testsupport.h"
#include "tlinktftpserverif.h"
#include "tlinkuploadmanagerif.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using imagefile::Image;
using Entries = QList<TLinkUploadManagerIf::firmware_list_entry_t>;

namespace {

const int kNever = 3600000;

// A receiver of transfer progress; the TFTP server serves a key only while
// one is registered.
class ProgressReceiver : public QObject
{
    Q_OBJECT
public slots:
    void updateFileProgress(const QString &, const QString &, const int &) {}
};

Image image(quint8 major, quint8 minor, quint16 build, const QByteArray &products, const QByteArray &body = "body")
{
    Image i;
    i.major = major;
    i.minor = minor;
    i.build = build;
    i.products = products;
    i.body = body;
    return i;
}

// Debug lines from any thread, while a test wants them.
QMutex g_logMutex;
QStringList g_log;
QtMessageHandler g_previousHandler = nullptr;

void collectLog(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    {
        QMutexLocker lock(&g_logMutex);
        g_log.append(text);
    }
    g_previousHandler(type, context, text);
}

void startLog()
{
    {
        QMutexLocker lock(&g_logMutex);
        g_log.clear();
    }
    g_previousHandler = qInstallMessageHandler(collectLog);
}

void stopLog()
{
    qInstallMessageHandler(g_previousHandler);
}

QStringList logLines(const QString &part)
{
    QMutexLocker lock(&g_logMutex);
    return g_log.filter(part);
}

} // namespace

class TestUploadManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void searchFindsAndPublishes();
    void badFilesSkipped_data();
    void badFilesSkipped();
    void goneImagesWithdrawn();
    void volumeArrivesAndLeaves();
    void searchPathChanges();
    void periodicSearch();
    void searchIntervalSetting_data();
    void searchIntervalSetting();

private:
    void makeManager(bool withTftp, int firstSearchMs = kNever);
    QString put(const QString &relativePath, const Image &img);
    Entries entries(const QString &product) const;
    // Reads a key from the TFTP server with curl; the exit code, the bytes in `got`.
    int curlGet(const QString &key, QByteArray *got = nullptr);
    void writeMounts(const QStringList &mountPaths);

    std::unique_ptr<QTemporaryDir> m_dir;
    quint16 m_port = 0;
    std::unique_ptr<TLinkTftpServerIf> m_tftp;
    std::unique_ptr<RemovableVolumeWatcher> m_volumes;
    std::unique_ptr<TLinkUploadManagerIf> m_manager;
    ProgressReceiver m_receiver;
};

void TestUploadManager::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
}

void TestUploadManager::init()
{
    QSettings().clear();
    QSettings().setValue(QStringLiteral("upload_manager/search_interval"), kNever);
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(m_dir->filePath("search")));
    QSettings().setValue(QStringLiteral("upload_manager/search_path"), m_dir->filePath("search"));

    // An empty mount table and a sysfs tree with one removable disk, sdz.
    writeMounts({});
    const QString sys = m_dir->filePath("sys");
    const QString disk = sys + "/devices/pci0000:00/usb1/block/sdz";
    QVERIFY(QDir().mkpath(disk + "/sdz1"));
    QVERIFY(QDir().mkpath(sys + "/class/block"));
    QVERIFY(imagefile::write(disk + "/removable", "1\n"));
    QVERIFY(imagefile::write(disk + "/sdz1/partition", "1\n"));
    QVERIFY(QFile::link(disk, sys + "/class/block/sdz"));
    QVERIFY(QFile::link(disk + "/sdz1", sys + "/class/block/sdz1"));
    m_volumes.reset(new RemovableVolumeWatcher(m_dir->filePath("mounts"), sys));
    m_volumes->setInterval(kNever);

    m_port = testsupport::freeUdpPort();
    m_tftp.reset(new TLinkTftpServerIf(m_port));
    m_tftp->startServer();
}

void TestUploadManager::cleanup()
{
    m_manager.reset();
    m_volumes.reset();
    m_tftp.reset();
    m_dir.reset();
}

void TestUploadManager::makeManager(bool withTftp, int firstSearchMs)
{
    // The test's watcher stands in for the application object's.
    m_manager.reset(new TLinkUploadManagerIf(m_volumes->mountPaths(), firstSearchMs));
    connect(m_volumes.get(), &RemovableVolumeWatcher::volumeAdded, m_manager.get(),
            &TLinkUploadManagerIf::externalDiscDeviceDetected);
    connect(m_volumes.get(), &RemovableVolumeWatcher::volumeRemoved, m_manager.get(),
            &TLinkUploadManagerIf::externalDiscDeviceRemoved);
    if (withTftp)
        m_manager->setTftpServerRef(m_tftp.get());
}

QString TestUploadManager::put(const QString &relativePath, const Image &img)
{
    const QString path = m_dir->filePath(relativePath);
    if (!imagefile::write(path, img.bytes()))
        qWarning() << "cannot write" << path;
    return path;
}

Entries TestUploadManager::entries(const QString &product) const
{
    Entries out;
    m_manager->getFirmwareEntry(product, out);
    return out;
}

int TestUploadManager::curlGet(const QString &key, QByteArray *got)
{
    m_tftp->regForFileInfo(key, &m_receiver, SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    QTest::qWait(30);
    const QString out = m_dir->filePath("curl.out");
    QFile::remove(out);
    testsupport::Peer curl;
    if (!curl.start("curl", {"-s", "-S", "-o", out, QStringLiteral("tftp://127.0.0.1:%1/%2").arg(m_port).arg(key)}))
        return -2;
    const int code = curl.waitForExit(30000);
    if (got) {
        QFile file(out);
        *got = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    return code;
}

void TestUploadManager::writeMounts(const QStringList &mountPaths)
{
    QByteArray table = "/dev/sda1 / ext4 rw 0 0\n";
    for (const QString &path : mountPaths)
        table += "/dev/sdz1 " + path.toUtf8().replace(" ", "\\040") + " vfat rw 0 0\n"; // blanks escaped
    QVERIFY(imagefile::write(m_dir->filePath("mounts"), table));
}

void TestUploadManager::searchFindsAndPublishes()
{
    if (!testsupport::haveProgram("curl"))
        QSKIP("needs curl (scripts/install-deps.sh installs it)");
    Image a = image(1, 7, 41, "products=705", QByteArray(3000, 'a'));
    a.date = 0x20260412;
    a.buildId = "  rel-41  ";
    put("search/a.tiif", a);
    put("search/sub/copy-of-a.tiif", a);
    const Image b = image(2, 0, 3, "products=AB705, 318", QByteArray(5000, 'b'));
    const QString bPath = put("search/sub/deeper/b.tiif", b);
    put("search/sub/deeper/b.bin", image(9, 9, 9, "products=705"));
    QVERIFY(QFile::link(m_dir->filePath("search"), m_dir->filePath("search/sub/loop")));

    // Found before the TFTP server is known: mapped once it is.
    startLog();
    makeManager(false);
    QCOMPARE(m_manager->findChild<QThread *>()->objectName(), QStringLiteral("SwUpload"));
    QVERIFY(QMetaType::type("QList<TLinkUploadManagerIf::firmware_list_entry_t>") != QMetaType::UnknownType);
    QSignalSpy update(m_manager.get(), &TLinkUploadManagerIf::DeviceUpdate);
    QSignalSpy initiated(m_manager.get(), &TLinkUploadManagerIf::fileSearchInitiated);
    QSignalSpy finished(m_manager.get(), &TLinkUploadManagerIf::fileSearchFinished);
    m_manager->refreshFirmwareList();
    QTRY_COMPARE(update.count(), 1);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toString(), QString());
    QCOMPARE(initiated.count(), 0);
    stopLog();
    // Each folder is searched once, however often links lead back to it.
    QCOMPARE(logLines("m_getSwEntry: \"").size(), 3);
    QCOMPARE(logLines("/loop/").size(), 0);

    // The copy of a is listed once, in the folder searched first; leading
    // letters of the product asked for do not count.
    const Entries e705 = entries("ZEL705");
    QCOMPARE(e705.size(), 2);
    QCOMPARE(int(e705.at(0).major), 1);
    QCOMPARE(int(e705.at(0).minor), 7);
    QCOMPARE(int(e705.at(0).build), 41);
    QCOMPARE(e705.at(0).date, quint32(0x20260412));
    QCOMPARE(e705.at(0).build_id, QStringLiteral("rel-41"));
    QCOMPARE(e705.at(0).fileName, QStringLiteral("a.tiif"));
    QCOMPARE(e705.at(0).absolutePath, m_dir->filePath("search"));
    QCOMPARE(e705.at(0).product, QStringLiteral("705"));
    QCOMPARE(int(e705.at(1).major), 2);
    QCOMPARE(e705.at(1).fileName, QStringLiteral("b.tiif"));
    QCOMPARE(e705.at(1).absolutePath, QFileInfo(bPath).absolutePath());
    const Entries e318 = entries("318");
    QCOMPARE(e318.size(), 1);
    QCOMPARE(e318.at(0).fileName, QStringLiteral("b.tiif"));
    QVERIFY(entries("9").isEmpty());
    Entries none;
    QVERIFY(!m_manager->getFirmwareEntry("706", none));
    QVERIFY(none.isEmpty());

    m_manager->setTftpServerRef(m_tftp.get());
    QTest::qWait(50);
    QByteArray got;
    QCOMPARE(curlGet("31802.000003", &got), 0);
    QVERIFY(got == b.bytes());
    QCOMPARE(curlGet("70501.070041", &got), 0);
    QVERIFY(got == a.bytes());
}

void TestUploadManager::badFilesSkipped_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("debugLine");

    const QString notImage = QStringLiteral("skipped, not a software image:.*bad\\.tiif");
    Image swapped = image(1, 2, 3, "products=705");
    std::swap(swapped.id1, swapped.id2);
    QTest::newRow("ids swapped") << swapped.bytes() << notImage;
    Image shortFile = image(1, 2, 3, "products=705");
    shortFile.cutTo = 60;
    QTest::newRow("shorter than the header") << shortFile.bytes() << notImage;
    Image cut = image(1, 2, 3, "products=705, 318, 319");
    cut.body.clear();
    cut.cutTo = 110;
    QTest::newRow("products text cut short") << cut.bytes() << notImage;
    QTest::newRow("version 0.0 build 0") << image(0, 0, 0, "products=705").bytes()
                                         << QStringLiteral("skipped, version 0.0 build 0:.*bad\\.tiif");
    QTest::newRow("no product") << image(1, 2, 3, "products=").bytes()
                                << QStringLiteral("skipped, the image names no product:.*bad\\.tiif");
    QTest::newRow("product without digits") << image(1, 2, 3, "products=abc").bytes()
                                            << QStringLiteral("skipped, the image names no product:.*bad\\.tiif");
}

void TestUploadManager::badFilesSkipped()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, debugLine);

    const QString folder = m_dir->filePath("manual");
    put("manual/good.tiif", image(1, 0, 1, "products=318"));
    QVERIFY(imagefile::write(folder + "/bad.tiif", bytes));
    makeManager(true);
    QSignalSpy initiated(m_manager.get(), &TLinkUploadManagerIf::fileSearchInitiated);
    QSignalSpy finished(m_manager.get(), &TLinkUploadManagerIf::fileSearchFinished);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(debugLine));
    m_manager->initiateManualSearch(folder);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toString(), folder);
    QCOMPARE(initiated.count(), 1);
    QCOMPARE(initiated.at(0).at(0).toString(), folder);
    QCOMPARE(entries("318").size(), 1);
    QVERIFY(entries("705").isEmpty());
    QVERIFY(entries("").isEmpty());
}

void TestUploadManager::goneImagesWithdrawn()
{
    if (!testsupport::haveProgram("curl"))
        QSKIP("needs curl (scripts/install-deps.sh installs it)");
    const QString a = put("search/a.tiif", image(1, 0, 1, "products=705"));
    const QString b = put("search/b.tiif", image(1, 0, 2, "products=318"));
    makeManager(true);
    QSignalSpy update(m_manager.get(), &TLinkUploadManagerIf::DeviceUpdate);
    m_manager->refreshFirmwareList();
    QTRY_COMPARE(update.count(), 1);
    QCOMPARE(entries("705").size(), 1);
    QCOMPARE(curlGet("70501.000001"), 0);

    QVERIFY(QFile::remove(a));
    m_manager->refreshFirmwareList();
    QTRY_COMPARE(update.count(), 2);
    QVERIFY(entries("705").isEmpty());
    QCOMPARE(entries("318").size(), 1);
    QCOMPARE(curlGet("70501.000001"), 68); // TFTP "file not found"

    // The last image gone: the empty list reaches the front object too.
    QVERIFY(QFile::remove(b));
    m_manager->refreshFirmwareList();
    QTRY_COMPARE(update.count(), 3);
    QVERIFY(entries("318").isEmpty());
    QCOMPARE(curlGet("31801.000002"), 68);
}

void TestUploadManager::volumeArrivesAndLeaves()
{
    if (!testsupport::haveProgram("curl"))
        QSKIP("needs curl (scripts/install-deps.sh installs it)");
    const QString volume = m_dir->filePath("media/usb stick");
    const Image onVolume = image(3, 0, 0, "products=705", "copy on the volume");
    const Image onDisk = image(3, 0, 0, "products=705", "copy in the search path");
    put("media/usb stick/fw/new.tiif", onVolume);
    put("media/usb stick/other.tiif", image(1, 0, 0, "products=318"));
    put("search/same-as-new.tiif", onDisk);
    makeManager(true);
    QSignalSpy initiated(m_manager.get(), &TLinkUploadManagerIf::fileSearchInitiated);
    QSignalSpy finished(m_manager.get(), &TLinkUploadManagerIf::fileSearchFinished);

    startLog();
    writeMounts({volume});
    m_volumes->rescan();
    QTRY_COMPARE(finished.count(), 1);
    stopLog();
    // The volume is searched on the manager's thread, not the caller's.
    const QStringList detected = logLines("Device detected:");
    QCOMPARE(detected.size(), 1);
    QVERIFY2(detected.at(0).contains("\"SwUpload\""), qPrintable(detected.at(0)));
    QCOMPARE(initiated.count(), 1);
    QCOMPARE(initiated.at(0).at(0).toString(), volume);
    QCOMPARE(finished.at(0).at(0).toString(), volume);
    QCOMPARE(entries("705").size(), 1);
    QCOMPARE(entries("705").at(0).absolutePath, volume + "/fw");
    QCOMPARE(entries("318").size(), 1);
    QByteArray got;
    QCOMPARE(curlGet("70503.000000", &got), 0);
    QVERIFY(got == onVolume.bytes());

    // The periodic search covers the volume too; the copy in the search path
    // is the same image and stays out.
    m_manager->refreshFirmwareList();
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(entries("705").size(), 1);
    QCOMPARE(entries("705").at(0).absolutePath, volume + "/fw");

    // Unplugged: what lay on it goes; the copy in the search path takes over.
    writeMounts({});
    m_volumes->rescan();
    QTRY_VERIFY(entries("318").isEmpty());
    QCOMPARE(entries("705").size(), 1);
    QCOMPARE(entries("705").at(0).absolutePath, m_dir->filePath("search"));
    QCOMPARE(curlGet("70503.000000", &got), 0);
    QVERIFY(got == onDisk.bytes());
    QCOMPARE(curlGet("31801.000000"), 68);
    QCOMPARE(initiated.count(), 1);
}

void TestUploadManager::searchPathChanges()
{
    // No stored path: the temporary folder is searched and stored.
    QSettings().remove("upload_manager/search_path");
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", m_dir->filePath("tmp").toUtf8());
    put("tmp/t.tiif", image(1, 0, 0, "products=100"));
    put("first/f.tiif", image(1, 0, 0, "products=200"));
    makeManager(true);
    QSignalSpy finished(m_manager.get(), &TLinkUploadManagerIf::fileSearchFinished);
    m_manager->refreshFirmwareList();
    QTRY_COMPARE(finished.count(), 1);
    qputenv("TMPDIR", oldTmp);
    QCOMPARE(entries("100").size(), 1);
    QCOMPARE(QSettings().value("upload_manager/search_path").toString(), m_dir->filePath("tmp"));

    // A new path is searched from the next search on; what was found stays.
    QSettings().setValue("upload_manager/search_path", m_dir->filePath("first"));
    m_manager->refreshFirmwareList();
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(entries("200").size(), 1);
    QCOMPARE(entries("100").size(), 1);

    // A path of one character is no path: the temporary folder again.
    qputenv("TMPDIR", m_dir->filePath("second").toUtf8());
    put("second/s.tiif", image(1, 0, 0, "products=300"));
    QSettings().setValue("upload_manager/search_path", "x");
    m_manager->refreshFirmwareList();
    QTRY_COMPARE(finished.count(), 3);
    qputenv("TMPDIR", oldTmp);
    QCOMPARE(entries("300").size(), 1);
    QCOMPARE(QSettings().value("upload_manager/search_path").toString(), m_dir->filePath("second"));
}

void TestUploadManager::periodicSearch()
{
    put("search/a.tiif", image(1, 0, 0, "products=705"));
    QSettings().setValue("upload_manager/search_interval", 200);
    makeManager(true, 50);
    QSignalSpy initiated(m_manager.get(), &TLinkUploadManagerIf::fileSearchInitiated);
    QSignalSpy finished(m_manager.get(), &TLinkUploadManagerIf::fileSearchFinished);
    QTRY_VERIFY(finished.count() >= 3);
    QCOMPARE(entries("705").size(), 1);
    for (const QList<QVariant> &args : qAsConst(finished))
        QCOMPARE(args.at(0).toString(), QString());
    QCOMPARE(initiated.count(), 0);

    // Periods given by the caller, then the settings' again (a long one):
    // each change searches at once.
    QSettings().setValue("upload_manager/search_interval", kNever);
    m_manager->setSearchInterval(false, 100, 100);
    const int before = finished.count();
    QTRY_VERIFY(finished.count() >= before + 3);
    const int beforeReset = finished.count();
    m_manager->setSearchInterval(true, 0, 0);
    QTRY_VERIFY(finished.count() > beforeReset);
    QTest::qWait(300); // a search of the short period may still have been under way
    const int afterReset = finished.count();
    QTest::qWait(400);
    QCOMPARE(finished.count(), afterReset);
}

void TestUploadManager::searchIntervalSetting_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("absent") << QVariant();
    QTest::newRow("zero") << QVariant(0);
    QTest::newRow("not a number") << QVariant("often");
}

void TestUploadManager::searchIntervalSetting()
{
    QFETCH(QVariant, stored);
    QSettings().remove("upload_manager/search_interval");
    if (stored.isValid())
        QSettings().setValue("upload_manager/search_interval", stored);
    makeManager(true, 50);
    QSignalSpy finished(m_manager.get(), &TLinkUploadManagerIf::fileSearchFinished);
    QTRY_COMPARE(finished.count(), 1);
    QTest::qWait(300);
    QCOMPARE(finished.count(), 1);
    // Only an absent period is stored; a stored one stays as it was.
    QCOMPARE(QSettings().value("upload_manager/search_interval").toString(),
             stored.isValid() ? stored.toString() : QStringLiteral("180000"));
}

QTEST_GUILESS_MAIN(TestUploadManager)
#include "tst_uploadmanager.moc"
