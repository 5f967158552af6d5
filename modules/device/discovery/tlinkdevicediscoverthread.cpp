#include "tlinkdevicediscoverthread.h"
#include "infothreads.h"
#include "localsubnet.h"
#include "tlinkslp.h"

#include <QDebug>
#include <QThread>
#include <QTimer>

namespace {
const QString DeviceType = QStringLiteral("service:device.vantor");
}

TLinkDeviceDiscoverThread::TLinkDeviceDiscoverThread()
{
    m_slp = new TLinkSLP(this);
    connect(m_slp, &TLinkSLP::errorSLP, this, &TLinkDeviceDiscoverThread::errorSLP, Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::foundDevice, this, &TLinkDeviceDiscoverThread::foundDevice, Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::finishDeviceDisc, this, &TLinkDeviceDiscoverThread::finishDeviceDisc,
            Qt::QueuedConnection);
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("SLP discovery"));
    InfoThreads::stopAtExit(m_thread);
    moveToThread(m_thread);
    m_thread->start(QThread::InheritPriority);
}

TLinkDeviceDiscoverThread::~TLinkDeviceDiscoverThread() = default;

bool TLinkDeviceDiscoverThread::validHostAddr(const QString &srvurl)
{
    return LocalSubnet::contains(srvurl, "TLinkDeviceDiscoverThread::validHostAddr");
}

void TLinkDeviceDiscoverThread::startTimer()
{
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &TLinkDeviceDiscoverThread::initiateSearch, Qt::QueuedConnection);
    m_timer->start(SearchPeriodMs);
}

void TLinkDeviceDiscoverThread::initiateSearch()
{
    qDebug() << QString(105, QLatin1Char('-'));
    qDebug() << QThread::currentThreadId() << "TLinkDeviceDiscover::initiateSearch";
    if (!m_slp->openSlpSession(DeviceType))
        return;
    qDebug() << "TLinkDeviceDiscover::initiateSearch:" << "Discovering devices..." << DeviceType;
    m_found.clear();
    m_slp->findSrvs(DeviceType);
}

void TLinkDeviceDiscoverThread::foundDevice(const QString &srvurl)
{
    qDebug() << QThread::currentThreadId() << "TLinkDeviceDiscover::foundDevice" << "DEVICE: " << srvurl;
    if (!validHostAddr(srvurl)) {
        qDebug() << QThread::currentThreadId() << "TLinkDeviceDiscover::foundDevice"
                 << "Discarding device due to netmask";
        return;
    }
    m_found.append(srvurl);
    if (m_online.contains(srvurl))
        return;
    m_online.append(srvurl);
    emit searchForAttributes(srvurl);
    emit searchForServices();
    emit onlineDevices(m_online);
}

void TLinkDeviceDiscoverThread::finishDeviceDisc(const QString &srvurl)
{
    qDebug() << QThread::currentThreadId() << "TLinkDeviceDiscover::finishDeviceDisc" << "DEVICE: " << srvurl;
    m_slp->closeSlpSession(srvurl);
    const QStringList online = m_online;
    for (const QString &url : online) {
        if (!m_found.contains(url)) {
            emit urlLost(url);
            m_online.removeAll(url);
        }
    }
    emit onlineDevices(m_online);
}

void TLinkDeviceDiscoverThread::errorSLP(const QString &error_name, const QString &error_description,
                                         const QString &error_sender)
{
    qDebug() << "TLinkDeviceDiscover::errorSLP:"
             << "ERROR - " + error_name + " - " + error_description + " - " + "SENDER: " + error_sender;
    m_found.clear();
    finishDeviceDisc(error_sender);
}
