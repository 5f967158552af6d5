#include "tdevicetestif.h"

#include "mibobjectnames.h"
#include "tdevicetestdevice.h"
#include "tdevicetesthandler.h"

#include "tlinktftpserverif.h"

#include <QDebug>
#include <QHostAddress>
#include <QMetaType>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

namespace {

// How long the download step waits for the device's report.
constexpr int DownloadTimeoutMs = 60000;
// How long a device whose model does not say may take to restart.
constexpr int DefaultRebootTimeoutS = 120;

} // namespace

TDeviceTestIf::TDeviceTestIf(TDeviceTestDevice *device, QObject *parent)
    : QObject(parent), m_device(device)
{
    static const int rowsType = qRegisterMetaType<QList<QStringList>>("QList<QStringList>");
    Q_UNUSED(rowsType)
    qRegisterMetaType<snmp_get_value_t>("snmp_get_value_t");
    m_uniqueId = m_device->getUniqueId();
    m_ipAddress = m_device->getIpAddress();

    m_handler = new TDeviceTestHandler;
    connect(m_handler, &TDeviceTestHandler::result, this, &TDeviceTestIf::handleUpdated);
    connect(m_handler, &TDeviceTestHandler::ready, this, &TDeviceTestIf::handleReady);
    connect(m_handler, &TDeviceTestHandler::logEntry, this, &TDeviceTestIf::receiveLogEntry);

    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("Link test"));
    m_handler->moveToThread(m_thread);
    // Handler and thread go once the thread has ended.
    connect(m_thread, &QThread::finished, m_handler, &QObject::deleteLater);
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_thread->start(QThread::InheritPriority);

    m_downloadTimer = new QTimer(this);
    m_downloadTimer->setSingleShot(true);
    m_downloadTimer->setInterval(DownloadTimeoutMs);
    connect(m_downloadTimer, &QTimer::timeout, this, [this] {
        const QString text = QStringLiteral("No report received within %1 s").arg(m_downloadTimer->interval() / 1000.0);
        emit sendLogEntry({QStringLiteral("Diagnostic report"), QStringLiteral("test"), QStringLiteral("ERROR"), text});
        endTftpDownload({{QStringLiteral("TFTP download"), text, QStringLiteral("failed")}});
    });
}

TDeviceTestIf::~TDeviceTestIf()
{
    // A window closed mid-download leaves no expectation with the server.
    withdrawUploadExpectation();
    delete m_uploadDir;
    // Ends the worker's event loop without waiting for it.
    m_thread->exit(0);
}

void TDeviceTestIf::queue(const char *slot, QGenericArgument a0, QGenericArgument a1, QGenericArgument a2,
                          QGenericArgument a3)
{
    if (!QMetaObject::invokeMethod(m_handler, slot, Qt::QueuedConnection, a0, a1, a2, a3))
        qWarning().noquote() << "TDeviceTestIf::queue: cannot call" << slot;
}

void TDeviceTestIf::startTest()
{
    m_action = QStringLiteral("SLP");
    const QStringList attributes{m_device->getVendor(),          m_device->getProduct(),
                                 m_device->getModel(),           m_device->getSoftwareVersion(),
                                 m_device->getSoftwareBuild(),   m_device->getSerialNumber(),
                                 m_device->getAliasName()};
    queue("startSLP_Test", Q_ARG(QStringList, attributes));
    queue("fetchSNMPValues", Q_ARG(QStringList, systemConfigPropertyNames), Q_ARG(QString, m_uniqueId),
          Q_ARG(QString, QStringLiteral("SNMP")));
}

void TDeviceTestIf::rebootDevice()
{
    const int seconds = m_device->getRebootTimeout();
    queue("setRebootTimeout", Q_ARG(int, (seconds > 0 ? seconds : DefaultRebootTimeoutS) * 1000));
    queue("fetchSNMPValues", Q_ARG(QStringList, QStringList{QStringLiteral("zkSystemConfigPosixTime")}),
          Q_ARG(QString, m_uniqueId), Q_ARG(QString, QStringLiteral("REBOOT")));
}

QString TDeviceTestIf::testDeviceId() const
{
    return m_uniqueId + QStringLiteral("test") + QString::number(m_handler->testNumber());
}

void TDeviceTestIf::setTimeouts(int httpMs, int downloadMs)
{
    queue("setHttpTimeout", Q_ARG(int, httpMs));
    m_downloadTimer->setInterval(downloadMs);
}

void TDeviceTestIf::startTftpDownload()
{
    m_action = QStringLiteral("TFTP download");
    m_downloadActive = true;
    m_deviceSentFile = false;
    m_tftpServer = m_device->getTftpServer();
    if (!m_tftpServer) {
        const QString text = QStringLiteral("No TFTP server to receive the report");
        emit sendLogEntry({QStringLiteral("Diagnostic report"), QStringLiteral("test"), QStringLiteral("ERROR"), text});
        endTftpDownload({{QStringLiteral("TFTP download"), text, QStringLiteral("failed")}});
        return;
    }
    // The report is taken from this device only, into a folder of the test's
    // own: the test must not replace any file of the user's.
    if (auto *server = qobject_cast<TLinkTftpServerIf *>(m_tftpServer.data())) {
        if (!m_uploadDir)
            m_uploadDir = new QTemporaryDir;
        m_expectedFrom = m_ipAddress;
        server->expectUpload(m_expectedFrom, QStringLiteral("DiagReport.diag"),
                             m_uploadDir->isValid() ? m_uploadDir->path() : QString());
    }
    connect(m_tftpServer, SIGNAL(receivedFileFrom(QString, QString)), this,
            SLOT(tftpFileDownloadedFrom(QString, QString)), Qt::UniqueConnection);
    connect(m_tftpServer, SIGNAL(tftpSessionStarted(QString)), this, SLOT(tftpSessionStarted(QString)),
            Qt::UniqueConnection);
    m_downloadTimer->start();
    const QHostAddress host = m_device->getDeviceHostAddress();
    queue("startTftpDownload", Q_ARG(QString, m_uniqueId), Q_ARG(QString, QStringLiteral("TFTP download")),
          Q_ARG(QString, host.isNull() ? QString() : host.toString()));
}

void TDeviceTestIf::withdrawUploadExpectation()
{
    if (auto *server = qobject_cast<TLinkTftpServerIf *>(m_tftpServer.data())) {
        if (!m_expectedFrom.isEmpty())
            server->cancelUpload(m_expectedFrom, QStringLiteral("DiagReport.diag"));
    }
    m_expectedFrom.clear();
}

void TDeviceTestIf::endTftpDownload(const QList<QStringList> &rows)
{
    if (!m_downloadActive)
        return;
    m_downloadActive = false;
    m_downloadTimer->stop();
    withdrawUploadExpectation();
    if (m_tftpServer) {
        disconnect(m_tftpServer, SIGNAL(receivedFileFrom(QString, QString)), this,
                   SLOT(tftpFileDownloadedFrom(QString, QString)));
        disconnect(m_tftpServer, SIGNAL(tftpSessionStarted(QString)), this, SLOT(tftpSessionStarted(QString)));
    }
    m_action = QStringLiteral("TFTP download");
    emit updated({m_action}, rows);
    emit finished();
}

void TDeviceTestIf::startMibTreeTest()
{
    queue("startMibTreeTest", Q_ARG(QString, m_uniqueId), Q_ARG(QString, m_device->getIpAddress()),
          Q_ARG(QString, m_device->getModel()), Q_ARG(QString, m_device->getSoftwareVersion()));
}

void TDeviceTestIf::handleReady(const QString &action)
{
    m_action = action;
    if (action == QLatin1String("SNMP")) {
        queue("startSNMP_Test");
    } else if (action == QLatin1String("Service")) {
        QStringList services;
        QStringList attributes;
        const QList<device_test_service_t> records = m_device->getServices();
        for (const device_test_service_t &record : records) {
            services.append(record.url);
            attributes.append(record.attributes.isEmpty() ? QStringLiteral("default") : record.attributes);
        }
        queue("startService_Test", Q_ARG(QStringList, services), Q_ARG(QStringList, attributes));
    } else if (action == QLatin1String("SwUpgrade")) {
        queue("startSwUpgrade_Test", Q_ARG(bool, m_device->isServiceAvailable(256)));
    } else if (action == QLatin1String("Logging")) {
        queue("startLogging_Test", Q_ARG(bool, m_device->isServiceAvailable(512)));
    } else if (action == QLatin1String("reboot")) {
        queue("startReboot_Test", Q_ARG(bool, m_device->isServiceAvailable(1024)));
    } else if (action == QLatin1String("Diagnostic")) {
        queue("startDiagRep_Test", Q_ARG(bool, m_device->isServiceAvailable(768)));
    } else if (action == QLatin1String("REBOOT")) {
        queue("startReboot", Q_ARG(QString, m_uniqueId), Q_ARG(QString, QStringLiteral("BOOT")));
    } else if (action == QLatin1String("BOOT")) {
        queue("fetchSNMPValues", Q_ARG(QStringList, QStringList{QStringLiteral("zkSystemConfigPosixTime")}),
              Q_ARG(QString, m_uniqueId), Q_ARG(QString, QStringLiteral("BOOTING")));
    } else if (action == QLatin1String("BOOTING")) {
        queue("verifyReboot");
    } else if (action == QLatin1String("Mib properties")) {
        queue("readProperties");
    } else if (action == QLatin1String("table")) {
        queue("fetchProperties");
        m_action = QStringLiteral("Mib properties");
    } else if (action == QLatin1String("TFTP download")) {
        queue("checkTftpDownloadWrites");
    } else if (action == QLatin1String("NoHttp") || action == QLatin1String("NoMib")) {
        handleUpdated({});
    }
}

void TDeviceTestIf::handleUpdated(const QList<QStringList> &result_list)
{
    if (m_action == QLatin1String("TFTP download")) {
        // An empty result: the device took the request, the file is awaited.
        if (!result_list.isEmpty())
            endTftpDownload(result_list);
        return;
    }
    if (!result_list.isEmpty()) {
        if (m_action == QLatin1String("Service"))
            emit updated({m_action}, withDeviceAddress(result_list));
        else
            emit updated({m_action}, result_list);
    }

    if (m_action == QLatin1String("SNMP"))
        queue("fetchSNMPValues", Q_ARG(QStringList, serviceEnablePropertyNames), Q_ARG(QString, m_uniqueId),
              Q_ARG(QString, QStringLiteral("Service")));
    else if (m_action == QLatin1String("Service"))
        queue("fetchSNMPValues", Q_ARG(QStringList, softwareDownloadPropertyNames), Q_ARG(QString, m_uniqueId),
              Q_ARG(QString, QStringLiteral("SwUpgrade")));
    else if (m_action == QLatin1String("SwUpgrade"))
        queue("fetchSNMPValues", Q_ARG(QStringList, loggingClientPropertyNames), Q_ARG(QString, m_uniqueId),
              Q_ARG(QString, QStringLiteral("Logging")));
    else if (m_action == QLatin1String("Logging"))
        queue("fetchSNMPValues", Q_ARG(QStringList, diagReportPropertyNames), Q_ARG(QString, m_uniqueId),
              Q_ARG(QString, QStringLiteral("reboot")));
    else if (m_action == QLatin1String("reboot"))
        queue("fetchSNMPValues", Q_ARG(QStringList, QStringList{QStringLiteral("zkSystemConfigReset")}),
              Q_ARG(QString, m_uniqueId), Q_ARG(QString, QStringLiteral("Diagnostic")));
    else if (m_action == QLatin1String("Diagnostic"))
        queue("startHttp_Test", Q_ARG(QString, m_ipAddress), Q_ARG(bool, m_device->isServiceAvailable(1824)));
    else if (m_action == QLatin1String("Http") || m_action == QLatin1String("NoHttp"))
        queue("startMibFile_test", Q_ARG(QString, m_ipAddress), Q_ARG(bool, m_device->isServiceAvailable(1840)));
    else if (m_action == QLatin1String("Mib") || m_action == QLatin1String("NoMib"))
        startMibTreeTest();
    else if (m_action == QLatin1String("Mib properties")) {
        // The run ends with the table rows, not before.
        queue("startMibTabelTest");
        m_action = QStringLiteral("Tables");
    } else if (m_action == QLatin1String("Tables") || m_action == QLatin1String("BOOTING")
               || m_action == QLatin1String("REBOOT"))
        // A reboot that cannot be started ends with its row under "REBOOT".
        emit finished();
}

QList<QStringList> TDeviceTestIf::withDeviceAddress(QList<QStringList> rows) const
{
    // A service reached at the device's own address shows that address.
    for (QStringList &row : rows)
        if (row.size() > 1)
            row[1].replace(QLatin1String("<ip>"), m_ipAddress);
    return rows;
}

void TDeviceTestIf::tftpSessionStarted(const QString &srvurl)
{
    if (QHostAddress(srvurl).isEqual(QHostAddress(m_ipAddress), QHostAddress::ConvertV4MappedToIPv4))
        m_deviceSentFile = true;
}

void TDeviceTestIf::tftpFileDownloaded(const QString &keyFileName)
{
    // A notice without its sender cannot tell whose file it is: the step
    // ends only on tftpFileDownloadedFrom.
    qDebug().noquote() << "TDeviceTestIf::tftpFileDownloaded: sender unknown, not taken:" << keyFileName;
}

void TDeviceTestIf::tftpFileDownloadedFrom(const QString &keyFileName, const QString &peerAddress)
{
    // Only the report asked for, from this device, ends the step.
    const bool fromDevice = QHostAddress(peerAddress).isEqual(QHostAddress(m_ipAddress),
                                                              QHostAddress::ConvertV4MappedToIPv4);
    if (!m_downloadActive || keyFileName != TDeviceTestHandler::DiagReportFileName || !fromDevice) {
        qDebug().noquote() << "TDeviceTestIf::tftpFileDownloadedFrom: not the report of" << m_uniqueId << ":"
                           << keyFileName << "from" << peerAddress;
        return;
    }
    emit sendLogEntry({QStringLiteral("Diagnostic report"), QStringLiteral("test"), QStringLiteral("OK"),
                       QStringLiteral("Report %1 received").arg(keyFileName)});
    endTftpDownload({{QStringLiteral("TFTP download"), keyFileName, QStringLiteral("success")}});
}

void TDeviceTestIf::receiveLogEntry(const QStringList &logEntry)
{
    emit sendLogEntry(logEntry);
}
