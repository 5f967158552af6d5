// The firmware certificate: one or two lines that identify the device, its
// software and the time of the request, and for antenna units the antenna's
// main board serial number and life time, read over SNMP or gathered by a
// telnet debug session.

#include "tlinkdevice.h"

#include "tlinkdevicedebugif.h"
#include "tlinksnmpif.h"

#include <QTimer>

namespace {

const QString PosixTimeObject = QStringLiteral("zkSystemConfigPosixTime");
const QString AduSerialObject = QStringLiteral("zk9xxxAduMainPcbSerial");
const QString AduLifetimeObject = QStringLiteral("zk9xxxAduLifetime");
// The antenna unit family's subtree in the model list's certificate attribute.
const QString AduAttribute = QStringLiteral("1.3.6.1.4.1.32473.3.2.2.1.10.3.");

// 2011-09-27 00:00:00 UTC: a device clock before it has not been set.
constexpr qint32 EarliestDeviceClock = 1317081600;
constexpr int AduMaxRetries = 5;

} // namespace

QDateTime TLinkDevice::certificateTime() const
{
    qint32 deviceClock = 0;
    if (readIntProperty(PosixTimeObject, deviceClock) == 0 && deviceClock > EarliestDeviceClock)
        return QDateTime::fromSecsSinceEpoch(deviceClock).toLocalTime();
    return QDateTime::currentDateTime();
}

QString TLinkDevice::certificateModelCode() const
{
    bool ok = false;
    const int code = getModel().toInt(&ok, 10);
    return QStringLiteral("%1").arg(ok ? code : 0, 4, 16, QLatin1Char('0'));
}

QString TLinkDevice::certificateBaseLine(const QDateTime &time) const
{
    return QStringLiteral("%1,%2,%3,,%4%5;")
        .arg(getModel(), getSerialNumber(), getSoftwareVersion(), getDateCode(time), certificateModelCode());
}

void TLinkDevice::requestCertificate(QObject *receiver, const char *textSlot, const char *finishedSlot)
{
    const QDateTime time = certificateTime();
    connect(this, SIGNAL(certificateReady(QString)), receiver, textSlot);
    connect(this, SIGNAL(certificateFinished(TLinkDeviceIf *)), receiver, finishedSlot);

    const QString method = getCertificateMethod();
    const QString baseLine = certificateBaseLine(time);
    if (method == QLatin1String("telnet") && isOnline()) {
        TLinkDeviceDebugIf *debug = TLinkDeviceDebugIf::instance();
        m_debugSession = debug->openSession(getIpAddress(), getUniqueId(), this,
                                            SLOT(handleTelnetCertificate(QString, int)));
        debug->addCommand(m_debugSession, 0);
        return;
    }
    if (method != QLatin1String("snmp") || !isOnline()) {
        // "none", an offline device, and a method this program doesn't know:
        // the device's own data.
        emit certificateReady(baseLine);
        emit certificateFinished(this);
        return;
    }

    const QString version = getSoftwareVersion();
    const int dot = version.indexOf(QLatin1Char('.'));
    const int major = version.left(dot).toInt();
    const int minor = dot < 0 ? 0 : version.mid(dot + 1).toInt();
    if (getCertificateAttribute() != AduAttribute) {
        emit certificateReady(baseLine + QStringLiteral("%1,%2,,,NO Antenna Data (no support);")
                                             .arg(getModel(), getSerialNumber()));
        emit certificateFinished(this);
    } else if (major > 1 || (major == 1 && minor >= 40)) {
        // The base line first: the antenna line and the end follow, now or
        // once the antenna data has been read.
        emit certificateReady(baseLine);
        fetchAduSnmpData();
    } else {
        emit certificateReady(baseLine + QStringLiteral("%1,%2,,,NO Antenna Data (old firmware %3);")
                                             .arg(getModel(), getSerialNumber(), version));
        emit certificateFinished(this);
    }
}

void TLinkDevice::fetchAduSnmpData()
{
    const QDateTime time = certificateTime();
    QString serial;
    const int result = readStringProperty(AduSerialObject, serial);
    if (result == 0) {
        qint32 lifetime = 0;
        if (readIntProperty(AduLifetimeObject, lifetime) != 0)
            lifetime = 0;
        emit certificateReady(QStringLiteral("%1,%2,%3,%4,%5%6;")
                                  .arg(getModel(), serial, getSoftwareVersion(), QString::number(lifetime / 86400),
                                       getDateCode(time), certificateModelCode()));
        emit certificateFinished(this);
        stopAduPolling();
        return;
    }
    if (m_certificateSource) {
        // A tick: the serial is still missing.
        if (m_certificateRetryCount >= AduMaxRetries) {
            // An object that stays without a value, or that the device no
            // longer has, ends the wait.
            const QString reason = result == 1 ? QStringLiteral("timeout") : QStringLiteral("snmp");
            emit certificateReady(QStringLiteral("%1,%2,,,NO Antenna Data (%3);")
                                      .arg(getModel(), getSerialNumber(), reason));
            emit certificateFinished(this);
            stopAduPolling();
        } else {
            ++m_certificateRetryCount;
        }
        return;
    }
    if (result == 1) {
        m_certificateSource = new QTimer(this);
        connect(m_certificateSource, &QTimer::timeout, this, &TLinkDevice::fetchAduSnmpData);
        m_certificateRetryCount = 0;
        m_certificateSource->start(m_certificatePollMs);
        TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), AduSerialObject, true);
        TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), AduLifetimeObject, true);
        return;
    }
    emit certificateReady(QStringLiteral("%1,%2,,,NO Antenna Data (snmp);").arg(getModel(), getSerialNumber()));
    emit certificateFinished(this);
}

void TLinkDevice::stopAduPolling()
{
    if (!m_certificateSource)
        return;
    delete m_certificateSource;
    m_certificateSource = nullptr;
    TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), AduSerialObject, false);
    TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), AduLifetimeObject, false);
}

void TLinkDevice::handleTelnetCertificate(const QString &text, int rc)
{
    const QDateTime time = certificateTime();
    QString lines = certificateBaseLine(time);
    if (rc == 0)
        lines += QStringLiteral("%1,%2%3;").arg(getModel(), text, certificateModelCode());
    else if (rc == -1)
        lines += QStringLiteral("%1,%2,,,LOGON failed!!!").arg(getModel(), getSerialNumber());
    else
        lines += QStringLiteral("%1,%2,,,NO Antenna Data(rc:%3);").arg(getModel(), getSerialNumber(), QString::number(rc));
    emit certificateReady(lines);
    emit certificateFinished(this);
    closeDebugSession();
}

void TLinkDevice::closeDebugSession()
{
    if (!m_debugSession)
        return;
    TLinkDeviceDebugIf::instance()->closeSession(m_debugSession);
    m_debugSession = nullptr;
}
