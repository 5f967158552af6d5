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
        if (m_slp->openSlpSession(srvurl)) {
            qDebug() << "TLinkDeviceAttributeThread::initiateSearch:" << "Discovering ONE! attributes..." << srvurl;
            ++m_pending;
            m_slp->findAttrs(srvurl);
        } else if (m_slp->handle(srvurl)) {
            m_slp->closeSlpSession(srvurl); // a stuck search: the next request starts afresh
        }
        return;
    }
    if (m_online.isEmpty())
        return;
    for (const QString &url : qAsConst(m_online)) {
        if (m_slp->openSlpSession(url)) {
            qDebug() << "TLinkDeviceAttributeThread::initiateSearch:" << "Discovering attributes..." << url;
            ++m_pending;
            m_slp->associateIP(url);
            m_slp->findAttrs(url);
        } else if (m_slp->handle(url)) {
            m_slp->closeSlpSession(url);
        }
    }
    if (m_timer) {
        m_timer->stop();
        m_timer->start(PeriodMs);
    }
}

void TLinkDeviceAttributeThread::onlineDevices(const QStringList &onlineDevicesUrl)
{
    m_online = onlineDevicesUrl;
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
    m_pending = 0;
    emit searchFinished();
}
