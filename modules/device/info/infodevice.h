#pragma once

#include "infoevent.h"
#include "infomodelrecords.h"

#include <QObject>
#include <QString>
#include <QStringList>

class InfoDeviceModelArray;
class InfoService;

// Base of every object that the system shows or logs as a "device": the
// network devices, the device registry, the TFTP server and the syslog layer.
// It carries the model-list information of its (model, vendor) pair, raises
// application events on the event hub and creates the service state objects.
class InfoDevice : public QObject
{
    Q_OBJECT
public:
    InfoDevice(QObject *parent, const QString &name);
    ~InfoDevice() override;

    virtual QString getName() const;
    virtual QString getModelName() const;
    // Icon base name with "_320x180" (size 1), "_button_100x100" (size 2) or
    // "_100x80" (other sizes); empty when the model list gave no icon.
    virtual QString getIconName(int size) const;
    virtual int getStartupTimeout() const;
    virtual int getRebootTimeout() const;
    virtual int getProgressTimeout() const;
    virtual int getTftpTimeout() const;
    virtual int getRebootOnComplete() const;
    virtual QString getCertificateMethod() const;
    virtual QString getCertificateAttribute() const;
    // Appends the names of the services with that protocol.
    virtual void getServiceNames(const QString &protocol, QStringList &out) const;
    // Protocol, name and app of the first service record with that id; empty
    // when there is none.
    virtual QString getModelServiceProtocol(int id) const;
    virtual QString getModelServiceName(int id) const;
    virtual QString getModelServiceApp(int id) const;
    // True when the first service record with that id has that name.
    virtual bool hasService(const QString &name, int id) const;
    // Appends the names of the status properties read over SNMP; returns
    // how many were appended.
    virtual int getSnmpStatusProperties(QStringList &out) const;
    // Appends the value objects read over SNMP; returns how many.
    virtual int getSnmpStatusObjectNames(QStringList &out) const;
    // Finds the first SNMP status property of that name; fills type, format
    // (its value-name text, when not empty) and code and returns its index in
    // the status list. Returns -1 and leaves the outputs untouched when there
    // is no such property.
    virtual int getStatusProperty(const QString &name, QString &type, QString &format, int &code) const;
    // Value object, value type, description and value condition code of the
    // status property at index; returns index, or -1 when index is out of
    // range or the property has no value object.
    virtual int getStatusPropertyAt(int index, QString &object, QString &type, QString &description,
                                    int &code) const;
    // Turns one reported status value into a device-status state: 1793 ok,
    // 1794 warning, 1795 degraded, 1796 error, or 1792 when no rule holds.
    // text receives the text of the rule that applied (untouched otherwise).
    virtual int evaluateStatus(const QString &name, const QString &valueText, int value, QString &text) const;

    // Fills the model-list information of (model, vendor); run once per device.
    void initModelInfo(const QString &model, const QString &vendor);

    // Raises an application event on the event hub with this object as source.
    void postEvent(InfoEventId_t id, const QString &extraText, int state);

    // A new service state object owned by this object.
    InfoService *createInfoService(int serviceType, int initialState);

    QString getVendor() const { return m_vendor; }
    int getModelId() const { return m_modelId; }
    const InfoServiceList &serviceRecords() const { return m_services; }
    const InfoStatusPropertyList &statusProperties() const { return m_statusProperties; }

private:
    QString m_modelName;
    QString m_vendor;
    QString m_name;
    int m_modelId = 0;
    int m_startup = -1;
    int m_reboot = -1;
    int m_progress = -1;
    int m_tftpTimeout = 1;
    int m_rebootOnComplete = 0;
    QString m_iconBaseName;
    QString m_certificateMethod = QStringLiteral("none");
    QString m_certificateAttribute = QStringLiteral("none");
    InfoDeviceModelArray *m_modelArray = nullptr;
    InfoServiceList m_services;
    InfoStatusPropertyList m_statusProperties;
};
