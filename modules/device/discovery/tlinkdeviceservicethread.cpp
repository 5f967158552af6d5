#include "tlinkdeviceservicethread.h"
#include "infothreads.h"
#include "tlinkslp.h"

#include <QDebug>
#include <QHostAddress>
#include <QThread>
#include <QTimer>

namespace {
const QString DeviceType = QStringLiteral("service:device.vantor");
const QString AllAuthorities = QStringLiteral("*");

QString afterScheme(const QString &url)
{
    const QStringList parts = url.split(QStringLiteral("://"));
    return parts.size() > 1 ? parts.at(1) : QString();
}
} // namespace

TLinkDeviceServiceThread::TLinkDeviceServiceThread()
{
    m_slp = new TLinkSLP(this);
    connect(m_slp, &TLinkSLP::foundServices, this, &TLinkDeviceServiceThread::foundServices, Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::finishServicesFound, this, &TLinkDeviceServiceThread::finishServicesFound,
            Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::foundDevice, this, &TLinkDeviceServiceThread::foundDevice, Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::finishDeviceDisc, this, &TLinkDeviceServiceThread::finishDeviceDisc,
            Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::foundAttributs, this, &TLinkDeviceServiceThread::foundAttributs,
            Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::finishAttributsFound, this, &TLinkDeviceServiceThread::finishAttributsFound,
            Qt::QueuedConnection);
    connect(m_slp, &TLinkSLP::errorSLP, this, &TLinkDeviceServiceThread::errorSLP, Qt::QueuedConnection);
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("SLP services"));
    InfoThreads::stopAtExit(m_thread);
    m_thread->start(QThread::InheritPriority);
    moveToThread(m_thread);
}

TLinkDeviceServiceThread::~TLinkDeviceServiceThread() = default;

void TLinkDeviceServiceThread::startTimer()
{
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &TLinkDeviceServiceThread::initiateSearch, Qt::QueuedConnection);
    m_timer->start(PeriodMs);
}

void TLinkDeviceServiceThread::initiateSearch()
{
    qDebug() << QString(105, QLatin1Char('-'));
    if (!m_slp->openSlpSession(AllAuthorities))
        return;
    qDebug() << "TLinkDeviceService::initiateSearch:" << "Discovering Vantor & Vantor services...[\"*\"]";
    if (m_timer) {
        m_timer->stop();
        m_timer->start(PeriodMs);
    }
    m_typeSearchOpen = true;
    m_slp->findSrvTypes(AllAuthorities);
}

void TLinkDeviceServiceThread::newOnlineDevice(const device_param_t &device)
{
    if (!m_online.contains(device.srvurl)) {
        m_online.append(device.srvurl);
        m_newDevice = true;
    }
}

void TLinkDeviceServiceThread::onlineDevices(const QStringList &onlineDevicesUrl)
{
    m_online = onlineDevicesUrl;
}

void TLinkDeviceServiceThread::finished()
{
    if (m_newDevice) {
        m_newDevice = false;
        initiateSearch();
    }
}

void TLinkDeviceServiceThread::foundServices(const QStringList &serviceList)
{
    for (const QString &type : serviceList)
        qDebug() << "TLinkDeviceService::foundServices:" << type;
    for (const QString &type : serviceList) {
        if (type == DeviceType || m_searchedTypes.contains(type))
            continue;
        m_searchedTypes.append(type);
        qDebug() << "TLinkDeviceService::foundServices:" << "Discovering services..." << type;
        if (m_slp->openSlpSession(type)) {
            m_typesSearching.append(type);
            m_slp->findSrvs(type);
        }
    }
}

void TLinkDeviceServiceThread::finishServicesFound(const QString &srvurl)
{
    qDebug() << QThread::currentThreadId() << "TLinkDeviceService::finishServicesFound" << "SRVURL:" << srvurl;
    m_slp->closeSlpSession(AllAuthorities);
    m_typeSearchOpen = false;
    endSearchWhenDone();
}

void TLinkDeviceServiceThread::foundDevice(const QString &device)
{
    qDebug() << "TLinkDeviceService::foundDevice:" << "Discovering Service attributes..." << device;
    m_services.append({device, QStringLiteral("NO ATTRIBUTES"), afterScheme(device)});
    if (m_slp->openSlpSession(device)) {
        ++m_pending;
        // A service at an address is asked there, not of the whole network.
        if (QHostAddress(TLinkSLP::hostOf(device)).protocol() == QAbstractSocket::IPv4Protocol)
            m_slp->associateIP(device);
        m_slp->findAttrs(device);
    }
}

void TLinkDeviceServiceThread::finishDeviceDisc(const QString &srvurl)
{
    m_slp->closeSlpSession(srvurl);
    m_typesSearching.removeAll(srvurl);
    endSearchWhenDone();
}

void TLinkDeviceServiceThread::foundAttributs(const QString &srvurl, const QString &srvAtt)
{
    qDebug() << "TLinkDeviceService::foundAttributs" << srvurl << " // " << srvAtt;
    for (device_service_t &service : m_services) {
        if (service.srvurl == srvurl) {
            service.attributes = srvAtt;
            emitService(service);
        }
    }
}

void TLinkDeviceServiceThread::finishAttributsFound(const QString &srvurl)
{
    qDebug() << QThread::currentThreadId() << "TLinkDeviceService::finishAttributsFound" << "SRVURL:" << srvurl;
    m_slp->closeSlpSession(srvurl);
    if (--m_pending < 0)
        m_pending = 0;
    endSearchWhenDone();
}

void TLinkDeviceServiceThread::endSearchWhenDone()
{
    if (m_typeSearchOpen || !m_typesSearching.isEmpty() || m_pending > 0)
        return;
    if (!m_services.isEmpty() && !m_online.isEmpty()) {
        for (const QString &deviceUrl : qAsConst(m_online)) {
            const QString host = afterScheme(deviceUrl);
            for (const device_service_t &service : qAsConst(m_services))
                if (service.address == host)
                    emitService(service);
        }
    }
    clearDb();
    emit searchFinished();
}

void TLinkDeviceServiceThread::clearDb()
{
    qDebug() << "TLinkDeviceService::clearDb" << QThread::currentThreadId();
    m_searchedTypes.clear();
    m_services.clear();
}

void TLinkDeviceServiceThread::emitService(const device_service_t &service)
{
    bool known = false;
    for (device_service_t &reported : m_reported) {
        if (reported.srvurl != service.srvurl)
            continue;
        known = true;
        if (reported.attributes != service.attributes) {
            reported = service;
            qDebug() << "emit updateService " << service.srvurl << " // " << service.attributes;
        }
        emit updateService(service);
    }
    if (!known) {
        const char *which = m_reported.isEmpty() ? "emit newService 1 " : "emit newService 2 ";
        m_reported.append(service);
        emit newService(service);
        qDebug() << which << service.srvurl << " // " << service.attributes;
    }
}

void TLinkDeviceServiceThread::errorSLP(const QString &error_name, const QString &error_description,
                                        const QString &error_sender)
{
    qDebug() << "TLinkDeviceService::errorSLP:"
             << "ERROR - " + error_name + " - " + error_description + " - " + "SENDER: " + error_sender;
    m_slp->closeSlpSession(error_sender);
    // The failed sub-search has ended: count it off, so that the search as a
    // whole can end and the next one start afresh.
    if (error_sender == AllAuthorities)
        m_typeSearchOpen = false;
    else if (m_typesSearching.contains(error_sender))
        m_typesSearching.removeAll(error_sender);
    else if (error_sender != QLatin1String("TLinkSLP:openSlpSession") && m_pending > 0)
        --m_pending;
    endSearchWhenDone();
}
