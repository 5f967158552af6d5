#include "tlinkslpmanagerif.h"
#include "tlinkdeviceattributethread.h"
#include "tlinkdevicediscoverthread.h"
#include "tlinkdeviceservicethread.h"
#include "infothreads.h"

TLinkSLPManagerIf::TLinkSLPManagerIf(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<device_param_t>("device_param_t");
    qRegisterMetaType<device_service_t>("device_service_t");

    m_discover = new TLinkDeviceDiscoverThread;
    QMetaObject::invokeMethod(m_discover, "startTimer", Qt::QueuedConnection);
    m_attributes = new TLinkDeviceAttributeThread;
    QMetaObject::invokeMethod(m_attributes, "startTimer", Qt::QueuedConnection);
    m_services = new TLinkDeviceServiceThread;
    QMetaObject::invokeMethod(m_services, "startTimer", Qt::QueuedConnection);

    const auto q = Qt::QueuedConnection;
    connect(m_attributes, &TLinkDeviceAttributeThread::newDevice, this, &TLinkSLPManagerIf::newDevice, q);
    connect(m_attributes, &TLinkDeviceAttributeThread::updateDevice, this, &TLinkSLPManagerIf::updateDevice, q);
    connect(m_attributes, &TLinkDeviceAttributeThread::deviceIsOnline, this, &TLinkSLPManagerIf::deviceIsOnline, q);
    connect(m_attributes, &TLinkDeviceAttributeThread::deviceRefused, this, &TLinkSLPManagerIf::deviceRefused, q);
    connect(m_discover, &TLinkDeviceDiscoverThread::urlLost, this, &TLinkSLPManagerIf::urlLost, q);
    connect(m_services, &TLinkDeviceServiceThread::newService, this, &TLinkSLPManagerIf::newService, q);
    connect(m_services, &TLinkDeviceServiceThread::updateService, this, &TLinkSLPManagerIf::updateService, q);
    connect(m_attributes, &TLinkDeviceAttributeThread::newDevice, m_services,
            &TLinkDeviceServiceThread::newOnlineDevice, q);
    connect(m_discover, &TLinkDeviceDiscoverThread::searchForAttributes, m_attributes,
            &TLinkDeviceAttributeThread::initiateSearch, q);
    connect(m_discover, &TLinkDeviceDiscoverThread::searchForServices, m_services,
            &TLinkDeviceServiceThread::initiateSearch, q);
    connect(m_discover, &TLinkDeviceDiscoverThread::onlineDevices, this, &TLinkSLPManagerIf::onlineDevices, q);
    connect(m_discover, &TLinkDeviceDiscoverThread::onlineDevices, m_attributes,
            &TLinkDeviceAttributeThread::onlineDevices, q);
    connect(m_discover, &TLinkDeviceDiscoverThread::onlineDevices, m_services,
            &TLinkDeviceServiceThread::onlineDevices, q);

    QMetaObject::invokeMethod(m_discover, "initiateSearch", Qt::QueuedConnection);
}

TLinkSLPManagerIf::~TLinkSLPManagerIf()
{
    // The workers live on threads of their own: end each and free it.
    InfoThreads::dispose(m_discover);
    InfoThreads::dispose(m_attributes);
    InfoThreads::dispose(m_services);
}

void TLinkSLPManagerIf::initiateDeviceSearch()
{
    QMetaObject::invokeMethod(m_discover, "initiateSearch", Qt::QueuedConnection);
}

void TLinkSLPManagerIf::initiateAttributeSearch()
{
    QMetaObject::invokeMethod(m_attributes, "initiateSearch", Qt::QueuedConnection);
}

void TLinkSLPManagerIf::initiateServiceSearch()
{
    QMetaObject::invokeMethod(m_services, "initiateSearch", Qt::QueuedConnection);
}

void TLinkSLPManagerIf::removeDevice(const QString &uniqueId)
{
    QMetaObject::invokeMethod(m_attributes, "removeDevice", Qt::QueuedConnection, Q_ARG(QString, uniqueId));
}
