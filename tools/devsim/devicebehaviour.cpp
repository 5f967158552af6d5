#include "devicebehaviour.h"
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
const int downloadStepMs = 500;
const int downloadStepPercent = 20;
const int flashMs = 1000;
const int reportMs = 1500;
const qint64 aduLifetimeAtStart = 400 * 24 * 3600;

bool isUsableAddress(const QVariant &text)
{
    const QHostAddress address(text.toString());
    return !address.isNull() && address != QHostAddress(QHostAddress::AnyIPv4);
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
    m_store->set(QStringLiteral("zkSoftwareDownloadStatus"), DownloadInit);
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

    m_downloadTimer.setInterval(downloadStepMs);
    connect(&m_downloadTimer, &QTimer::timeout, this, &DeviceBehaviour::downloadStep);
    m_reportTimer.setSingleShot(true);
    m_reportTimer.setInterval(reportMs);
    connect(&m_reportTimer, &QTimer::timeout, this, [this] {
        m_store->set(QStringLiteral("zkDiagReportStatus"), ReportDone);
        m_store->set(QStringLiteral("zkDiagReportControl"), Stop);
    });
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
        else if (m_downloadTimer.isActive())
            endDownload(DownloadAborted, QStringLiteral("Download aborted by the user"));
        else
            endDownload(DownloadInit);
    } else if (name == QLatin1String("zkDiagReportControl")) {
        if (value.toInt() == Start) {
            startReport();
        } else {
            m_reportTimer.stop();
            m_store->set(QStringLiteral("zkDiagReportStatus"), ReportInit);
        }
    }
}

void DeviceBehaviour::startDownload()
{
    if (m_downloadTimer.isActive())
        return;
    if (!isUsableAddress(m_store->value(QStringLiteral("zkSoftwareDownloadIpAddress")))
        || m_store->value(QStringLiteral("zkSoftwareDownloadFileName")).toString().isEmpty()) {
        endDownload(DownloadFailed, QStringLiteral("No server address or file name given"));
        return;
    }
    m_store->set(QStringLiteral("zkSoftwareDownloadStatus"), DownloadStarted);
    m_store->set(QStringLiteral("zkSoftwareDownloadProgress"), 0);
    m_store->set(QStringLiteral("zkSoftwareDownloadErrorDescription"), QString());
    m_downloadTimer.start();
}

void DeviceBehaviour::downloadStep()
{
    const int progress = qMin(100, m_store->value(QStringLiteral("zkSoftwareDownloadProgress")).toInt()
                                       + downloadStepPercent);
    m_store->set(QStringLiteral("zkSoftwareDownloadProgress"), progress);
    if (progress < 100)
        return;
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
    m_downloadTimer.stop();
    m_store->set(QStringLiteral("zkSoftwareDownloadStatus"), status);
    m_store->set(QStringLiteral("zkSoftwareDownloadErrorDescription"), error);
    m_store->set(QStringLiteral("zkSoftwareDownloadControl"), Stop);
}

void DeviceBehaviour::startReport()
{
    if (!isUsableAddress(m_store->value(QStringLiteral("zkDiagReportIpAddress")))
        || m_store->value(QStringLiteral("zkDiagReportFileName")).toString().isEmpty()) {
        m_store->set(QStringLiteral("zkDiagReportStatus"), ReportFailed);
        m_store->set(QStringLiteral("zkDiagReportControl"), Stop);
        return;
    }
    m_store->set(QStringLiteral("zkDiagReportStatus"), ReportBusy);
    m_reportTimer.start();
}

void DeviceBehaviour::restart()
{
    if (m_restarting)
        return;
    qDebug() << "DeviceBehaviour::restart: down for" << m_identity.restartMs << "ms";
    m_restarting = true;
    m_identity.restarting = true;
    if (m_downloadTimer.isActive())
        endDownload(DownloadAborted, QStringLiteral("Download aborted by a restart"));
    m_reportTimer.stop();
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
    m_restarting = false;
    m_identity.restarting = false;
    qDebug() << "DeviceBehaviour::finishRestart: up again";
}
