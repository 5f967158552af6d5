#pragma once
// SNMPHelper: the request layer over Net-SNMP. Synchronous GET, GET-NEXT and
// SET of one request or a list, and the asynchronous polling of every
// registered device. Requests and polling run on the SNMP thread; the
// registration calls may come from any thread and are guarded by snmpLock().

#include "snmpasyncdev.h"
#include "snmpreq.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

#include <sys/select.h>

struct snmp_session;
struct snmp_pdu;
struct variable_list;
struct timeval;
typedef struct variable_list netsnmp_variable_list;

class SNMPHelper : public QObject
{
    Q_OBJECT
public:
    // Largest value (in bytes, over all variables) a SET may carry: what
    // fits in one UDP datagram with room for the message around it.
    static constexpr int MaxSetValueBytes = 65000;

    static SNMPHelper *instance();
    ~SNMPHelper() override;

    int get(const QString &hostAddress, snmp_req_t *request);
    int getNext(const QString &hostAddress, snmp_req_t *request);
    // A SET whose reply never came sets *timedOut (when given).
    int set(const QString &hostAddress, snmp_req_t *request, bool *timedOut = nullptr);
    int getList(const QString &hostAddress, const QList<snmp_req_t *> &requests);
    int setList(const QString &hostAddress, const QList<snmp_req_t *> &requests, bool *timedOut = nullptr);

    static QString oidToString(const quint32 *oid, quint32 length);

    // Value text of one reply variable; *handled is false for a type
    // without a rule (the text is then empty).
    static QString valueText(const netsnmp_variable_list *var, bool *handled = nullptr);

    void addDevice(const QString &uniqueId, const QString &hostAddress, const QList<snmp_req_t *> &requests);
    void changeHostAddress(const QString &uniqueId, const QString &hostAddress);
    void setRequests(const QString &uniqueId, const QList<snmp_req_t *> &requests);
    void removeDevice(const QString &uniqueId);
    QList<snmp_req_t *> getRequests(const QString &uniqueId) const;
    void setDeviceOnline(const QString &uniqueId, bool online);
    void changeUniqueId(const QString &oldId, const QString &newId);
    void reReadAllProperties(const QString &uniqueId);
    void setPropertyDynamic(const QString &uniqueId, const QString &name, bool dynamic);

    void setActiveDeviceId(const QString &uniqueId);
    QString activeDeviceId() const;

    // Runs one polling cycle over all entries; returns when every chain has
    // ended. With quietLimitMs >= 0 it returns as well once no answer came
    // for that long: the chains still waiting (silent agents) go on in the
    // next cycles, and the other devices are polled meanwhile.
    void sendAsync(int quietLimitMs = -1);
    int asyncResponse(int operation, snmp_session *session, int requestId, snmp_pdu *pdu, snmp_async_dev_t *entry);

    // The wait of the polling loop; replaceable so that tests can make it fail.
    using SelectFunction = std::function<int(int, fd_set *, timeval *)>;
    void setSelectFunction(SelectFunction function);

signals:
    void propertyUpdated(const QString &uniqueId);

private:
    SNMPHelper();
    snmp_async_dev_t *findEntry(const QString &uniqueId) const;
    bool isEligible(const snmp_async_dev_t *entry, const snmp_req_t *request) const;
    int nextRecord(const snmp_async_dev_t *entry, int from) const;
    bool sendPoll(snmp_async_dev_t *entry);
    void endChain(snmp_async_dev_t *entry, bool reachedEnd);
    void finishCycle(bool keepWaitingChains);
    void storePolled(snmp_async_dev_t *entry, snmp_pdu *pdu);

    QList<snmp_async_dev_t *> m_devices;
    QList<snmp_async_dev_t *> m_removedDuringCycle;
    QList<QString> m_endedChains;
    QString m_activeDeviceId;
    int m_runningChains = 0;
    bool m_cycleRunning = false;
    SelectFunction m_select;
};
