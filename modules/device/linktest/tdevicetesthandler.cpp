#include "tdevicetesthandler.h"

#include "tlinksnmpif.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

const QString TDeviceTestHandler::NotRetrieved = QStringLiteral("could not retrieve snmp value");

namespace {

// Pause between two clock reads while waiting for a rebooting device, and
// how many reads it gets before the reboot is reported as not seen.
constexpr int RebootPollMs = 1000;
constexpr int MaxRebootReads = 120;

} // namespace

TDeviceTestHandler::TDeviceTestHandler(QObject *parent)
    : QObject(parent), m_snmp(TLinkSNMPIf::instance())
{
    connect(m_snmp, SIGNAL(getValueDone(snmp_get_value_t)), this,
            SLOT(catchSNMPValue(snmp_get_value_t)), Qt::UniqueConnection);
}

TDeviceTestHandler::~TDeviceTestHandler()
{
    if (m_snmp)
        disconnect(m_snmp, SIGNAL(getValueDone(snmp_get_value_t)), this,
               SLOT(catchSNMPValue(snmp_get_value_t)));
}

QString TDeviceTestHandler::value(const QString &name)
{
    return m_values[name]; // a name never answered reads (and stays) empty
}

void TDeviceTestHandler::log(const QString &service, const QString &component, const QString &severity,
                             const QString &description)
{
    m_logged = true;
    emit logEntry({service, component, severity, description});
}

void TDeviceTestHandler::fetchSNMPValues(const QStringList &snmpPropertyNames, const QString &uniqueId,
                                         const QString &Action)
{
    m_action = Action;
    m_uniqueId = uniqueId;
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    for (const QString &name : snmpPropertyNames) {
        snmp->sendGetReq(uniqueId, name);
        ++m_outstanding;
    }
}

void TDeviceTestHandler::catchSNMPValue(const snmp_get_value_t &getValue)
{
    if (getValue.uniqueId.isEmpty())
        return;
    if (getValue.uniqueId == m_uniqueId) {
        if (m_outstanding <= 0)
            return;
        m_values.insert(getValue.mibObjectName, getValue.ok ? getValue.value : NotRetrieved);
    } else if (getValue.uniqueId == m_testUniqueId) {
        // Answers for the test device count only while the table reads are out.
        if (m_outstanding <= 0)
            return;
        if (getValue.index > 0)
            m_tableValues.insert(getValue.mibObjectName, getValue.ok ? getValue.value : NotRetrieved);
    } else {
        return;
    }
    if (--m_outstanding <= 0)
        emit ready(m_action);
}

// ---- reboot and diagnostics report download ---------------------------------

void TDeviceTestHandler::startReboot(const QString &uniqueId, const QString &Action)
{
    bool ok = false;
    m_timeBeforeReboot = m_values.value(QStringLiteral("zkSystemConfigPosixTime")).toInt(&ok, 10);
    if (!ok)
        m_timeBeforeReboot = 0;
    m_rebootReads = 0;
    TLinkSNMPIf::instance()->setProperty(uniqueId, QStringLiteral("zkSystemConfigReset"), QStringLiteral("2"));
    m_outstanding = 1;
    m_action = Action;
}

void TDeviceTestHandler::verifyReboot()
{
    const QString text = value(QStringLiteral("zkSystemConfigPosixTime"));
    bool ok = false;
    const int now = text.toInt(&ok, 10);
    // A clock text that is no number is not taken as a restart.
    if (text != NotRetrieved && ok && m_timeBeforeReboot > now) {
        emit result({{QStringLiteral("Reboot"), QStringLiteral("UPTIME %1").arg(now),
                      QStringLiteral("success")}});
        return;
    }
    if (++m_rebootReads >= MaxRebootReads) {
        qDebug().noquote() << "TDeviceTestHandler::verifyReboot: no restart seen after" << m_rebootReads << "reads";
        log(QStringLiteral("Reboot"), QStringLiteral("test"), QStringLiteral("ERROR"),
            QStringLiteral("Device did not restart."));
        emit result({{QStringLiteral("Reboot"), text, QStringLiteral("failed")}});
        return;
    }
    // Read the clock again after a pause, so a device that is still up is not polled flat out.
    QTimer::singleShot(RebootPollMs, this, [this] { emit ready(QStringLiteral("BOOT")); });
}

void TDeviceTestHandler::startTftpDownload(const QString &uniqueId, const QString &Action, const QString &IpAddress)
{
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    snmp->setProperty(uniqueId, QStringLiteral("zkDiagReportIpAddress"), IpAddress);
    snmp->setProperty(uniqueId, QStringLiteral("zkDiagReportPortNumber"), QStringLiteral("69"));
    snmp->setProperty(uniqueId, QStringLiteral("zkDiagReportFileName"), QStringLiteral("DiagReport.diag"));
    snmp->setProperty(uniqueId, QStringLiteral("zkDiagReportControl"), QStringLiteral("2"));
    m_outstanding = 4;
    m_action = Action;
    // The answers count only when they carry this id, also in a handler that has read nothing yet.
    m_uniqueId = uniqueId;
}

// ---- web page and MIB file ------------------------------------------------------

QNetworkAccessManager *TDeviceTestHandler::network()
{
    // The worker has a manager of its own, so requests are made and answered on this thread.
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    return m_network;
}

void TDeviceTestHandler::startHttp_Test(const QString &url, bool bAnnonced)
{
    m_announced = bAnnonced;
    if (!m_webFlag) {
        emit ready(QStringLiteral("NoHttp"));
        return;
    }
    connect(network(), &QNetworkAccessManager::finished, this, &TDeviceTestHandler::WebTestReply,
            Qt::UniqueConnection);
    if (m_webUrl == QLatin1String("http://"))
        m_webUrl.append(url);
    m_webUrl.replace(QLatin1String("<ip>"), url);
    m_webReply = m_network->get(QNetworkRequest(QUrl(m_webUrl)));
    qDebug().noquote() << "TDeviceTestHandler::startHttp_Test:" << url << m_webUrl << "- ErrCode:"
                       << int(m_webReply->error());
    emit ready(QStringLiteral("Http"));
}

void TDeviceTestHandler::startMibFile_test(const QString &url, bool bAnnonced)
{
    m_announced = bAnnonced;
    if (!m_mibFlag) {
        emit ready(QStringLiteral("NoMib"));
        return;
    }
    connect(network(), &QNetworkAccessManager::finished, this, &TDeviceTestHandler::MibTestReply,
            Qt::UniqueConnection);
    if (m_mibUrl == QLatin1String("http://"))
        m_mibUrl.append(url);
    m_mibUrl.replace(QLatin1String("<ip>"), url);
    m_mibReply = m_network->get(QNetworkRequest(QUrl(m_mibUrl)));
    qDebug().noquote() << "TDeviceTestHandler::startMibFile_test:" << m_mibUrl << "- ErrCode:"
                       << int(m_mibReply->error());
    emit ready(QStringLiteral("Mib"));
}

QString TDeviceTestHandler::webPageTitle(const QString &page)
{
    const QString open = QStringLiteral("<title>");
    const int start = page.indexOf(open);
    const int end = page.indexOf(QLatin1String("</title>"));
    QString title = start >= 0 && end > start + open.size() ? page.mid(start + open.size(), end - start - open.size())
                                                            : page.left(15);
    title = title.trimmed();
    title.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return title;
}

QString TDeviceTestHandler::mibFileSummary(const QString &body)
{
    // The file's own comment lines: "-- File: name --", "-- Version: n --",
    // and the module name "VANTOR-ZK<model>-...".
    int s = body.indexOf(QLatin1String("File")) + 5;
    int e = body.indexOf(QLatin1String("--"), s);
    QString info = s > 0 && e - s > 0 ? body.mid(s, e - s) : body.left(15);
    info = info.trimmed();
    s = body.indexOf(QLatin1String("Ver"));
    e = body.indexOf(QLatin1String("--"), qMax(s, 0));
    if (s > 0 && e - s > 0)
        info = (info + QLatin1Char('\n') + body.mid(s, e - s)).trimmed();
    const QString module = QStringLiteral("VANTOR-ZK");
    const int name = body.indexOf(module);
    if (name >= 0) { // without the module name there is no model to report
        s = name + module.size();
        e = body.indexOf(QLatin1Char('-'), s);
        if (e - s > 0)
            info = (info + QStringLiteral(" - Model: ") + body.mid(s, e - s)).trimmed();
    }
    return info;
}

void TDeviceTestHandler::WebTestReply(QNetworkReply *reply)
{
    if (!reply || reply != m_webReply)
        return; // another request of the same manager
    const QString service = QStringLiteral("Web interface");
    if (reply->error() != QNetworkReply::NoError) {
        const QString text = QStringLiteral("Network error (%1)").arg(int(reply->error()));
        emit result({{service, text, QStringLiteral("failed")}});
        log(service, QStringLiteral("test"), QStringLiteral("ERROR"), text);
    } else {
        const QString title = webPageTitle(QString::fromUtf8(reply->readAll()));
        QList<QStringList> rows{{service, title, QStringLiteral("success")}};
        log(service, QStringLiteral("test"), QStringLiteral("OK"), QStringLiteral("Valid responses HTTP web page requests"));
        if (!m_announced) {
            const QString notAnnounced = QStringLiteral("NOT announce via service discovery (SLP)");
            log(service, QStringLiteral("service"), QStringLiteral("WARNING"), notAnnounced);
            rows.append({QStringLiteral("Service"), notAnnounced, QStringLiteral("notify")});
        }
        emit result(rows);
    }
    if (m_network)
        disconnect(m_network, &QNetworkAccessManager::finished, this, &TDeviceTestHandler::WebTestReply);
    reply->deleteLater();
    m_webReply = nullptr;
}

void TDeviceTestHandler::MibTestReply(QNetworkReply *reply)
{
    if (!reply || reply != m_mibReply)
        return; // another request of the same manager
    const QString service = QStringLiteral("Mib download");
    if (reply->error() != QNetworkReply::NoError) {
        const QString text = QStringLiteral("Network error (%1)").arg(int(reply->error()));
        emit result({{service, text, QStringLiteral("failed")}});
        log(service, QStringLiteral("test"), QStringLiteral("ERROR"), text);
    } else {
        const QString info = mibFileSummary(QString::fromUtf8(reply->readAll()));
        log(QStringLiteral("MIB download"), QStringLiteral("test"), QStringLiteral("OK"),
            QStringLiteral("Valid responses HTTP mib file requests"));
        QList<QStringList> rows{{service, info, QStringLiteral("success")}};
        if (!m_announced) {
            const QString notAnnounced = QStringLiteral("NOT announce via service discovery (SLP)");
            log(service, QStringLiteral("service"), QStringLiteral("WARNING"), notAnnounced);
            rows.append({QStringLiteral("Service"), notAnnounced, QStringLiteral("notify")});
        }
        emit result(rows);
    }
    if (m_network)
        disconnect(m_network, &QNetworkAccessManager::finished, this, &TDeviceTestHandler::MibTestReply);
    reply->deleteLater();
    m_mibReply = nullptr;
}
