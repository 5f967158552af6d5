#include "devicerelay.h"

#include "tlinkdevice.h"
#include "tlinksnmpif.h"

DeviceRelay::DeviceRelay(TLinkDevice *device, QObject *parent)
    : QObject(parent)
    , m_device(device)
{
    TLinkSNMPIf *facade = TLinkSNMPIf::instance();
    connect(facade, &TLinkSNMPIf::groupInitialized, this, [this, facade](const QString &id) {
        if (isMine(id))
            m_device->initPropertyGroups(facade->getPropertyGroups(id));
    });
    connect(facade, &TLinkSNMPIf::propertyInitialized, this, [this, facade](const QString &id) {
        if (isMine(id))
            m_device->initProperties(facade->getProperties(id));
    });
    connect(facade, &TLinkSNMPIf::updated, this, [this, facade](const QString &id) {
        if (isMine(id))
            m_device->allPropertiesUpdated(facade->getProperties(id));
    });
    connect(facade, &TLinkSNMPIf::getValueDone, this, [this](const snmp_get_value_t &value) {
        if (isMine(value.uniqueId))
            m_device->propertyUpdated(value);
    });
    connect(facade, &TLinkSNMPIf::getValuesDone, this, [this](const snmp_req_list_t &result) {
        if (isMine(result.uniqueId))
            m_device->propertiesUpdated(result);
    });
}

bool DeviceRelay::isMine(const QString &uniqueId) const
{
    return m_device && m_device->getUniqueId() == uniqueId;
}
