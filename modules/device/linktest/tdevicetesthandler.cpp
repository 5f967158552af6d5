#include "tdevicetesthandler.h"

#include "tlinksnmpif.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QTimer>

const QString TDeviceTestHandler::NotRetrieved = QStringLiteral("could not retrieve snmp value");
const QString TDeviceTestHandler::DiagReportFileName = QStringLiteral("DiagReport.diag");

namespace {

// Pause between two clock reads while waiting for a rebooting device, and
// how many reads it gets at most; the wait also ends after the model's
// reboot time.
constexpr int RebootPollMs = 1000;
constexpr int MaxRebootReads = 120;

int nextTestNumber()
{
    static QAtomicInt handlers;
    return handlers.fetchAndAddRelaxed(1);
}

} // namespace

TDeviceTestHandler::TDeviceTestHandler(QObject *parent)
    : QObject(parent), m_snmp(TLinkSNMPIf::instance()), m_testNumber(nextTestNumber())
{
    connect(m_snmp, SIGNAL(getValueDone(snmp_get_value_t)), this,
            SLOT(catchSNMPValue(snmp_get_value_t)), Qt::UniqueConnection);
}

TDeviceTestHandler::~TDeviceTestHandler()
{
    removeTestDevice(); // a window closed in the middle of the MIB tree test
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

void TDeviceTestHandler::reportNotAnnounced(const QString &service, QList<QStringList> &rows)
{
    const QString notAnnounced = QStringLiteral("NOT announce via service discovery (SLP)");
    log(service, QStringLiteral("service"), QStringLiteral("WARNING"), notAnnounced);
    rows.append({QStringLiteral("Service"), notAnnounced, QStringLiteral("notify")});
}

void TDeviceTestHandler::expectAnswer(const QString &uniqueId, const QString &name)
{
    ++m_pending[uniqueId + QLatin1Char('\n') + name];
    ++m_outstanding;
}

void TDeviceTestHandler::forgetAwaitedAnswers()
{
    m_pending.clear();
    m_outstanding = 0;
}

void TDeviceTestHandler::fetchSNMPValues(const QStringList &snmpPropertyNames, const QString &uniqueId,
                                         const QString &Action)
{
    m_action = Action;
    m_uniqueId = uniqueId;
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    for (const QString &name : snmpPropertyNames) {
        expectAnswer(uniqueId, name);
        snmp->sendGetReq(uniqueId, name);
    }
}

void TDeviceTestHandler::catchSNMPValue(const snmp_get_value_t &getValue)
{
    if (getValue.uniqueId.isEmpty())
        return;
    // Only an answer to a read or write of this handler counts: the device
    // object reads and writes the same objects of the same device too.
    const QString key = getValue.uniqueId + QLatin1Char('\n') + getValue.mibObjectName;
    auto pending = m_pending.find(key);
    if (pending == m_pending.end())
        return;
    if (--pending.value() <= 0)
        m_pending.erase(pending);
    if (getValue.uniqueId == m_testUniqueId)
        m_tableValues.insert(getValue.mibObjectName, getValue.ok ? getValue.value : NotRetrieved);
    else
        m_values.insert(getValue.mibObjectName, getValue.ok ? getValue.value : NotRetrieved);
    if (--m_outstanding <= 0) {
        m_outstanding = 0;
        emit ready(m_action);
    }
}

// ---- reboot and diagnostics report download ---------------------------------

void TDeviceTestHandler::startReboot(const QString &uniqueId, const QString &Action)
{
    bool ok = false;
    const QString clock = m_values.value(QStringLiteral("zkSystemConfigPosixTime"));
    m_timeBeforeReboot = clock.toInt(&ok, 10);
    m_rebootReads = 0;
    m_action = Action;
    if (!ok) {
        // Without the clock before the reset no restart can be told: a
        // device that does not answer is not reset and waited for in vain.
        m_timeBeforeReboot = 0;
        log(QStringLiteral("Reboot"), QStringLiteral("test"), QStringLiteral("ERROR"),
            QStringLiteral("Could not read the device clock."));
        emit result({{QStringLiteral("Reboot"), clock.isEmpty() ? NotRetrieved : clock, QStringLiteral("failed")}});
        return;
    }
    m_rebootClock.start();
    expectAnswer(uniqueId, QStringLiteral("zkSystemConfigReset"));
    TLinkSNMPIf::instance()->setProperty(uniqueId, QStringLiteral("zkSystemConfigReset"), QStringLiteral("2"));
}

void TDeviceTestHandler::verifyReboot()
{
    const QString text = value(QStringLiteral("zkSystemConfigPosixTime"));
    bool ok = false;
    const int now = text.toInt(&ok, 10);
    // A clock text that is no number is not taken as a restart.
    if (text != NotRetrieved && ok && m_timeBeforeReboot > now) {
        log(QStringLiteral("Reboot"), QStringLiteral("test"), QStringLiteral("OK"),
            QStringLiteral("Device restarted, up for %1 s").arg(now));
        emit result({{QStringLiteral("Reboot"), QStringLiteral("UPTIME %1").arg(now),
                      QStringLiteral("success")}});
        return;
    }
    if (++m_rebootReads >= MaxRebootReads || m_rebootClock.hasExpired(m_rebootTimeoutMs)) {
        qDebug().noquote() << "TDeviceTestHandler::verifyReboot: no restart seen after" << m_rebootReads << "reads in"
                           << m_rebootClock.elapsed() << "ms";
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
    forgetAwaitedAnswers();
    m_action = Action;
    // The answers count only when they carry this id, also in a handler that has read nothing yet.
    m_uniqueId = uniqueId;
    if (IpAddress.isEmpty()) {
        // Without an address of ours on the device's network the device cannot reach the server.
        const QString text = QStringLiteral("No local address on the device's network");
        log(QStringLiteral("Diagnostic report"), QStringLiteral("test"), QStringLiteral("ERROR"), text);
        emit result({{QStringLiteral("TFTP download"), text, QStringLiteral("failed")}});
        return;
    }
    const QString port = QSettings().value(QStringLiteral("tftp_server/portnumber"), 69).toString();
    const QList<QPair<QString, QString>> writes = {{QStringLiteral("zkDiagReportIpAddress"), IpAddress},
                                                   {QStringLiteral("zkDiagReportPortNumber"), port},
                                                   {QStringLiteral("zkDiagReportFileName"), DiagReportFileName},
                                                   {QStringLiteral("zkDiagReportControl"), QStringLiteral("2")}};
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    for (const auto &write : writes) {
        m_values.remove(write.first); // judged from the answer to this write only
        expectAnswer(uniqueId, write.first);
        snmp->setProperty(uniqueId, write.first, write.second);
    }
}

void TDeviceTestHandler::checkTftpDownloadWrites()
{
    // A write the device refused or did not answer means no report will come.
    for (const char *name : {"zkDiagReportIpAddress", "zkDiagReportPortNumber", "zkDiagReportFileName",
                             "zkDiagReportControl"}) {
        if (m_values.value(QLatin1String(name)) == NotRetrieved) {
            const QString text = QStringLiteral("Could not write %1").arg(QLatin1String(name));
            log(QStringLiteral("Diagnostic report"), QLatin1String(name), QStringLiteral("ERROR"), text);
            emit result({{QStringLiteral("TFTP download"), text, QStringLiteral("failed")}});
            return;
        }
    }
    emit result({});
}

// ---- web page and MIB file ------------------------------------------------------

QNetworkAccessManager *TDeviceTestHandler::network()
{
    // The worker has a manager of its own, so requests are made and answered on this thread.
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    return m_network;
}

QNetworkReply *TDeviceTestHandler::startGet(const QString &url, void (TDeviceTestHandler::*judge)(QNetworkReply *))
{
    QNetworkReply *reply = network()->get(QNetworkRequest(QUrl(url)));
    // Judged once: when it ends, when it takes too long, or when enough of the body is in.
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    auto finish = [this, reply, judge] {
        if (reply->property("judged").toBool())
            return;
        reply->setProperty("judged", true);
        (this->*judge)(reply);
    };
    connect(timer, &QTimer::timeout, this, [reply, finish] {
        reply->setProperty("timedOut", true);
        finish();
    });
    connect(reply, &QNetworkReply::readyRead, this, [reply, finish] {
        QByteArray body = reply->property("body").toByteArray();
        body += reply->read(MaxBodyBytes - body.size());
        reply->setProperty("body", body);
        if (body.size() >= MaxBodyBytes)
            finish();
    });
    connect(reply, &QNetworkReply::finished, this, finish);
    timer->start(m_httpTimeoutMs);
    return reply;
}

QString TDeviceTestHandler::failureText(QNetworkReply *reply) const
{
    if (reply->property("timedOut").toBool())
        return QStringLiteral("No answer within %1 s").arg(m_httpTimeoutMs / 1000.0);
    if (reply->property("body").toByteArray().size() >= MaxBodyBytes)
        return QString(); // judged by its first part
    if (reply->error() != QNetworkReply::NoError)
        return QStringLiteral("Network error (%1)").arg(int(reply->error()));
    return QString();
}

namespace {

// What was read of the body, up to the cap; the request stops here.
QByteArray takeBody(QNetworkReply *reply)
{
    QByteArray body = reply->property("body").toByteArray();
    if (reply->isOpen())
        body += reply->read(TDeviceTestHandler::MaxBodyBytes - body.size());
    QObject::disconnect(reply, nullptr, nullptr, nullptr);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
    return body;
}

// The web page or MIB file URL that the service test recorded, made whole in
// place with the device's address: a bare "http://" takes the address after
// it, and every "<ip>" stands for it. A URL that names its host stays.
void completeUrl(QString &serviceUrl, const QString &deviceAddress)
{
    if (serviceUrl == QLatin1String("http://"))
        serviceUrl.append(deviceAddress);
    serviceUrl.replace(QLatin1String("<ip>"), deviceAddress);
}

} // namespace

void TDeviceTestHandler::startHttp_Test(const QString &url, bool bAnnonced)
{
    m_announced = bAnnonced;
    if (!m_webFlag) {
        emit ready(QStringLiteral("NoHttp"));
        return;
    }
    completeUrl(m_webUrl, url);
    m_webReply = startGet(m_webUrl, &TDeviceTestHandler::WebTestReply);
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
    completeUrl(m_mibUrl, url);
    m_mibReply = startGet(m_mibUrl, &TDeviceTestHandler::MibTestReply);
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
    QString info;
    const int file = body.indexOf(QLatin1String("File"));
    if (file >= 0) { // without it there is no file line to show
        const int s = file + 5;
        const int e = body.indexOf(QLatin1String("--"), s);
        if (e > s)
            info = body.mid(s, e - s).trimmed();
    }
    int s = body.indexOf(QLatin1String("Ver"));
    int e = body.indexOf(QLatin1String("--"), qMax(s, 0));
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
    if (info.isEmpty()) // nothing the file says of itself: its beginning
        info = body.left(15).trimmed();
    return info;
}

void TDeviceTestHandler::WebTestReply(QNetworkReply *reply)
{
    if (!reply || reply != m_webReply)
        return; // another request of the same manager
    m_webReply = nullptr;
    const QString service = QStringLiteral("Web interface");
    const QString failure = failureText(reply);
    const QByteArray body = takeBody(reply);
    if (!failure.isEmpty()) {
        emit result({{service, failure, QStringLiteral("failed")}});
        log(service, QStringLiteral("test"), QStringLiteral("ERROR"), failure);
        return;
    }
    const QString title = webPageTitle(QString::fromUtf8(body));
    QList<QStringList> rows{{service, title, QStringLiteral("success")}};
    log(service, QStringLiteral("test"), QStringLiteral("OK"), QStringLiteral("Valid responses HTTP web page requests"));
    if (!m_announced)
        reportNotAnnounced(service, rows);
    emit result(rows);
}

void TDeviceTestHandler::MibTestReply(QNetworkReply *reply)
{
    if (!reply || reply != m_mibReply)
        return; // another request of the same manager
    m_mibReply = nullptr;
    const QString service = QStringLiteral("Mib download");
    const QString failure = failureText(reply);
    const QByteArray bytes = takeBody(reply);
    if (!failure.isEmpty()) {
        emit result({{service, failure, QStringLiteral("failed")}});
        log(service, QStringLiteral("test"), QStringLiteral("ERROR"), failure);
        return;
    }
    const QString info = mibFileSummary(QString::fromUtf8(bytes));
    log(QStringLiteral("MIB download"), QStringLiteral("test"), QStringLiteral("OK"),
        QStringLiteral("Valid responses HTTP mib file requests"));
    QList<QStringList> rows{{service, info, QStringLiteral("success")}};
    if (!m_announced)
        reportNotAnnounced(service, rows);
    emit result(rows);
}
