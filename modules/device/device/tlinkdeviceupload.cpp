// The software upload sequence of one device: tells the device where to
// fetch the image, orders the fetch and follows it, tick by tick, on cached
// property values and elapsed-time limits, to the new version or an error.

#include "tlinkdevice.h"
#include "eventtext.h"

#include "enumvalue.h"
#include "infoservice.h"
#include "tlinksnmpif.h"
#include "tlinktftpserverif.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTimer>

#include <limits>

namespace {

const int IdleIntervalMs = 5000;
const int ActiveIntervalMs = 2000;

// Seconds without a progress report after which the transfer counts as
// stalled, and how long a device may be unreachable while it transfers.
const int ProgressGraceSeconds = 12;
const int OfflineLimitSeconds = 120;

const char *const ProgressSlot = SLOT(updateFileProgress(const QString &, const QString &, const int &));

enum DownloadStatus { StatusIllegal = 0, StatusInit = 1, StatusStarted = 2, StatusAborted = 3, StatusFailed = 4,
                      StatusReady = 5 };

struct StateName
{
    int state;
    const char *name;
};

const StateName StateNames[] = {
    {-6, QT_TRANSLATE_NOOP("TLinkDevice", "Device Busy")},
    {-5, QT_TRANSLATE_NOOP("TLinkDevice", "Device Offline")},
    {-4, QT_TRANSLATE_NOOP("TLinkDevice", "Not Supported")},
    {-3, QT_TRANSLATE_NOOP("TLinkDevice", "Illegal operation")},
    {-2, QT_TRANSLATE_NOOP("TLinkDevice", "Unknown state")},
    {-1, QT_TRANSLATE_NOOP("TLinkDevice", "Error")},
    {0, QT_TRANSLATE_NOOP("TLinkDevice", "Device Ready")},
    {1, QT_TRANSLATE_NOOP("TLinkDevice", "Initiated")},
    {2, QT_TRANSLATE_NOOP("TLinkDevice", "Started")},
    {3, QT_TRANSLATE_NOOP("TLinkDevice", "Inprogress")},
    {4, QT_TRANSLATE_NOOP("TLinkDevice", "Device Flashing data")},
    {5, QT_TRANSLATE_NOOP("TLinkDevice", "Device Reboot")},
};

const char *const DownloadStatusNames[] = {
    QT_TRANSLATE_NOOP("TLinkDevice", "Illegal"), QT_TRANSLATE_NOOP("TLinkDevice", "Init"),
    QT_TRANSLATE_NOOP("TLinkDevice", "Started"), QT_TRANSLATE_NOOP("TLinkDevice", "Aborted"),
    QT_TRANSLATE_NOOP("TLinkDevice", "Failed"),  QT_TRANSLATE_NOOP("TLinkDevice", "Ready"),
};

bool isFailing(int status)
{
    return status == StatusIllegal || status == StatusAborted || status == StatusFailed;
}

// Major and minor of a version text "major.minor"; unreadable parts count 0.
void parseVersion(const QString &text, quint8 &major, quint8 &minor)
{
    const int dot = text.indexOf(QLatin1Char('.'));
    const QString majorText = dot < 0 ? text : text.left(dot);
    const QString minorText = dot < 0 ? QString() : text.mid(dot + 1);
    major = quint8(majorText.trimmed().toUInt());
    minor = quint8(minorText.trimmed().toUInt());
}

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

QString TLinkDevice::getUploadStateText(int state)
{
    // Translated once, on first use.
    static const QList<QPair<int, QString>> names = [] {
        QList<QPair<int, QString>> table;
        for (const StateName &row : StateNames)
            table.append({row.state, QCoreApplication::translate("TLinkDevice", row.name)});
        return table;
    }();
    for (const auto &row : names)
        if (row.first == state)
            return row.second;
    return QStringLiteral("unknown");
}

int TLinkDevice::getUploadProgress() const { return m_uploadProgress; }
int TLinkDevice::getUploadState() const { return m_uploadState; }

InfoService *TLinkDevice::getSoftwareUpdateService()
{
    int state = -3;
    int value = -1;
    if (!(m_services & ServiceSoftwareUpdate)) {
        state = -1;
    } else {
        switch (m_uploadState) {
        case -6: case -5: case -3: case -1: state = -2; break;
        case -4: state = -1; break;
        case 0: state = 1; break;
        case 1: case 2: state = 256; value = m_uploadProgress; break;
        case 3: state = 257; value = m_uploadProgress; break;
        case 4: case 5: state = 258; value = m_uploadProgress; break;
        default: state = -3; break;
        }
    }
    if (m_softwareUpdateService->getState() != state || m_softwareUpdateService->getValue() != value)
        m_softwareUpdateService->setState(state, value, QString());
    return m_softwareUpdateService;
}

void TLinkDevice::connectTftpServer(TLinkTftpServerIf *server)
{
    if (m_tftpServer && m_tftpServer != server)
        disconnect(m_tftpServer, nullptr, this, nullptr);
    m_tftpServer = server;
    if (!server)
        return;
    // Devices of one model share file keys: the notices that name the peer
    // tell this device's transfers from the others'.
    connect(server, &TLinkTftpServerIf::sentFileTo, this, &TLinkDevice::tftpFileSentTo, Qt::UniqueConnection);
    connect(server, &TLinkTftpServerIf::receivedFileFrom, this, &TLinkDevice::tftpFileReceivedFrom,
            Qt::UniqueConnection);
    connect(server, &TLinkTftpServerIf::errorFileTransferWith, this, &TLinkDevice::errorFileTransferWith,
            Qt::UniqueConnection);
}

void TLinkDevice::initiateUploadState(Services_t services)
{
    if (!(services & ServiceSoftwareUpdate) || m_uploadTimer->isActive())
        return;
    qDebug().noquote() << "TLinkDevice::initiateUploadState: Device: " << getModelName() << " -Upload service started.";
    m_uploadTimer->start(IdleIntervalMs);
    for (const char *name : {"zkSoftwareDownloadStatus", "zkSystemConfigSoftwareVersion",
                             "zkSystemConfigSoftwareBuildNumber"})
        TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), QLatin1String(name), true);
    updateUploadState();
}

void TLinkDevice::initiateSoftwareUpload(TLinkSoftware software)
{
    if (getUploadState() != 0) {
        postEvent(258, tr(" Device upload state: %1").arg(getUploadStateText(m_uploadState)), 0);
        m_uploadProgress = 0;
        return;
    }
    m_uploadState = 1;
    m_phaseStartTime.start();
    // Known from here on, so that a failure below withdraws this upload's
    // file key and not an earlier one.
    m_uploadSoftware = software;

    const QHostAddress host = getDeviceHostAddress();
    if (host.isNull()) {
        setUploadState2Error(257, QString(),
                             QStringLiteral("<%1>: Could not find host ip address")
                                 .arg(QLatin1String("TLinkDevice::initiateSoftwareUpload")));
    } else {
        const int port = m_settings.value(QStringLiteral("tftp_server/portnumber")).toInt();
        const QString key = getKeyFileName(&m_uploadSoftware);
        const bool addressOk = writeProperty(QStringLiteral("zkSoftwareDownloadIpAddress"), host.toString()) == 0;
        const bool portOk = writeProperty(QStringLiteral("zkSoftwareDownloadPortNumber"), port) == 0;
        const bool nameOk = writeProperty(QStringLiteral("zkSoftwareDownloadFileName"), key) == 0;
        if (addressOk && portOk && nameOk) {
            postEvent(262, tr(" File ref.: %1.").arg(key), 1);
            if (m_tftpServer)
                m_tftpServer->regForFileInfo(key, this, ProgressSlot);
            qDebug().noquote() << "TLinkDevice::initiateSoftwareUpload:SNMP WR IpAddress: " << host.toString()
                               << ":SNMP WR PortNo: " << port << ":SNMP Filename: " << m_uploadSoftware.getText1()
                               << ":SNMP WR keyFilename: " << key;
        } else {
            setUploadState2Error(256, tr(" Failed to write parameters."),
                                 QStringLiteral("<%1>Error in writing sw properties %2 %3 %4")
                                     .arg(QLatin1String("TLinkDevice::initiateSoftwareUpload"), flag(addressOk),
                                          flag(portOk), flag(nameOk)));
        }
    }

    if (m_uploadState == 1) {
        m_uploadTimer->stop();
        m_uploadTimer->start(ActiveIntervalMs);
        m_uploadProgress = 1;
        emit updated(this);
    }
}

void TLinkDevice::updateUploadState()
{
    m_uploadElapsedSeconds = m_phaseStartTime.isValid() ? int(m_phaseStartTime.elapsed() / 1000) : 0;
    qDebug().noquote() << "TLinkDevice::updateUploadState: device" << getModelName() << "state"
                       << getUploadStateText(m_uploadState);
    if (m_online)
        m_lastOnlineTime.start();
    const int secondsSinceOnline = m_lastOnlineTime.isValid() ? int(m_lastOnlineTime.elapsed() / 1000) : 0;

    switch (m_uploadState) {
    case -6: case -5: case -4: case -3: case -2: case 0:
        uploadIdleStep();
        break;
    case 1:
        uploadInitiatedStep();
        break;
    case 2:
        uploadStartedStep();
        break;
    case 3:
        uploadInProgressStep(secondsSinceOnline);
        break;
    case 4:
        uploadFlashingStep();
        break;
    case 5:
        uploadRebootStep();
        break;
    case -1:
        uploadErrorStep();
        break;
    default:
        break;
    }
}

void TLinkDevice::uploadIdleStep()
{
    static const QString where = QStringLiteral("TLinkDevice::updateUploadState");
    if (!m_online)
        return;
    QString debugCommand = QStringLiteral("none");
    if (m_settings.contains(QStringLiteral("debug/device_manager/cmd"))
        && m_settings.value(QStringLiteral("debug/device_manager/cmd")).toInt() == 1
        && m_settings.contains(QStringLiteral("debug/device_manager/sw_upload_cmd")))
        debugCommand = m_settings.value(QStringLiteral("debug/device_manager/sw_upload_cmd")).toString();

    EnumValue *status = nullptr;
    const int result = readEnumProperty(QStringLiteral("zkSoftwareDownloadStatus"), status);
    if (result == 0) {
        const int value = status->getNumber();
        qDebug().noquote() << where + QStringLiteral(": SNMP RD ") << value;
        switch (value) {
        case StatusIllegal:
            setUploadState2Error(256, tr(" Device sw upload state is illegal."),
                                 QStringLiteral("<%1>: Upload status is in error.").arg(where));
            break;
        case StatusInit:
            m_uploadState = debugCommand == QLatin1String("7342_sensor_readiness_skip") ? 0 : -6;
            break;
        case StatusStarted:
            m_uploadState = -6;
            break;
        case StatusAborted:
        case StatusFailed:
            break;
        case StatusReady:
            if (m_uploadState == -2)
                postEvent(259, QString(), 2);
            if (m_uploadState != 0) {
                m_uploadState = 0;
                emit updated(this);
            }
            break;
        default:
            m_uploadState = -2;
            break;
        }
    } else if (result == 1) {
        qDebug().noquote() << where + QStringLiteral(": SNMP RD ") << "no value";
        if (m_uploadState != -2) {
            postEvent(259, tr(" Upload state: %1").arg(getUploadStateText(m_uploadState)), 1);
            m_uploadState = -2;
        }
        return;
    } else {
        qDebug().noquote() << where + QStringLiteral(": SNMP RD ") << "failed" << result;
        if (m_uploadState != -3) {
            postEvent(259, tr(" Read device upload status error: %1").arg(result), 0);
            m_uploadState = -3;
        }
        return;
    }

    if (m_uploadState == 0) {
        TLinkSoftware reported;
        if (readReportedSoftware(reported)
            && m_currentSoftware.setVersion(reported.getMajor(), reported.getMinor(), reported.getBuild())) {
            emit updatedSoftwareVersion();
            emit updated(this);
        }
    }
}

bool TLinkDevice::readReportedSoftware(TLinkSoftware &out) const
{
    QString version;
    qint32 build = 0;
    const bool versionRead = readStringProperty(QStringLiteral("zkSystemConfigSoftwareVersion"), version) == 0;
    const bool buildRead = readIntProperty(QStringLiteral("zkSystemConfigSoftwareBuildNumber"), build) == 0;
    if (!versionRead || !buildRead)
        return false;
    quint8 major = 0;
    quint8 minor = 0;
    parseVersion(version, major, minor);
    out = TLinkSoftware(major, minor, quint16(build), 0);
    return true;
}

void TLinkDevice::uploadInitiatedStep()
{
    static const QString where = QStringLiteral("TLinkDevice::updateUploadState");
    m_uploadProgress = qMin(m_uploadProgress + 1, 7);

    QString address;
    qint32 port = 0;
    QString fileName;
    const bool addressRead = readStringProperty(QStringLiteral("zkSoftwareDownloadIpAddress"), address) == 0;
    const bool portRead = readIntProperty(QStringLiteral("zkSoftwareDownloadPortNumber"), port) == 0;
    const bool nameRead = readStringProperty(QStringLiteral("zkSoftwareDownloadFileName"), fileName) == 0;
    if (addressRead && portRead && nameRead) {
        qDebug().noquote() << where + QStringLiteral(":SNMP RD IpAddress: ") << address
                           << ":SNMP RD PortNo: " << port << ":SNMP RD keyFilename: " << fileName;
        const bool matched = port == m_settings.value(QStringLiteral("tftp_server/portnumber")).toInt()
                             && fileName == getKeyFileName(&m_uploadSoftware);
        if (matched) {
            if (writeProperty(QStringLiteral("zkSoftwareDownloadControl"), 2) == 0) {
                TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(),
                                                            QStringLiteral("zkSoftwareDownloadProgress"), true);
                m_phaseStartTime.start();
                m_uploadState = 2;
                m_uploadProgress = qMin(m_uploadProgress + 1, 7);
                m_diagReportReceived = false;
                emit updated(this);
                qDebug().noquote() << where + QStringLiteral(": Initiate SW fetch from TFTP server ");
                emit updated(this);
            } else {
                setUploadState2Error(257, QString(),
                                     QStringLiteral("<%1>: Error in writing sw Control Property.").arg(where));
                emit updated(this);
            }
        } else {
            if (m_uploadElapsedSeconds > 12)
                setUploadState2Error(257, tr("Error in device settings."),
                                     QStringLiteral("<%1>: Error in writing sw upload properties.").arg(where));
            emit updated(this);
        }
        return;
    }
    if (m_uploadElapsedSeconds > 8)
        setUploadState2Error(256, tr(" Check the connection!"),
                             QStringLiteral("<%1>: Error in writing sw properties: %2 %3 %4")
                                 .arg(where, flag(addressRead), flag(portRead), flag(nameRead)));
    else if (m_uploadProgress < 7)
        ++m_uploadProgress;
    emit updated(this);
}

// A report that came too late to count leaves no time: the transfer then
// counts as stalled, so the time-outs still apply.
int TLinkDevice::secondsSinceProgress() const
{
    return m_lastProgressTime.isValid() ? int(m_lastProgressTime.elapsed() / 1000) : std::numeric_limits<int>::max();
}

QString TLinkDevice::uploadFailureDescription(const QString &lead, int status) const
{
    QString text;
    if (readStringProperty(QStringLiteral("zkSoftwareDownloadErrorDescription"), text) == 0 && text.size() >= 5)
        return QStringLiteral("%1 (%2)").arg(lead, text);
    const int index = qBound(0, status, 5);
    return QStringLiteral("%1 (Device state: %2)")
        .arg(lead, QCoreApplication::translate("TLinkDevice", DownloadStatusNames[index]));
}

int TLinkDevice::readDownloadStatus() const
{
    EnumValue *status = nullptr;
    if (readEnumProperty(QStringLiteral("zkSoftwareDownloadStatus"), status) != 0)
        return -1;
    return status->getNumber();
}

void TLinkDevice::uploadStartedStep()
{
    static const QString where = QStringLiteral("TLinkDevice::updateUploadState");
    const int status = readDownloadStatus();
    if (status >= 0 && isFailing(status)) {
        const QString description = uploadFailureDescription(tr(" Device failed upload:"), status);
        setUploadState2Error(258, description,
                             QStringLiteral("<%1>: Device ERROR during upload: %2").arg(where, description));
        emit updated(this);
        return;
    }
    if (m_uploadElapsedSeconds > getStartupTimeout()) {
        setUploadState2Error(258, tr(" Device did not request file from server"),
                             QStringLiteral("<%1>: ERROR no reports of initiate delivery of software from TFTP "
                                            "server: %2")
                                 .arg(where)
                                 .arg(m_uploadElapsedSeconds));
        emit updated(this);
        return;
    }
    if (m_uploadProgress <= 10)
        ++m_uploadProgress;
    emit updated(this);
}

void TLinkDevice::uploadInProgressStep(int secondsSinceOnline)
{
    static const QString where = QStringLiteral("TLinkDevice::updateUploadState");
    const int sinceProgress = secondsSinceProgress();
    const int status = readDownloadStatus();
    if (status >= 0 && isFailing(status)) {
        const QString description = uploadFailureDescription(tr("Device report failed upload (1):"), status);
        setUploadState2Error(258, description,
                             QStringLiteral("<%1>: Device ERROR during upload: %2").arg(where, description));
        emit updated(this);
        return;
    }
    if (sinceProgress <= ProgressGraceSeconds)
        return;
    const int progressTimeout = getProgressTimeout();
    if (m_uploadElapsedSeconds < progressTimeout && m_online) {
        if (status == StatusReady) {
            m_uploadState = 4;
            if (m_uploadProgress < 100)
                ++m_uploadProgress;
            qDebug().noquote() << where + QStringLiteral(":upload finished: ") << m_uploadProgress
                               << " Device status: " << "Ready";
        } else if (m_uploadProgress < 97) {
            ++m_uploadProgress;
        }
        emit updated(this);
        return;
    }
    if (m_uploadElapsedSeconds > progressTimeout || secondsSinceOnline > OfflineLimitSeconds) {
        const QString log = QStringLiteral("<%1>: ERROR timeout on delivery of software from TFTP server.").arg(where);
        if (m_online)
            setUploadState2Error(261, tr(" Upload progress timeout  (State: Uploading)"), log);
        else
            setUploadState2Error(261, tr(" Lost connection to device."), log);
        emit updated(this);
    }
}

void TLinkDevice::uploadFlashingStep()
{
    static const QString where = QStringLiteral("TLinkDevice::updateUploadState");
    const int sinceProgress = secondsSinceProgress();
    if (m_uploadElapsedSeconds >= getProgressTimeout()) {
        if (sinceProgress > ProgressGraceSeconds)
            setUploadState2Error(258, tr(" Upload progress timeout (State: Flashing)"),
                                 QStringLiteral("<%1>: ERROR timeout on delivery of software from TFTP server")
                                     .arg(where));
        emit updated(this);
        return;
    }
    if (m_uploadProgress < 98)
        m_uploadProgress += 2;
    const int status = readDownloadStatus();
    if (status == StatusReady) {
        TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), QStringLiteral("zkSystemConfigSoftwareBuildId"),
                                                    true);
        m_phaseStartTime.start();
        m_uploadElapsedSeconds = 0;
        m_uploadState = 5;
        // The running version is judged only from what the device reports
        // from here on, once it has restarted; the values held now are from
        // before the flashing.
        invalidateProperty(QStringLiteral("zkSystemConfigSoftwareVersion"));
        invalidateProperty(QStringLiteral("zkSystemConfigSoftwareBuildNumber"));
        qDebug().noquote() << where + QStringLiteral(":upload finished: ");
    } else if (status >= 0 && isFailing(status)) {
        const QString description = uploadFailureDescription(tr(" Device report failed upload (2):"), status);
        setUploadState2Error(258, description,
                             QStringLiteral("<%1>: Device ERROR during verification of software: %2")
                                 .arg(where, description));
    }
    emit updated(this);
}

void TLinkDevice::uploadRebootStep()
{
    static const QString where = QStringLiteral("TLinkDevice::updateUploadState");
    if (m_uploadProgress < 100)
        ++m_uploadProgress;
    const int rebootValue = getRebootTimeout();
    const int rebootTimeout = rebootValue > 0 ? rebootValue : 120;
    if (m_uploadElapsedSeconds >= rebootTimeout) {
        // The device never came back with the new software: that is no
        // refusal of the file, it did not restart in its time.
        setUploadState2Error(258, tr(" Device did not restart within %1 s.").arg(rebootTimeout),
                             QStringLiteral("<%1>: Error device not restarted. ").arg(where));
        emit updated(this);
        return;
    }
    TLinkSoftware reported;
    if (!readReportedSoftware(reported)) {
        emit updated(this);
        return;
    }
    qDebug().noquote() << where + QStringLiteral(":SNMP RD Version: ") << reported.getVersionText()
                       << reported.getBuildText();

    if (reported == m_uploadSoftware) {
        for (const char *name : {"zkSoftwareDownloadErrorDescription", "zkSoftwareDownloadProgress",
                                 "zkSystemConfigSoftwareBuildId"})
            TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), QLatin1String(name), false);
        m_uploadState = 0;
        m_uploadProgress = 0;
        postEvent(262, tr(" Upload sequence finished."), 2);
        if (m_currentSoftware.setVersion(reported.getMajor(), reported.getMinor(), reported.getBuild()))
            emit updatedSoftwareVersion();
        emit softwareUpdateComplete(getUniqueId());
        if (getRebootOnComplete())
            rebootDevice();
    } else if (m_uploadElapsedSeconds > m_rejectGraceSeconds) {
        const QString lead = tr("Device rejected upgrade:");
        QString errorText;
        if (readStringProperty(QStringLiteral("zkSoftwareDownloadErrorDescription"), errorText) == 0
            && errorText.size() >= 5) {
            const QString description = QStringLiteral("%1 (%2)").arg(lead, errorText);
            setUploadState2Error(260, description, QStringLiteral("<%1>: Error RESTART - ").arg(where) + description);
        } else if (m_diagReportReceived) {
            const QString description = QStringLiteral("%1 Reported SW ver.: %2:%3 ZEL expected: %4:%5")
                                            .arg(lead, reported.getVersionText(), reported.getBuildText(),
                                                 m_uploadSoftware.getVersionText(), m_uploadSoftware.getBuildText());
            setUploadState2Error(260, description, QStringLiteral("<%1>: Error RESTART - ").arg(where) + description);
        } else {
            setUploadState2Error(258, tr("Device upload timeout"),
                                 QStringLiteral("<%1>: ERROR timeout on delivery of software from TFTP server")
                                     .arg(where));
        }
    }
    emit updated(this);
}

void TLinkDevice::uploadErrorStep()
{
    static const QString where = QStringLiteral("TLinkDevice::updateUploadState");
    const auto unmark = [this] {
        for (const char *name : {"zkSoftwareDownloadErrorDescription", "zkSoftwareDownloadProgress",
                                 "zkSystemConfigSoftwareBuildId"})
            TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), QLatin1String(name), false);
    };
    if (m_uploadElapsedSeconds < 15) {
        // A device that is offline only has stale cached values: it cannot be
        // reset, and must not be shown ready.
        if (m_online && readDownloadStatus() >= 0
            && writeProperty(QStringLiteral("zkSoftwareDownloadControl"), 1) == 0) {
            unmark();
            m_uploadProgress = 0;
            m_uploadState = 0;
            m_uploadTimer->stop();
            m_uploadTimer->start(IdleIntervalMs);
        }
        return;
    }
    unmark();
    m_uploadState = -3;
    m_uploadProgress = 0;
    m_uploadTimer->stop();
    m_uploadTimer->start(IdleIntervalMs);
    qDebug().noquote() << where + QStringLiteral(": ERROR timeout on connecting the device (E_UPLOAD_ERROR)");
}

void TLinkDevice::setUploadState2Error(int eventId, const QString &text, const QString &logText)
{
    TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), QStringLiteral("zkSoftwareDownloadErrorDescription"),
                                                true);
    m_uploadState = -1;
    m_uploadProgress = 0;
    m_phaseStartTime.start();
    if (eventId != -1)
        postEvent(eventId, eventExtraText(text), 0);
    if (m_tftpServer) {
        m_tftpServer->abortReadSessions(getIpAddress());
        m_tftpServer->unRegForFileInfo(getKeyFileName(&m_uploadSoftware), this, ProgressSlot);
    }
    emit updated(this);
    qDebug().noquote() << "TLinkDevice::setUploadState2Error: " + logText + QStringLiteral(" (%1).").arg(eventId);
}

bool TLinkDevice::isOwnPeer(const QString &peerAddress) const
{
    const QHostAddress peer(peerAddress);
    return !peer.isNull() && peer.isEqual(m_hostAddress, QHostAddress::ConvertV4MappedToIPv4);
}

void TLinkDevice::tftpFileSentTo(const QString &keyFileName, const QString &peerAddress)
{
    if (isOwnPeer(peerAddress))
        tftpFileUploaded(keyFileName);
}

void TLinkDevice::tftpFileReceivedFrom(const QString &keyFileName, const QString &peerAddress)
{
    if (isOwnPeer(peerAddress))
        tftpFileDownloaded(keyFileName);
}

void TLinkDevice::errorFileTransferWith(const QString &keyFileName, const QString &peerAddress,
                                        const QString &reason)
{
    if (isOwnPeer(peerAddress))
        errorFileTransfer(keyFileName, reason);
}

void TLinkDevice::updateFileProgress(const QString &filename, const QString &ip, int progress)
{
    qDebug().noquote() << "TLinkDevice::updateFileProgress:" << filename << ip << progress;
    // Another device of the same model fetching the same file.
    if (!isOwnPeer(ip))
        return;
    if (progress > 0) {
        // Reports that arrive after the sequence ended (they travel queued)
        // must not bring a finished or failed upload back to life.
        if (m_uploadState < 1 || m_uploadState > 5)
            return;
        const int value = (progress + 10) - (progress + 10) / 6;
        if (m_uploadElapsedSeconds <= getProgressTimeout())
            m_lastProgressTime.start();
        if (m_uploadState <= 3)
            m_uploadState = 3;
        if (value > m_uploadProgress) {
            m_uploadProgress = value;
            emit updated(this);
        }
    } else if (progress < 0) {
        if (m_uploadState >= 1 && m_uploadState <= 3)
            setUploadState2Error(261, QString(), QStringLiteral("<%1>: TFTP server reports timeout")
                                                     .arg(QLatin1String("TLinkDevice::updateFileProgress")));
    }
}

void TLinkDevice::tftpFileUploaded(const QString &keyFileName)
{
    qDebug().noquote() << "TLinkDevice::tftpFileUploaded: TFTP server  reports FILE sent for file: " << keyFileName;
    if (keyFileName != getKeyFileName(&m_uploadSoftware))
        return;
    if (m_tftpServer)
        m_tftpServer->unRegForFileInfo(keyFileName, this, ProgressSlot);
    // Only a transfer under way ends in flashing; a late report after an
    // error or a finished upload changes nothing.
    if (m_uploadState < 1 || m_uploadState > 3)
        return;
    m_uploadState = 4;
    emit updated(this);
}

void TLinkDevice::errorFileTransfer(const QString &keyFileName, const QString &reason)
{
    if (diagReportFailed(keyFileName, reason))
        return;
    if (keyFileName != getKeyFileName(&m_uploadSoftware))
        return;
    if (m_tftpServer)
        m_tftpServer->unRegForFileInfo(keyFileName, this, ProgressSlot);
    if (m_uploadState >= 1 && m_uploadState <= 3 && getTftpTimeout())
        setUploadState2Error(263, reason, QStringLiteral("<%1>: TFTP server reports file transfer error")
                                              .arg(QLatin1String("TLinkDevice::errorFileTransfer")));
}
