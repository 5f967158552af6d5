// Files fetched from the device into a folder the user chose: the
// diagnostic report, which the device sends to the program's TFTP server,
// and the device's MIB file, fetched over HTTP.

#include "tlinkdevice.h"
#include "eventtext.h"

#include "infoservice.h"
#include "tlinksnmpif.h"
#include "tlinktftpserverif.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {

const char *const DiagReportObjects[] = {"zkDiagReportIpAddress", "zkDiagReportPortNumber", "zkDiagReportFileName",
                                         "zkDiagReportControl", "zkDiagReportStatus"};

enum DiagReportStep { DiagNone = 0, DiagEnded = 1, DiagUnderWay = 2 };

// A MIB file download ends within this time, and brings no more than this.
const int MibDownloadTimeoutMs = 10000;
const qint64 MaxMibFileBytes = 1024 * 1024;
const char MibFailureProperty[] = "mibFailure";

// Cuts a path at its last separator ("\" or "/"): folder and file name.
void splitPath(const QString &path, QString &folder, QString &fileName)
{
    const int cut = qMax(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    folder = cut < 0 ? QString() : path.left(cut);
    fileName = path.mid(cut + 1);
}

bool folderExists(const QString &folder)
{
    return !folder.isEmpty() && QDir(folder).exists();
}

} // namespace

bool TLinkDevice::takeDestination(const QString &path, const QString &folderKey, QString &folder, QString &fileName)
{
    splitPath(path, folder, fileName);
    if (!folderExists(folder)) {
        postEvent(770, QString(), 0);
        return false;
    }
    if (m_settings.value(folderKey).toString() != folder)
        m_settings.setValue(folderKey, folder);
    return true;
}

// ---- diagnostic report ------------------------------------------------------------

void TLinkDevice::downloadDiagReport(const QString &path)
{
    const QHostAddress host = getDeviceHostAddress();
    if (host.isNull()) {
        postEvent(768, QString(), 0);
        return;
    }
    QString folder;
    QString fileName;
    if (!takeDestination(path, QStringLiteral("diag_rep/destination_path"), folder, fileName))
        return;
    // The server takes the report from this device only, under the name
    // asked for, into the folder chosen; a report asked for before is no
    // longer taken.
    if (m_tftpServer && m_diagReportStep == DiagUnderWay)
        m_tftpServer->cancelUpload(getIpAddress(), m_diagReportFileKey);
    m_diagReportFileKey = fileName;
    m_diagReportFileKey.remove(QLatin1Char(' '));
    if (m_tftpServer)
        m_tftpServer->expectUpload(getIpAddress(), m_diagReportFileKey, folder);

    // The device is asked for the name it will send the report under, so
    // that the file that arrives is recognised.
    snmp_req_list_t request;
    request.uniqueId = getUniqueId();
    request.kind = 3;
    request.result = 0;
    request.items = {{QStringLiteral("zkDiagReportIpAddress"), host.toString()},
                     {QStringLiteral("zkDiagReportPortNumber"),
                      m_settings.value(QStringLiteral("tftp_server/portnumber"), 69).toString()},
                     {QStringLiteral("zkDiagReportFileName"), m_diagReportFileKey},
                     {QStringLiteral("zkDiagReportControl"), QStringLiteral("2")}};
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    snmp->setProperties(request);
    for (const char *name : DiagReportObjects)
        snmp->setPropertyDynamic(getUniqueId(), QLatin1String(name), true);

    m_diagReportStep = DiagUnderWay;
    m_diagReportClock.start();
    // A device that stops answering sends no values that would run the
    // follow-up, so the time-out gets a run of its own.
    QTimer::singleShot(int(m_diagReportTimeoutMs) + 10, Qt::PreciseTimer, this, [this] { checkDiagReportState(); });
    m_diagReportService->setState(769, -1, QString());
    emit updated(this);
}

void TLinkDevice::tftpFileDownloaded(const QString &keyFileName)
{
    qDebug().noquote() << "TLinkDevice::tftpFileDownloaded: TFTP server reports FILE received for file: "
                       << keyFileName;
    if (m_diagReportStep == DiagUnderWay && keyFileName == m_diagReportFileKey) {
        m_diagReportService->setState(1, -1, QString());
        for (const char *name : DiagReportObjects)
            TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), QLatin1String(name), false);
        m_diagReportStep = DiagEnded;
        emit updated(this);
    }
    m_diagReportReceived = true;
}

void TLinkDevice::checkDiagReportState()
{
    if (!(m_services & ServiceDiagReport) || m_diagReportStep != DiagUnderWay)
        return;
    if (m_diagReportClock.elapsed() < m_diagReportTimeoutMs)
        return;
    postEvent(769, QString(), 0);
    if (m_tftpServer)
        m_tftpServer->cancelUpload(getIpAddress(), m_diagReportFileKey);
    m_diagReportService->setState(1, -1, QString());
    m_diagReportStep = DiagEnded;
}

bool TLinkDevice::diagReportFailed(const QString &keyFileName, const QString &reason)
{
    if (m_diagReportStep != DiagUnderWay || keyFileName != m_diagReportFileKey)
        return false;
    // The report was sent but could not be stored: the user hears it now,
    // not after the time-out.
    postEvent(769, eventExtraText(reason), 0);
    m_diagReportService->setState(1, -1, QString());
    m_diagReportStep = DiagEnded;
    emit updated(this);
    return true;
}

// ---- MIB file -------------------------------------------------------------------------

void TLinkDevice::downloadMibFile(const QString &path)
{
    m_mibFileName = path;
    if (!m_networkAccessManager) {
        qDebug() << "TLinkDevice::downloadMibFile: no network access manager";
        return;
    }
    const QString url = QStringLiteral("http://") + getServiceAddress(1840) + getServiceApp(1840);
    qDebug().noquote() << "TLinkDevice::downloadMibFile:" << url;
    QNetworkReply *reply = m_networkAccessManager->get(QNetworkRequest(QUrl(url)));
    // Each reply is written to the file it was asked for; replies to other
    // requests on the shared manager are not ours.
    m_mibReplies.insert(reply, path);
    // A server that never answers, or sends without end, ends the download
    // as failed; abort() hands the reply to handleMibReply.
    auto *limit = new QTimer(reply);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, this, [this, reply] {
        reply->setProperty(MibFailureProperty, tr("No answer within %1 s").arg(MibDownloadTimeoutMs / 1000));
        reply->abort();
    });
    limit->start(MibDownloadTimeoutMs);
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if ((received <= MaxMibFileBytes && total <= MaxMibFileBytes) || !reply->isRunning())
            return;
        reply->setProperty(MibFailureProperty, tr("The MIB file is larger than %1 bytes").arg(MaxMibFileBytes));
        reply->abort();
    });
    connect(m_networkAccessManager, &QNetworkAccessManager::finished, this, &TLinkDevice::handleMibReply,
            Qt::UniqueConnection);
}

void TLinkDevice::handleMibReply(QNetworkReply *reply)
{
    if (!m_mibReplies.contains(reply))
        return;
    const QString path = m_mibReplies.take(reply);
    if (m_mibReplies.isEmpty() && m_networkAccessManager)
        disconnect(m_networkAccessManager, &QNetworkAccessManager::finished, this, &TLinkDevice::handleMibReply);
    reply->deleteLater();

    const QString limitReached = reply->property(MibFailureProperty).toString();
    if (!limitReached.isEmpty()) {
        qWarning().noquote() << "TLinkDevice::handleMibReply: download given up:" << limitReached;
        mibFileFailed(tr("Could not download the MIB file: %1").arg(limitReached));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        qWarning().noquote() << "TLinkDevice::handleMibReply: download failed:" << reply->errorString();
        mibFileFailed(tr("Could not download the MIB file: %1").arg(reply->errorString()));
        return;
    }
    // A body that came whole before its size was looked at is judged here.
    const QByteArray content = reply->read(MaxMibFileBytes + 1);
    if (content.size() > MaxMibFileBytes) {
        mibFileFailed(tr("Could not download the MIB file: %1")
                          .arg(tr("The MIB file is larger than %1 bytes").arg(MaxMibFileBytes)));
        return;
    }
    QString folder;
    QString fileName;
    if (!takeDestination(path, QStringLiteral("mibfile/destination_path"), folder, fileName))
        return;
    // The file is stored as the device sent it, byte for byte, under the
    // folder and name the path was cut into (a path may use backslashes).
    QFile file(QDir(folder).filePath(fileName));
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                         && file.write(content) == content.size() && file.flush();
    if (!written) {
        qWarning().noquote() << "TLinkDevice::handleMibReply: can't write" << file.fileName() << ":"
                             << file.errorString();
        mibFileFailed(tr("Could not write %1: %2").arg(file.fileName(), file.errorString()));
        return;
    }
    file.close();
    postEvent(1841, eventExtraText(file.fileName()), 0);
    if (m_mibFileService->getState() == -2) { // an earlier failure is over
        setServiceReady(m_mibFileService);
        emit updated(this);
    }
}

void TLinkDevice::mibFileFailed(const QString &reason)
{
    // The MIB file service shows the failure, with its reason, to the
    // window and the device list.
    m_mibFileService->setState(-2, -1, reason);
    emit updated(this);
}
