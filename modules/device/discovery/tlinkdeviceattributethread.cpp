#include "tlinkdeviceattributethread.h"
#include "infothreads.h"
#include "deviceattributeparser.h"
#include "localsubnet.h"
#include "tlinkslp.h"

#include <QDebug>
#include <QThread>
#include <QTimer>

TLinkDeviceAttributeThread::TLinkDeviceAttributeThread()
{
    m_slp = new TLinkSLP(this);
    connect(m_slp, &TLinkSLP::foundAttributs, this, &TLinkDeviceAttributeThread::foundAttributs,
            Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::finishAttributsFound, this, &TLinkDeviceAttributeThread::finishAttributsFound,
            Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::errorSLP, this, &TLinkDeviceAttributeThread::errorSLP, Qt::QueuedConnection);
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("SLP attributes"));
    InfoThreads::stopAtExit(m_thread);
    m_thread->start(QThread::InheritPriority);
    moveToThread(m_thread);
}

TLinkDeviceAttributeThread::~TLinkDeviceAttributeThread() = default;

bool TLinkDeviceAttributeThread::validHostAddr(const QString &srvurl)
{
    return LocalSubnet::contains(srvurl, "TLinkDeviceAttributeThread::validHostAddr");
}

void TLinkDeviceAttributeThread::startTimer()
{
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, [this] { initiateSearch(); }, Qt::QueuedConnection);
    m_timer->start(FirstPeriodMs);
}

void TLinkDeviceAttributeThread::initiateSearch(const QString &srvurl)
{
    qDebug() << QString(105, QLatin1Char('-'));
    qDebug() << "TLinkDeviceAttributeThread::initiateSearch" << QThread::currentThreadId();
    if (!srvurl.isEmpty()) {
        ask(srvurl, "Discovering ONE! attributes...");
        return;
    }
    if (m_online.isEmpty())
        return;
    for (const QString &url : qAsConst(m_online))
        ask(url, "Discovering attributes...");
    if (m_timer) {
        m_timer->stop();
        m_timer->start(PeriodMs);
    }
}

void TLinkDeviceAttributeThread::ask(const QString &srvurl, const char *what)
{
    if (m_slp->handle(srvurl)) {
        // A search still within its waits (or waiting for its turn) is left
        // to end: its answer may yet come.
        const qint64 age = m_slp->searchAge(srvurl);
        if (age < StuckMs)
            return;
        qDebug() << "TLinkDeviceAttributeThread::ask: closing a search stuck for" << age << "ms:" << srvurl;
        m_slp->closeSlpSession(srvurl);
        m_pending = qMax(0, m_pending - 1);
    }
    if (!m_slp->openSlpSession(srvurl))
        return;
    qDebug() << "TLinkDeviceAttributeThread::initiateSearch:" << what << srvurl;
    ++m_pending;
    m_answeredNow.remove(srvurl);
    // The device's address is known: it is asked directly.
    m_slp->associateIP(srvurl);
    m_slp->findAttrs(srvurl);
}

void TLinkDeviceAttributeThread::searchEnded(const QString &srvurl)
{
    const bool answered = m_answeredNow.remove(srvurl);
    if (!answered && m_online.contains(srvurl) && !m_answered.contains(srvurl))
        askAgainLater(srvurl);
}

void TLinkDeviceAttributeThread::askAgainLater(const QString &srvurl)
{
    if (m_retryPlanned.contains(srvurl))
        return;
    const int pause = m_retryMs.value(srvurl, RetryFirstMs);
    m_retryMs.insert(srvurl, qMin(pause * 2, RetryMaxMs));
    m_retryPlanned.insert(srvurl);
    qDebug() << "TLinkDeviceAttributeThread: no answer from" << srvurl << "- asking again in" << pause << "ms";
    QTimer::singleShot(pause, this, [this, srvurl] {
        m_retryPlanned.remove(srvurl);
        if (m_online.contains(srvurl) && !m_answered.contains(srvurl))
            ask(srvurl, "Asking again for attributes...");
    });
}

void TLinkDeviceAttributeThread::onlineDevices(const QStringList &onlineDevicesUrl)
{
    m_online = onlineDevicesUrl;
    // A URL that went away starts afresh when it is found again.
    const QSet<QString> online(m_online.cbegin(), m_online.cend());
    m_answered.intersect(online);
    for (auto it = m_retryMs.begin(); it != m_retryMs.end();) {
        if (online.contains(it.key()))
            ++it;
        else
            it = m_retryMs.erase(it);
    }
}

void TLinkDeviceAttributeThread::removeDevice(const QString &uniqueId)
{
    m_devices.remove(uniqueId);
}

void TLinkDeviceAttributeThread::finished()
{
}

void TLinkDeviceAttributeThread::foundAttributs(const QString &srvurl, const QString &attributes)
{
    qDebug() << QStringLiteral("TLinkDeviceAttribute : foundAttributs : %1").arg(srvurl);
    m_answeredNow.insert(srvurl);
    if (m_online.contains(srvurl)) {
        m_answered.insert(srvurl);
        m_retryMs.remove(srvurl);
    }
    device_param_t device;
    if (!DeviceAttributeParser::parse(srvurl, attributes, &device)) {
        emit deviceRefused(srvurl);
        return;
    }
    const QString stored = attributes + srvurl;
    const auto it = m_devices.constFind(device.uniqueId);
    if (it == m_devices.constEnd()) {
        m_devices.insert(device.uniqueId, stored);
        m_reported.append(srvurl);
        qDebug() << QStringLiteral("TLinkDeviceAttribute : emit newDevice(%1)").arg(srvurl);
        emit newDevice(device);
        return;
    }
    emit deviceIsOnline(device.uniqueId);
    if (it.value() == stored || !validHostAddr(srvurl))
        return;
    m_devices.insert(device.uniqueId, stored);
    qDebug() << QStringLiteral("TLinkDeviceAttribute : emit updateDevice(%1)").arg(srvurl);
    emit updateDevice(device);
}

void TLinkDeviceAttributeThread::finishAttributsFound(const QString &srvurl)
{
    qDebug() << QStringLiteral("TLinkDeviceAttribute : finishAttributsFound : %1").arg(srvurl);
    m_slp->closeSlpSession(srvurl);
    searchEnded(srvurl);
    if (--m_pending < 1) {
        m_pending = 0;
        emit searchFinished();
    }
}

void TLinkDeviceAttributeThread::errorSLP(const QString &error_name, const QString &error_description,
                                          const QString &error_sender)
{
    qDebug() << "TLinkDeviceAttributeThread::errorSLP:"
             << "ERROR - " + error_name + " - " + error_description + " - " + "SENDER: " + error_sender;
    m_slp->closeSlpSession(error_sender);
    searchEnded(error_sender);
    m_pending = 0;
    emit searchFinished();
}
