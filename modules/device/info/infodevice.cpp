#include "infodevice.h"

#include "infodevicemodelarray.h"
#include "infomanager.h"
#include "infoservice.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

enum StatusState { StatusUnknown = 1792, StatusOk = 1793, StatusWarning = 1794,
                   StatusDegraded = 1795, StatusError = 1796 };

struct RuleLevel
{
    const InfoStatusRule InfoStatusProperty::*rule;
    int state;
    const char *word;
};

// Rules in the order they are tested: the most severe first.
const RuleLevel ruleLevels[] = {
    {&InfoStatusProperty::error, StatusError, QT_TRANSLATE_NOOP("InfoDevice", "error")},
    {&InfoStatusProperty::degrad, StatusDegraded, QT_TRANSLATE_NOOP("InfoDevice", "degraded")},
    {&InfoStatusProperty::warn, StatusWarning, QT_TRANSLATE_NOOP("InfoDevice", "warning")},
    {&InfoStatusProperty::ok, StatusOk, QT_TRANSLATE_NOOP("InfoDevice", "ok")},
};

bool integerRuleHolds(const InfoStatusRule &rule, int value)
{
    switch (rule.condition) {
    case InfoCondEqual:
    case InfoCondEnum:
        return value == rule.value;
    case InfoCondGreaterEqual:
        return value >= rule.value;
    case InfoCondLess:
        return value < rule.value;
    case InfoCondMask:
        return value != 0 && rule.value != 0;
    case InfoCondInvMask:
        return value == 0 || rule.value == 0;
    default:
        return false;
    }
}

} // namespace

InfoDevice::InfoDevice(QObject *parent, const QString &name)
    : QObject(parent)
    , m_name(name)
    , m_modelArray(InfoDeviceModelArray::shared())
{
}

InfoDevice::~InfoDevice() = default;

QString InfoDevice::getName() const
{
    return m_name;
}

QString InfoDevice::getModelName() const
{
    return m_modelName;
}

QString InfoDevice::getIconName(int size) const
{
    if (m_iconBaseName.isEmpty())
        return QString();
    switch (size) {
    case 1: return m_iconBaseName + QLatin1String("_320x180");
    case 2: return m_iconBaseName + QLatin1String("_button_100x100");
    default: return m_iconBaseName + QLatin1String("_100x80");
    }
}

int InfoDevice::getStartupTimeout() const { return m_startup; }
int InfoDevice::getRebootTimeout() const { return m_reboot; }
int InfoDevice::getProgressTimeout() const { return m_progress; }
int InfoDevice::getTftpTimeout() const { return m_tftpTimeout; }
int InfoDevice::getRebootOnComplete() const { return m_rebootOnComplete; }
QString InfoDevice::getCertificateMethod() const { return m_certificateMethod; }
QString InfoDevice::getCertificateAttribute() const { return m_certificateAttribute; }

void InfoDevice::getServiceNames(const QString &protocol, QStringList &out) const
{
    for (const InfoServiceRecord &record : m_services) {
        if (record.protocol == protocol)
            out.append(record.name);
    }
}

QString InfoDevice::getModelServiceProtocol(int id) const
{
    for (const InfoServiceRecord &record : m_services) {
        if (record.id == id)
            return record.protocol;
    }
    return QString();
}

QString InfoDevice::getModelServiceName(int id) const
{
    for (const InfoServiceRecord &record : m_services) {
        if (record.id == id)
            return record.name;
    }
    return QString();
}

QString InfoDevice::getModelServiceApp(int id) const
{
    for (const InfoServiceRecord &record : m_services) {
        if (record.id == id)
            return record.app;
    }
    return QString();
}

bool InfoDevice::hasService(const QString &name, int id) const
{
    for (const InfoServiceRecord &record : m_services) {
        if (record.id == id)
            return record.name == name;
    }
    return false;
}

int InfoDevice::getSnmpStatusProperties(QStringList &out) const
{
    int count = 0;
    for (const InfoStatusProperty &property : m_statusProperties) {
        if (property.protocol == QLatin1String("snmp")) {
            out.append(property.name);
            ++count;
        }
    }
    return count;
}

int InfoDevice::getSnmpStatusObjectNames(QStringList &out) const
{
    int count = 0;
    for (const InfoStatusProperty &property : m_statusProperties) {
        if (property.valueProtocol == QLatin1String("snmp") && !property.valueObject.isEmpty()) {
            out.append(property.valueObject);
            ++count;
        }
    }
    return count;
}

int InfoDevice::getStatusProperty(const QString &name, QString &type, QString &format, int &code) const
{
    for (int i = 0; i < m_statusProperties.size(); ++i) {
        const InfoStatusProperty &property = m_statusProperties.at(i);
        if (property.name != name || property.protocol != QLatin1String("snmp"))
            continue;
        type = property.type;
        if (!property.valueNameText.isEmpty())
            format = property.valueNameText;
        code = property.condition;
        return i;
    }
    return -1;
}

int InfoDevice::getStatusPropertyAt(int index, QString &object, QString &type, QString &description,
                                    int &code) const
{
    if (index < 0 || index >= m_statusProperties.size())
        return -1;
    const InfoStatusProperty &property = m_statusProperties.at(index);
    if (property.valueObject.isEmpty())
        return -1;
    object = property.valueObject;
    type = property.valueType;
    description = property.description;
    code = property.valueCondition;
    return index;
}

int InfoDevice::evaluateStatus(const QString &name, const QString &valueText, int value, QString &text) const
{
    int result = StatusUnknown;
    for (const InfoStatusProperty &property : m_statusProperties) {
        if (property.name != name)
            continue;
        if (property.type == QLatin1String("Integer") || property.type == QLatin1String("Integer32")) {
            for (const RuleLevel &level : ruleLevels) {
                const InfoStatusRule &rule = property.*level.rule;
                if (!integerRuleHolds(rule, value))
                    continue;
                result = level.state;
                text = rule.text.isEmpty() ? QCoreApplication::translate("InfoDevice", level.word) : rule.text;
                break;
            }
        } else if (property.type == QLatin1String("String")) {
            if (valueText.isEmpty())
                continue;
            for (const RuleLevel &level : ruleLevels) {
                if (level.state != StatusError && result != StatusUnknown)
                    continue;
                const InfoStatusRule &rule = property.*level.rule;
                // A rule the model list does not give never holds; a text
                // rule is judged by its text alone, whatever its condition.
                if (!rule.present)
                    continue;
                const QString wanted = rule.text.isEmpty()
                    ? QCoreApplication::translate("InfoDevice", level.word) : rule.text;
                if (!valueText.contains(wanted, Qt::CaseSensitive))
                    continue;
                result = level.state;
                text = wanted;
                break;
            }
        }
    }
    return result;
}

void InfoDevice::initModelInfo(const QString &model, const QString &vendor)
{
    m_modelName = model;
    m_vendor = vendor;

    InfoDeviceModelArray::IconInfo icon;
    m_modelArray->getIconInfo(model, vendor, icon);
    m_modelId = icon.modelId;
    m_iconBaseName = icon.iconName;

    InfoDeviceModelArray::FirmwareUpgradeInfo firmware;
    m_modelArray->getFirmwareUpgradeInfo(model, vendor, firmware);
    m_startup = firmware.startup;
    m_reboot = firmware.reboot;
    m_progress = firmware.progress;
    m_tftpTimeout = firmware.tftpTimeout;
    m_rebootOnComplete = firmware.rebootOnComplete;

    InfoDeviceModelArray::CertificateInfo certificate;
    m_modelArray->getCertificateInfo(model, vendor, certificate);
    m_certificateMethod = certificate.method;
    m_certificateAttribute = certificate.attribute;

    // Every device offers these four SNMP services; the model's own follow.
    InfoServiceList services = {
        {256, QStringLiteral("snmp"), QStringLiteral("zkSoftwareDownloadStatus"), QString()},
        {512, QStringLiteral("snmp"), QStringLiteral("zkLoggingClientEnable"), QString()},
        {768, QStringLiteral("snmp"), QStringLiteral("zkDiagReportStatus"), QString()},
        {1024, QStringLiteral("snmp"), QStringLiteral("zkSystemConfigReset"), QString()},
    };
    m_modelArray->getServices(model, vendor, services);
    m_services.append(services);

    m_modelArray->getStatusProperties(model, vendor, m_statusProperties);

    qDebug().noquote() << QStringLiteral("InfoDevice: %1 %2 -Pgr %3 -RB %4 -ST %5 -TFTP %6 -RoC %7")
                              .arg(model, vendor)
                              .arg(m_progress)
                              .arg(m_reboot)
                              .arg(m_startup)
                              .arg(m_tftpTimeout)
                              .arg(m_rebootOnComplete);
    qDebug().noquote() << QStringLiteral("InfoDevice: %1 -DBG: %2 - %3")
                              .arg(model, m_certificateMethod, m_certificateAttribute);
}

void InfoDevice::postEvent(InfoEventId_t id, const QString &extraText, int state)
{
    InfoManager::instance()->raiseEvent(id, this, extraText, state);
}

InfoService *InfoDevice::createInfoService(int serviceType, int initialState)
{
    return new InfoService(this, serviceType, initialState);
}
