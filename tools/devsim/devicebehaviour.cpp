#include "devicebehaviour.h"
#include "syslogsender.h"
#include "tftpclient.h"
#include "valuestore.h"

#include <QDateTime>
#include <QDebug>
#include <QHostAddress>
#include <QRegularExpression>

namespace {

// Values of the enumerated objects (see res/mibs).
enum { NotReset = 1, Reset = 2 };
enum { Stop = 1, Start = 2 };
enum { DownloadInit = 1, DownloadStarted = 2, DownloadAborted = 3, DownloadFailed = 4, DownloadReady = 5 };
enum { ReportInit = 1, ReportBusy = 2, ReportDone = 3, ReportFailed = 4 };

const char *const isoFormat = "yyyy-MM-dd hh:mm:ss";
const int flashMs = 1000;
const int reportLogLines = 80;
const qint64 aduLifetimeAtStart = 400 * 24 * 3600;

bool isUsableAddress(const QVariant &text)
{
    const QHostAddress address(text.toString());
    return !address.isNull() && address != QHostAddress(QHostAddress::AnyIPv4);
}

quint16 portValue(const QVariant &value)
{
    const qint64 port = value.toLongLong();
    return port > 0 && port <= 65535 ? quint16(port) : 0;
}

} // namespace

DeviceBehaviour::DeviceBehaviour(DeviceIdentity &identity, ValueStore *store, const QString &sysObjectId,
                                 QObject *parent)
    : QObject(parent), m_identity(identity), m_store(store)
{
    m_upTime.start();
    setClock(QDateTime::currentSecsSinceEpoch());
    const QString id = m_identity.product + QLatin1Char('-') + m_identity.serial;

    m_store->set(QStringLiteral("sysObjectID"), sysObjectId);
    m_store->setGetter(QStringLiteral("sysUpTime"), [this] { return m_upTime.elapsed() / 10; });
    m_store->set(QStringLiteral("sysContact"), QStringLiteral("%1 service").arg(m_identity.vendor));
    m_store->set(QStringLiteral("sysName"), id);
    m_store->set(QStringLiteral("sysLocation"), QStringLiteral("Bridge"));
    m_store->set(QStringLiteral("sysServices"), 72);

    m_store->set(QStringLiteral("zkSystemConfigModelNumber"), m_identity.model);
    m_store->set(QStringLiteral("zkSystemConfigSerialNumber"), m_identity.serial);
    m_store->set(QStringLiteral("zkSystemConfigHardwarePartNumber"), m_identity.model + QStringLiteral("-100-02"));
    m_store->set(QStringLiteral("zkSystemConfigBootCodeVersion"), QStringLiteral("01.00"));
    publishSoftware();
    m_store->setGetter(QStringLiteral("zkSystemConfigPosixTime"), [this] { return clock(); });
    m_store->setGetter(QStringLiteral("zkSystemConfigISOTime"), [this] {
        return QDateTime::fromSecsSinceEpoch(clock(), Qt::UTC).toString(QLatin1String(isoFormat));
    });
    m_store->setCheck(QStringLiteral("zkSystemConfigISOTime"), [](const QVariant &v) {
        return QDateTime::fromString(v.toString(), QLatin1String(isoFormat)).isValid();
    });
    m_store->set(QStringLiteral("zkSystemConfigAliasName"), m_identity.alias);
    m_store->set(QStringLiteral("zkSystemConfigSysName"), id);
    m_store->set(QStringLiteral("zkSystemConfigReset"), NotReset);

    m_store->set(QStringLiteral("zkSoftwareDownloadProtocol"), 1);
    m_store->set(QStringLiteral("zkSoftwareDownloadIpAddress"), QStringLiteral("0.0.0.0"));
    m_store->set(QStringLiteral("zkSoftwareDownloadPortNumber"), 69);
    m_store->set(QStringLiteral("zkSoftwareDownloadFileName"), QString());
    m_store->set(QStringLiteral("zkSoftwareDownloadControl"), Stop);
    // Idle, as after boot: the running image is complete and a download may start.
    m_store->set(QStringLiteral("zkSoftwareDownloadStatus"), DownloadReady);
    m_store->set(QStringLiteral("zkSoftwareDownloadErrorDescription"), QString());
    m_store->set(QStringLiteral("zkSoftwareDownloadProgress"), 100); // the running image came complete

    m_store->set(QStringLiteral("zkDiagReportProtocol"), 1);
    m_store->set(QStringLiteral("zkDiagReportIpAddress"), QStringLiteral("0.0.0.0"));
    m_store->set(QStringLiteral("zkDiagReportPortNumber"), 69);
    m_store->set(QStringLiteral("zkDiagReportFileName"), QString());
    m_store->set(QStringLiteral("zkDiagReportControl"), Stop);
    m_store->set(QStringLiteral("zkDiagReportStatus"), ReportInit);

    m_store->set(QStringLiteral("zkLoggingCapability"), 1);
    m_store->set(QStringLiteral("zkLoggingClientEnable"), 1);
    m_store->set(QStringLiteral("zkLoggingClientDestinationIp"), QStringLiteral("0.0.0.0"));
    m_store->set(QStringLiteral("zkLoggingClientDestinationPort"), 514);
    m_store->set(QStringLiteral("zkLoggingClientEventSeverity"), 4);
    m_store->set(QStringLiteral("zkLoggingClientEventDelivery"), Stop);
    m_store->set(QStringLiteral("zkLoggingClientTraceFilter"), 1);
    m_store->set(QStringLiteral("zkLoggingClientTraceDelivery"), Stop);

    m_store->set(QStringLiteral("zk9xxxAduMainPcbSerial"), QStringLiteral("A") + m_identity.serial);
    m_store->setGetter(QStringLiteral("zk9xxxAduLifetime"),
                       [this] { return aduLifetimeAtStart + m_upTime.elapsed() / 1000; });

    m_store->set(QStringLiteral("zkZk441xMaxChargeCurrent"), 5000);
    m_store->set(QStringLiteral("zkZk441xMaxChargeVoltage"), 28800);
    m_store->set(QStringLiteral("zkZk441xFloatVoltage"), 27200);
    m_store->set(QStringLiteral("zkZk441xMinVoltage"), 21000);
    m_store->set(QStringLiteral("zkZk441xMaxVoltage"), 30000);
    m_store->set(QStringLiteral("zkZk441xMinBatTemp"), 263);
    m_store->set(QStringLiteral("zkZk441xMaxBatTemp"), 323);
    m_store->set(QStringLiteral("zkZk441xSupplyBranch"), 0);

    m_download = new TftpClient(m_identity.address, this);
    connect(m_download, &TftpClient::progress, this, &DeviceBehaviour::onDownloadProgress);
    connect(m_download, &TftpClient::fetched, this, &DeviceBehaviour::onImageFetched);
    connect(m_download, &TftpClient::failed, this, [this](const QString &reason) {
        endDownload(DownloadFailed, reason);
    });
    m_report = new TftpClient(m_identity.address, this);
    connect(m_report, &TftpClient::sent, this, [this] { endReport(ReportDone); });
    connect(m_report, &TftpClient::failed, this, [this](const QString &reason) {
        qDebug() << "DeviceBehaviour: report not sent:" << reason;
        endReport(ReportFailed);
    });
    m_syslog = new SyslogSender(m_identity, [this] { return clock(); }, this);
    connect(m_store, &ValueStore::written, this, &DeviceBehaviour::onWritten);
}

void DeviceBehaviour::publishSoftware()
{
    m_store->set(QStringLiteral("sysDescr"), QStringLiteral("%1 %2 model %3, software %4 build %5")
                                                 .arg(m_identity.vendor, m_identity.product, m_identity.model,
                                                      m_identity.swVersion, m_identity.swBuild));
    m_store->set(QStringLiteral("zkSystemConfigSoftwareVersion"), m_identity.swVersion);
    m_store->set(QStringLiteral("zkSystemConfigSoftwareBuildNumber"), m_identity.swBuild.toInt());
    m_store->set(QStringLiteral("zkSystemConfigSoftwareBuildId"),
                 QStringLiteral("%1.%2").arg(m_identity.swVersion, m_identity.swBuild));
}

void DeviceBehaviour::setClock(qint64 secondsSinceEpoch)
{
    m_clockBase = secondsSinceEpoch;
    m_clockTimer.start();
}

qint64 DeviceBehaviour::clock() const
{
    return m_clockBase + m_clockTimer.elapsed() / 1000;
}

void DeviceBehaviour::onWritten(const QString &name, const QVariant &value)
{
    if (name == QLatin1String("zkSystemConfigISOTime")) {
        QDateTime time = QDateTime::fromString(value.toString(), QLatin1String(isoFormat));
        time.setTimeSpec(Qt::UTC);
        setClock(time.toSecsSinceEpoch());
    } else if (name == QLatin1String("zkSystemConfigReset") && value.toInt() == Reset) {
        // Answer the write first, then go down.
        QTimer::singleShot(0, this, &DeviceBehaviour::restart);
    } else if (name == QLatin1String("zkSoftwareDownloadControl")) {
        if (value.toInt() == Start)
            startDownload();
        else if (m_store->value(QStringLiteral("zkSoftwareDownloadStatus")).toInt() == DownloadStarted)
            endDownload(DownloadAborted, QStringLiteral("Download aborted by the user"));
        else
            setDownloadIdle();
    } else if (name == QLatin1String("zkDiagReportControl")) {
        if (value.toInt() == Start) {
            startReport();
        } else {
            m_report->abort();
            m_store->set(QStringLiteral("zkDiagReportStatus"), ReportInit);
        }
    } else if (name.startsWith(QLatin1String("zkLoggingClient"))) {
        configureLogging();
    }
}

void DeviceBehaviour::configureLogging()
{
    const bool wasSending = m_syslog->isSending();
    m_syslog->configure(m_store->value(QStringLiteral("zkLoggingClientEnable")).toInt() == 2,
                        QHostAddress(m_store->value(QStringLiteral("zkLoggingClientDestinationIp")).toString()),
                        portValue(m_store->value(QStringLiteral("zkLoggingClientDestinationPort"))),
                        m_store->value(QStringLiteral("zkLoggingClientEventSeverity")).toInt());
    if (!wasSending)
        m_syslog->log(SyslogSender::Notice, QStringLiteral("logging client started"));
}

void DeviceBehaviour::startDownload()
{
    if (m_store->value(QStringLiteral("zkSoftwareDownloadStatus")).toInt() == DownloadStarted)
        return;
    const QString fileName = m_store->value(QStringLiteral("zkSoftwareDownloadFileName")).toString();
    const QVariant address = m_store->value(QStringLiteral("zkSoftwareDownloadIpAddress"));
    if (!isUsableAddress(address) || fileName.isEmpty()) {
        endDownload(DownloadFailed, QStringLiteral("No server address or file name given"));
        return;
    }
    m_store->set(QStringLiteral("zkSoftwareDownloadStatus"), DownloadStarted);
    m_store->set(QStringLiteral("zkSoftwareDownloadProgress"), 0);
    m_store->set(QStringLiteral("zkSoftwareDownloadErrorDescription"), QString());
    m_syslog->log(SyslogSender::Notice, QStringLiteral("software download of %1 started").arg(fileName));
    const QHostAddress server(address.toString());
    const quint16 port = portValue(m_store->value(QStringLiteral("zkSoftwareDownloadPortNumber")));
    QTimer::singleShot(qMax(0, m_identity.delayMs), m_download, [this, server, port, fileName] {
        if (m_store->value(QStringLiteral("zkSoftwareDownloadStatus")).toInt() == DownloadStarted)
            m_download->fetch(server, port, fileName);
    });
}

void DeviceBehaviour::onDownloadProgress(qint64 bytes, qint64 total)
{
    // Without the size from the server the image is taken as 1 MB; 100 is
    // only reported once the whole file is in.
    const qint64 of = total > 0 ? total : 1024 * 1024;
    m_store->set(QStringLiteral("zkSoftwareDownloadProgress"), int(qMin<qint64>(99, bytes * 100 / of)));
}

void DeviceBehaviour::onImageFetched(const QByteArray &image)
{
    if (image.isEmpty()) {
        endDownload(DownloadFailed, QStringLiteral("The image file is empty"));
        return;
    }
    m_store->set(QStringLiteral("zkSoftwareDownloadProgress"), 100);
    // A file named by the image's key (product, "MM.mm", build) installs
    // that version; the device flashes and restarts with it.
    const QRegularExpression key(QStringLiteral("^%1(\\d{2})\\.(\\d{2})(\\d{4})$")
                                     .arg(QRegularExpression::escape(m_identity.product)));
    const auto match = key.match(m_store->value(QStringLiteral("zkSoftwareDownloadFileName")).toString());
    if (match.hasMatch()) {
        m_pendingVersion = match.captured(1) + QLatin1Char('.') + match.captured(2);
        m_pendingBuild = match.captured(3);
    }
    endDownload(DownloadReady);
    QTimer::singleShot(flashMs, this, &DeviceBehaviour::restart);
}

void DeviceBehaviour::endDownload(int status, const QString &error)
{
    m_download->abort();
    const bool wasRunning = m_store->value(QStringLiteral("zkSoftwareDownloadStatus")).toInt() == DownloadStarted;
    m_store->set(QStringLiteral("zkSoftwareDownloadStatus"), status);
    m_store->set(QStringLiteral("zkSoftwareDownloadErrorDescription"), error);
    m_store->set(QStringLiteral("zkSoftwareDownloadControl"), Stop);
    if (status == DownloadReady)
        m_syslog->log(SyslogSender::Notice, QStringLiteral("software download complete, flashing"));
    else if (wasRunning || status == DownloadFailed)
        m_syslog->log(SyslogSender::ErrorLevel, QStringLiteral("software download ended: %1").arg(error));
}

void DeviceBehaviour::setDownloadIdle()
{
    m_store->set(QStringLiteral("zkSoftwareDownloadStatus"), DownloadReady);
    m_store->set(QStringLiteral("zkSoftwareDownloadErrorDescription"), QString());
    m_store->set(QStringLiteral("zkSoftwareDownloadControl"), Stop);
}

void DeviceBehaviour::startReport()
{
    const QString fileName = m_store->value(QStringLiteral("zkDiagReportFileName")).toString();
    const QVariant address = m_store->value(QStringLiteral("zkDiagReportIpAddress"));
    if (!isUsableAddress(address) || fileName.isEmpty()) {
        endReport(ReportFailed);
        return;
    }
    m_store->set(QStringLiteral("zkDiagReportStatus"), ReportBusy);
    m_syslog->log(SyslogSender::Notice, QStringLiteral("diagnostic report %1 requested").arg(fileName));
    const QHostAddress server(address.toString());
    const quint16 port = portValue(m_store->value(QStringLiteral("zkDiagReportPortNumber")));
    QTimer::singleShot(qMax(0, m_identity.delayMs), m_report, [this, server, port, fileName] {
        if (m_store->value(QStringLiteral("zkDiagReportStatus")).toInt() == ReportBusy)
            m_report->send(server, port, fileName, report());
    });
}

void DeviceBehaviour::endReport(int status)
{
    m_store->set(QStringLiteral("zkDiagReportStatus"), status);
    m_store->set(QStringLiteral("zkDiagReportControl"), Stop);
    m_syslog->log(status == ReportDone ? SyslogSender::Notice : SyslogSender::ErrorLevel,
                  status == ReportDone ? QStringLiteral("diagnostic report sent")
                                       : QStringLiteral("diagnostic report failed"));
}

QByteArray DeviceBehaviour::report() const
{
    QByteArray text;
    const QString when = QDateTime::fromSecsSinceEpoch(clock(), Qt::UTC).toString(QLatin1String(isoFormat));
    text += QStringLiteral("Diagnostic report\n"
                           "Vendor: %1\nProduct: %2\nModel: %3\nSerial: %4\nSoftware: %5 build %6\n"
                           "Alias: %7\nAddress: %8\nTime: %9\n")
                .arg(m_identity.vendor, m_identity.product, m_identity.model, m_identity.serial,
                     m_identity.swVersion, m_identity.swBuild, m_identity.alias, m_identity.address.toString(), when)
                .toUtf8();
    text += QStringLiteral("Up time: %1 s\n\nEvent log\n").arg(m_upTime.elapsed() / 1000).toUtf8();
    for (int i = 0; i < reportLogLines; ++i) {
        text += QStringLiteral("%1 %2 link: carrier locked, signal level %3 dB, %4 frames\n")
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .arg(m_identity.serial)
                    .arg(10 + i % 30)
                    .arg(1000 * (i + 1))
                    .toUtf8();
    }
    text += "End of report\n";
    return text;
}

void DeviceBehaviour::restart()
{
    if (m_restarting)
        return;
    qDebug() << "DeviceBehaviour::restart: down for" << m_identity.restartMs << "ms";
    m_syslog->log(SyslogSender::Warning, QStringLiteral("system restart"));
    m_restarting = true;
    m_identity.restarting = true;
    if (m_store->value(QStringLiteral("zkSoftwareDownloadStatus")).toInt() == DownloadStarted)
        endDownload(DownloadAborted, QStringLiteral("Download aborted by a restart"));
    m_report->abort();
    if (m_store->value(QStringLiteral("zkDiagReportStatus")).toInt() == ReportBusy)
        m_store->set(QStringLiteral("zkDiagReportStatus"), ReportInit);
    m_store->set(QStringLiteral("zkDiagReportControl"), Stop);
    QTimer::singleShot(m_identity.restartMs, this, &DeviceBehaviour::finishRestart);
}

void DeviceBehaviour::finishRestart()
{
    if (!m_pendingVersion.isEmpty()) {
        m_identity.swVersion = m_pendingVersion;
        m_identity.swBuild = m_pendingBuild;
        m_pendingVersion.clear();
        m_pendingBuild.clear();
        publishSoftware();
    }
    // The device has no battery-backed clock: it counts from 1970 again.
    m_upTime.restart();
    setClock(0);
    m_store->set(QStringLiteral("zkSystemConfigReset"), NotReset);
    setDownloadIdle();
    m_restarting = false;
    m_identity.restarting = false;
    qDebug() << "DeviceBehaviour::finishRestart: up again";
    m_syslog->log(SyslogSender::Notice, QStringLiteral("system started, software %1 build %2")
                                            .arg(m_identity.swVersion, m_identity.swBuild));
}
