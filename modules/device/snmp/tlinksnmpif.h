#pragma once
// TLinkSNMPIf: the one way into SNMP for the rest of the system. It owns the
// SNMP engine on a thread of its own; device-list changes and lookups run at
// once in the caller's thread, device requests are queued to the engine and
// answered by signal.

#include "snmpgroup.h"
#include "snmpproperty.h"
#include "snmpvalues.h"

#include <QList>
#include <QObject>
#include <QString>

class QThread;
class TLinkDeviceComm;

class TLinkSNMPIf : public QObject
{
    Q_OBJECT
public:
    static TLinkSNMPIf *instance();
    ~TLinkSNMPIf() override;

    void addDevice(const QString &uniqueId, const QString &url, const QString &model, const QString &swVersion,
                   bool bTest = false);
    void removeDevice(const QString &uniqueId);
    void updateDevice(const QString &uniqueId, const QString &url, const QString &model, const QString &swVersion);
    void changeDeviceAddress(const QString &uniqueId, const QString &hostAddress);
    void setActiveDevice(const QString &uniqueId);
    void setDeviceOnline(const QString &uniqueId, bool online);
    void changeUniqueId(const QString &oldId, const QString &newId);
    QList<snmp_group_t> getPropertyGroups(const QString &uniqueId) const;
    snmp_property_t getProperty(const QString &uniqueId, const QString &mibObjectName) const;
    bool isDeviceAnswering(const QString &uniqueId) const;
    QList<snmp_property_t> getProperties(const QString &uniqueId) const;

    void sendGetReq(const QString &uniqueId, const QString &mibObjectName);
    void sendGetNextReq(const QString &uniqueId, const QString &mibObjectName);
    void setProperty(const QString &uniqueId, const QString &mibObjectName, const QString &value);
    void setPropertyDynamic(const QString &uniqueId, const QString &mibObjectName, bool isDynamic);
    void reReadAllProperties(const QString &uniqueId);
    void setProperties(const snmp_req_list_t &setRequests);

signals:
    void groupInitialized(const QString &uniqueId);
    void propertyInitialized(const QString &uniqueId);
    void updated(const QString &uniqueId);
    void getValueDone(const snmp_get_value_t &value);
    void getValuesDone(const snmp_req_list_t &values);

private:
    TLinkSNMPIf();

    TLinkDeviceComm *m_engine = nullptr;
    QThread *m_thread = nullptr;
};
