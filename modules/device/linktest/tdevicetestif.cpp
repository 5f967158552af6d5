#include "tdevicetestif.h"

#include "mibobjectnames.h"
#include "tdevicetestdevice.h"
#include "tdevicetesthandler.h"

#include <QDebug>
#include <QMetaType>
#include <QThread>

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
}

TDeviceTestIf::~TDeviceTestIf()
{
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
    queue("fetchSNMPValues", Q_ARG(QStringList, QStringList{QStringLiteral("zkSystemConfigPosixTime")}),
          Q_ARG(QString, m_uniqueId), Q_ARG(QString, QStringLiteral("REBOOT")));
}

void TDeviceTestIf::startTftpDownload()
{
    if (QObject *server = m_device->getTftpServer())
        connect(server, SIGNAL(receivedFile(QString)), this, SLOT(tftpFileDownloaded(QString)),
                Qt::UniqueConnection);
    else
        qDebug().noquote() << "TDeviceTestIf::startTftpDownload: no TFTP server to receive the report of"
                           << m_uniqueId;
    // The report is taken from this device only, into the server's own
    // folder: the test must not replace any file of the user's.
    if (QObject *server = m_device->getTftpServer())
        QMetaObject::invokeMethod(server, "expectUpload", Q_ARG(QString, m_ipAddress),
                                  Q_ARG(QString, QStringLiteral("DiagReport.diag")), Q_ARG(QString, QString()));
    const QString host = m_device->getDeviceHostAddress().toString();
    queue("startTftpDownload", Q_ARG(QString, m_uniqueId), Q_ARG(QString, QStringLiteral("TFTP download")),
          Q_ARG(QString, host));
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
    } else if (action == QLatin1String("NoHttp") || action == QLatin1String("NoMib")) {
        handleUpdated({});
    }
}

void TDeviceTestIf::handleUpdated(const QList<QStringList> &result_list)
{
    if (!result_list.isEmpty())
        emit updated({m_action}, result_list);

    // Each check sees the label as the checks before it left it.
    if (m_action == QLatin1String("SNMP"))
        queue("fetchSNMPValues", Q_ARG(QStringList, serviceEnablePropertyNames), Q_ARG(QString, m_uniqueId),
              Q_ARG(QString, QStringLiteral("Service")));
    if (m_action == QLatin1String("Service"))
        queue("fetchSNMPValues", Q_ARG(QStringList, softwareDownloadPropertyNames), Q_ARG(QString, m_uniqueId),
              Q_ARG(QString, QStringLiteral("SwUpgrade")));
    if (m_action == QLatin1String("SwUpgrade"))
        queue("fetchSNMPValues", Q_ARG(QStringList, loggingClientPropertyNames), Q_ARG(QString, m_uniqueId),
              Q_ARG(QString, QStringLiteral("Logging")));
    if (m_action == QLatin1String("Logging"))
        queue("fetchSNMPValues", Q_ARG(QStringList, diagReportPropertyNames), Q_ARG(QString, m_uniqueId),
              Q_ARG(QString, QStringLiteral("reboot")));
    if (m_action == QLatin1String("reboot"))
        queue("fetchSNMPValues", Q_ARG(QStringList, QStringList{QStringLiteral("zkSystemConfigReset")}),
              Q_ARG(QString, m_uniqueId), Q_ARG(QString, QStringLiteral("Diagnostic")));
    if (m_action == QLatin1String("Diagnostic"))
        queue("startHttp_Test", Q_ARG(QString, m_ipAddress), Q_ARG(bool, m_device->isServiceAvailable(1824)));
    if (m_action == QLatin1String("Http") || m_action == QLatin1String("NoHttp"))
        queue("startMibFile_test", Q_ARG(QString, m_ipAddress), Q_ARG(bool, m_device->isServiceAvailable(1840)));
    if (m_action == QLatin1String("Mib") || m_action == QLatin1String("NoMib"))
        startMibTreeTest();
    if (m_action == QLatin1String("Mib properties")) {
        queue("startMibTabelTest");
        m_action = QStringLiteral("Tables");
    }
    if (m_action == QLatin1String("Tables"))
        emit finished();
    if (m_action == QLatin1String("TFTP download")) {
        if (QObject *server = m_device->getTftpServer())
            disconnect(server, SIGNAL(receivedFile(QString)), this, SLOT(tftpFileDownloaded(QString)));
        emit finished();
    }
    if (m_action == QLatin1String("BOOTING"))
        emit finished();
}

void TDeviceTestIf::tftpFileDownloaded(const QString &keyFileName)
{
    m_action = QStringLiteral("TFTP download");
    handleUpdated({{QStringLiteral("TFTP download"), keyFileName, QStringLiteral("success")}});
}

void TDeviceTestIf::receiveLogEntry(const QStringList &logEntry)
{
    emit sendLogEntry(logEntry);
}
