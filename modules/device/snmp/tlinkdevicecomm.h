#pragma once
// TLinkDeviceComm: the SNMP engine. Keeps one entry per device, loads the
// device model's MIB, builds its property groups and records, and serves the
// single, list and polled requests. It lives on the SNMP thread; the device
// list operations and lookups may be called from another thread and are
// serialised with the request layer through snmpLock().

#include "snmpdevice.h"
#include "snmpvalues.h"

#include <QChar>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVector>

class QTimer;
class InfoDevice;
struct tree;

class TLinkDeviceComm : public QObject
{
    Q_OBJECT
public:
    explicit TLinkDeviceComm(QObject *parent = nullptr);
    ~TLinkDeviceComm() override;

    void setActiveDevice(const QString &uniqueId);
    void setDeviceOnline(const QString &uniqueId, bool online);
    void changeDeviceAddress(const QString &uniqueId, const QString &hostAddress);
    void stopTimer();

    QList<snmp_group_t> getPropertyGroups(const QString &uniqueId) const;
    QList<snmp_property_t> getProperties(const QString &uniqueId) const;
    snmp_property_t getProperty(const QString &uniqueId, const QString &mibObjectName) const;
    // False once a polling cycle asked the device and got no answer at all;
    // true again with its next answer (an error answer is one too).
    bool isDeviceAnswering(const QString &uniqueId) const;

    // MIB folder, file choice and version texts.
    QString mibFolder(bool announce);
    static QString findMibFiles(const QString &folder, const QString &model, const QString &swVersion);
    static int compareVersions(const QString &a, const QString &b);
    static bool isVersionText(const QString &s);

    // Flag blocks and property records.
    static QList<QPair<QChar, QString>> parseDescriptionFlags(const QString &description);
    static int decimalsFromHint(const QString &displayHint);
    static QString wordsFromName(const QString &name);
    // Only nodes of the given modules become records (every node when the list is empty).
    static void buildPropertyFolders(snmp_device_t *device, tree *node, const quint32 *oid, quint32 length, bool test,
                                     const QVector<int> &modules = QVector<int>());
    static snmp_req_t *buildRequest(const snmp_property_t &record, const QString &value);
    static snmp_group_t buildGroup(const tree *node);
    // A value text as stored for a record with the given decimals.
    static QString formatDecimals(const QString &text, int decimals);

signals:
    void groupInitialized(const QString &uniqueId);
    void propertyInitialized(const QString &uniqueId);
    void updated(const QString &uniqueId);
    void getValueDone(const snmp_get_value_t &value);
    void getValuesDone(const snmp_req_list_t &values);

public slots:
    void addDevice(const QString &uniqueId, const QString &url, const QString &model, const QString &swVersion, bool bTest);
    void addDevice(const QString &uniqueId, const QString &url, const QString &model, const QString &swVersion);
    void removeDevice(const QString &uniqueId);
    void sendGetReq(const QString &uniqueId, const QString &mibObjectName);
    void sendGetNextReq(const QString &uniqueId, const QString &mibObjectName);
    void setProperty(const QString &uniqueId, const QString &mibObjectName, const QString &value);
    void setProperties(const snmp_req_list_t &setRequests);
    void setPropertyDynamic(const QString &uniqueId, const QString &mibObjectName, bool isDynamic);
    void changeUniqueId(const QString &oldId, const QString &newId);
    void reReadAllProperties(const QString &uniqueId);
    void updateDevice(const QString &uniqueId, const QString &url, const QString &model, const QString &swVersion);
    void init();
    void timerOneSecTimeOut();
    void propertyUpdatedHandler(const QString &uniqueId);

private:
    enum class SingleRead { Get, GetNext };
    void singleRead(SingleRead how, const QString &uniqueId, const QString &mibObjectName);
    snmp_device_t *findDevice(const QString &uniqueId) const;
    snmp_device_t *findDeviceWith(const QString &uniqueId, const QString &mibObjectName, snmp_property_t **record) const;
    // Makes the base modules and the model's file present in the shared MIB
    // tree, then rebuilds the device's groups and records from the nodes of
    // those modules. Runs with snmpLock() held.
    void loadMib(snmp_device_t *device, const QString &folder, const QString &file, bool test);
    QList<snmp_req_t *> pollList(const snmp_device_t *device) const;
    void postEvent(int id, const QString &extraText);

    QTimer *m_timer = nullptr;
    QString m_activeDeviceId;
    QList<snmp_device_t *> m_devices;
    InfoDevice *m_infoDevice = nullptr;
    bool m_firstLoad = true;
};
