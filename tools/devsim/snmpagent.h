#pragma once
#include "deviceidentity.h"
#include "mibcatalog.h"

#include <QHash>
#include <QObject>

#include <csignal>

class DeviceBehaviour;
class QSocketNotifier;
class QTimer;
class ValueStore;

// The device's SNMP agent: Net-SNMP's agent library serving, at the
// device's address only, every scalar of the shipped MIB files from a
// value store. SNMPv1/v2c with the device's read-write community; other
// communities are dropped unanswered. Runs in the Qt event loop.
class SnmpAgent : public QObject
{
    Q_OBJECT
public:
    explicit SnmpAgent(DeviceIdentity &identity, QObject *parent = nullptr);
    bool start(QString *error);

    // Set from a signal handler: the agent answers nothing while the
    // device stays on the network with its other protocols.
    static volatile std::sig_atomic_t s_silent;

private:
    static int handleRequests(struct netsnmp_mib_handler_s *handler,
                              struct netsnmp_handler_registration_s *reginfo,
                              struct netsnmp_agent_request_info_s *reqinfo,
                              struct netsnmp_request_info_s *requests);
    static int checkAccess(int majorId, int minorId, void *serverArg, void *clientArg);
    bool registerObject(const MibObject &object);
    void watchSockets();
    void readSocket(int fd);

    DeviceIdentity &m_identity;
    MibCatalog m_catalog;
    ValueStore *m_store = nullptr;
    DeviceBehaviour *m_behaviour = nullptr;
    QHash<int, QSocketNotifier *> m_notifiers;
    QTimer *m_alarmTimer = nullptr;
};
