#include "tlinksnmpif.h"
#include "infothreads.h"

#include "snmphelper.h"
#include "tlinkdevicecomm.h"

#include <QThread>

TLinkSNMPIf *TLinkSNMPIf::instance()
{
    static TLinkSNMPIf *facade = new TLinkSNMPIf;
    return facade;
}

TLinkSNMPIf::TLinkSNMPIf()
    : QObject(nullptr)
{
    qRegisterMetaType<snmp_get_value_t>("snmp_get_value_t");
    qRegisterMetaType<snmp_req_list_t>("snmp_req_list_t");

    m_engine = new TLinkDeviceComm;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("SNMP engine"));
    InfoThreads::stopAtExit(m_thread);
    m_engine->moveToThread(m_thread);
    SNMPHelper::instance()->moveToThread(m_thread);

    connect(m_engine, &TLinkDeviceComm::groupInitialized, this, &TLinkSNMPIf::groupInitialized);
    connect(m_engine, &TLinkDeviceComm::propertyInitialized, this, &TLinkSNMPIf::propertyInitialized);
    connect(m_engine, &TLinkDeviceComm::updated, this, &TLinkSNMPIf::updated);
    connect(m_engine, &TLinkDeviceComm::getValueDone, this, &TLinkSNMPIf::getValueDone);
    connect(m_engine, &TLinkDeviceComm::getValuesDone, this, &TLinkSNMPIf::getValuesDone);

    m_thread->start();
    QMetaObject::invokeMethod(m_engine, "init", Qt::QueuedConnection);
}

TLinkSNMPIf::~TLinkSNMPIf()
{
    // The timer belongs to the SNMP thread: stop it there, then end the thread.
    TLinkDeviceComm *engine = m_engine;
    QMetaObject::invokeMethod(engine, [engine] { engine->stopTimer(); }, Qt::BlockingQueuedConnection);
    m_thread->requestInterruption();
    m_thread->quit();
    m_thread->wait();
    delete m_engine;
    delete m_thread;
}

void TLinkSNMPIf::addDevice(const QString &uniqueId, const QString &url, const QString &model,
                            const QString &swVersion, bool bTest)
{
    m_engine->addDevice(uniqueId, url, model, swVersion, bTest);
}

void TLinkSNMPIf::removeDevice(const QString &uniqueId)
{
    m_engine->removeDevice(uniqueId);
}

void TLinkSNMPIf::updateDevice(const QString &uniqueId, const QString &url, const QString &model,
                               const QString &swVersion)
{
    m_engine->updateDevice(uniqueId, url, model, swVersion);
}

void TLinkSNMPIf::changeDeviceAddress(const QString &uniqueId, const QString &hostAddress)
{
    m_engine->changeDeviceAddress(uniqueId, hostAddress);
}

void TLinkSNMPIf::setActiveDevice(const QString &uniqueId)
{
    m_engine->setActiveDevice(uniqueId);
}

void TLinkSNMPIf::setDeviceOnline(const QString &uniqueId, bool online)
{
    m_engine->setDeviceOnline(uniqueId, online);
}

void TLinkSNMPIf::changeUniqueId(const QString &oldId, const QString &newId)
{
    m_engine->changeUniqueId(oldId, newId);
}

QList<snmp_group_t> TLinkSNMPIf::getPropertyGroups(const QString &uniqueId) const
{
    return m_engine->getPropertyGroups(uniqueId);
}

snmp_property_t TLinkSNMPIf::getProperty(const QString &uniqueId, const QString &mibObjectName) const
{
    return m_engine->getProperty(uniqueId, mibObjectName);
}

bool TLinkSNMPIf::isDeviceAnswering(const QString &uniqueId) const
{
    return m_engine->isDeviceAnswering(uniqueId);
}

QList<snmp_property_t> TLinkSNMPIf::getProperties(const QString &uniqueId) const
{
    return m_engine->getProperties(uniqueId);
}

void TLinkSNMPIf::sendGetReq(const QString &uniqueId, const QString &mibObjectName)
{
    QMetaObject::invokeMethod(m_engine, "sendGetReq", Qt::QueuedConnection, Q_ARG(QString, uniqueId),
                              Q_ARG(QString, mibObjectName));
}

void TLinkSNMPIf::sendGetNextReq(const QString &uniqueId, const QString &mibObjectName)
{
    QMetaObject::invokeMethod(m_engine, "sendGetNextReq", Qt::QueuedConnection, Q_ARG(QString, uniqueId),
                              Q_ARG(QString, mibObjectName));
}

void TLinkSNMPIf::setProperty(const QString &uniqueId, const QString &mibObjectName, const QString &value)
{
    QMetaObject::invokeMethod(m_engine, "setProperty", Qt::QueuedConnection, Q_ARG(QString, uniqueId),
                              Q_ARG(QString, mibObjectName), Q_ARG(QString, value));
}

void TLinkSNMPIf::setPropertyDynamic(const QString &uniqueId, const QString &mibObjectName, bool isDynamic)
{
    QMetaObject::invokeMethod(m_engine, "setPropertyDynamic", Qt::QueuedConnection, Q_ARG(QString, uniqueId),
                              Q_ARG(QString, mibObjectName), Q_ARG(bool, isDynamic));
}

void TLinkSNMPIf::reReadAllProperties(const QString &uniqueId)
{
    QMetaObject::invokeMethod(m_engine, "reReadAllProperties", Qt::QueuedConnection, Q_ARG(QString, uniqueId));
}

void TLinkSNMPIf::setProperties(const snmp_req_list_t &setRequests)
{
    QMetaObject::invokeMethod(m_engine, "setProperties", Qt::QueuedConnection,
                              Q_ARG(snmp_req_list_t, setRequests));
}
