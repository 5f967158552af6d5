#include "infodevicemodelarray.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace {

const char *const modelListName = "ModelListInfo.xml";

QMutex pathLock;
QString overridePath;

int toNumber(const QString &text, int base = 10)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, base);
    return ok ? value : 0;
}

QString attribute(const QXmlStreamReader &reader, const char *name, const QString &fallback)
{
    const QXmlStreamAttributes attributes = reader.attributes();
    const QLatin1String key(name);
    return attributes.hasAttribute(key) ? attributes.value(key).toString() : fallback;
}

} // namespace

InfoDeviceModelArray::InfoDeviceModelArray(QObject *parent)
    : QObject(parent)
{
}

InfoDeviceModelArray::~InfoDeviceModelArray()
{
    closeFile();
}

InfoDeviceModelArray *InfoDeviceModelArray::shared()
{
    static InfoDeviceModelArray *const array = new InfoDeviceModelArray;
    return array;
}

void InfoDeviceModelArray::setModelListFile(const QString &path)
{
    QMutexLocker lock(&pathLock);
    overridePath = path;
}

QString InfoDeviceModelArray::modelListPath()
{
    {
        QMutexLocker lock(&pathLock);
        if (!overridePath.isEmpty())
            return overridePath;
    }
    // The working folder's res/ first, then the one beside the program.
    const QString relative = QStringLiteral("res/") + QLatin1String(modelListName);
    if (QFileInfo::exists(relative) || !QCoreApplication::instance())
        return relative;
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(relative);
    return QFileInfo::exists(beside) ? beside : relative;
}

int InfoDeviceModelArray::conditionCode(const QString &keyword)
{
    static const char *const keywords[] = {"==", ">=", "<", "mask", "inv_mask", "text", "enum"};
    for (int i = 0; i < int(sizeof(keywords) / sizeof(keywords[0])); ++i) {
        if (keyword == QLatin1String(keywords[i]))
            return i;
    }
    return InfoCondAbsent;
}

int InfoDeviceModelArray::getIconInfo(const QString &model, const QString &vendor, IconInfo &out)
{
    QMutexLocker lock(&m_lock);
    const int result = lookup(IconMode, model, vendor);
    if (result == Found) {
        out = m_icon;
    } else {
        out = IconInfo();
        out.modelName = model;
        out.vendor = vendor;
        out.iconName = QStringLiteral("i_device_x_unknown");
    }
    return result;
}

int InfoDeviceModelArray::getFirmwareUpgradeInfo(const QString &model, const QString &vendor,
                                                 FirmwareUpgradeInfo &out)
{
    QMutexLocker lock(&m_lock);
    const int result = lookup(FirmwareUpgradeMode, model, vendor);
    out = result == Found ? m_firmware : FirmwareUpgradeInfo();
    return result;
}

int InfoDeviceModelArray::getCertificateInfo(const QString &model, const QString &vendor, CertificateInfo &out)
{
    QMutexLocker lock(&m_lock);
    const int result = lookup(CertificateMode, model, vendor);
    out = result == Found ? m_certificate : CertificateInfo();
    return result;
}

int InfoDeviceModelArray::getServices(const QString &model, const QString &vendor, InfoServiceList &out)
{
    QMutexLocker lock(&m_lock);
    const int result = lookup(ServicesMode, model, vendor);
    if (result == Found)
        out.append(m_services);
    m_services.clear();
    return result;
}

int InfoDeviceModelArray::getStatusProperties(const QString &model, const QString &vendor,
                                              InfoStatusPropertyList &out)
{
    QMutexLocker lock(&m_lock);
    const int result = lookup(StatusMode, model, vendor);
    if (result == Found)
        out.append(m_statusProperties);
    m_statusProperties.clear();
    return result;
}

int InfoDeviceModelArray::lookup(int mode, const QString &model, const QString &vendor)
{
    if (openFile() != 0)
        return NoFile;

    m_wantedModel = model;
    m_wantedVendor = vendor;
    // The maker's own devices may report a name in front of the model number.
    if (vendor == QLatin1String("Vantor & Vantor") && !model.isEmpty()) {
        while (!m_wantedModel.isEmpty() && !m_wantedModel.at(0).isDigit())
            m_wantedModel.remove(0, 1);
    }

    int result = findModel(mode);
    if (result != Found) {
        // Variants of a model share the entry of its first four characters.
        m_wantedModel = m_wantedModel.left(4);
        m_file->seek(0);
        delete m_reader;
        m_reader = new QXmlStreamReader(m_file);
        result = findModel(mode);
    }
    closeFile();
    return result == Found ? Found : NotFound;
}

int InfoDeviceModelArray::openFile()
{
    closeFile();
    const QString path = modelListPath();
    m_file = new QFile(path);
    if (!m_file->open(QIODevice::ReadOnly)) {
        qDebug().noquote() << "InfoDeviceModelArray::openFile: Error Modelinfo file open ("
                               + path + "): " + m_file->errorString();
        delete m_file;
        m_file = nullptr;
        return 1;
    }
    m_reader = new QXmlStreamReader(m_file);
    return 0;
}

void InfoDeviceModelArray::closeFile()
{
    delete m_reader;
    m_reader = nullptr;
    delete m_file;
    m_file = nullptr;
}

int InfoDeviceModelArray::findModel(int mode)
{
    if (!m_reader)
        return NotFound;
    m_services.clear();
    m_statusProperties.clear();
    int result = NotFound;
    while (!m_reader->atEnd()) {
        m_reader->readNext();
        if (m_reader->isStartElement() && m_reader->name() == QLatin1String("model")) {
            result = parseModel(mode);
            if (result != NotFound)
                break;
        }
    }
    if (m_reader->hasError()) {
        qDebug().noquote() << QStringLiteral("InfoDeviceModelArray::findModel: %1 line %2: %3")
                                  .arg(m_file->fileName())
                                  .arg(m_reader->lineNumber())
                                  .arg(m_reader->errorString());
    }
    if (result != Found) {
        m_services.clear();
        m_statusProperties.clear();
    }
    return result;
}

QString InfoDeviceModelArray::elementText()
{
    return m_reader->readElementText(QXmlStreamReader::SkipChildElements).trimmed();
}

int InfoDeviceModelArray::parseModel(int mode)
{
    QXmlStreamReader &reader = *m_reader;
    const QString idText = attribute(reader, "id", QString());
    const int id = idText.isNull() ? -1 : toNumber(idText);
    QString modelName;
    QString vendor;
    QString icon;
    FirmwareUpgradeInfo firmware;
    CertificateInfo certificate;
    auto matches = [&] { return modelName == m_wantedModel && vendor == m_wantedVendor; };
    // Records of an entry that turns out not to match are dropped again.
    const int servicesBefore = m_services.size();
    const int statusBefore = m_statusProperties.size();

    while (reader.readNextStartElement()) {
        const QStringRef name = reader.name();
        if (name == QLatin1String("model_name")) {
            modelName = elementText();
            if (modelName.isEmpty())
                modelName = QStringLiteral("none");
        } else if (name == QLatin1String("vendor")) {
            vendor = elementText();
            if (vendor.isEmpty())
                vendor = QStringLiteral("unknown");
        } else if (name == QLatin1String("icon_name") && mode == IconMode) {
            icon = elementText();
            if (icon.isEmpty())
                icon = QStringLiteral("i_device_x_unknown");
        } else if (name == QLatin1String("firmwareupgrade") && mode == FirmwareUpgradeMode) {
            parseFirmwareUpgrade(firmware);
        } else if (name == QLatin1String("debug") && mode == CertificateMode) {
            parseDebug(certificate);
        } else if (name == QLatin1String("device_services") && mode == ServicesMode && matches()) {
            parseServices();
        } else if (name == QLatin1String("device_status") && mode == StatusMode && matches()) {
            parseStatus();
        } else {
            reader.skipCurrentElement();
        }
    }
    if (reader.hasError() || !matches()) {
        m_services.erase(m_services.begin() + servicesBefore, m_services.end());
        m_statusProperties.erase(m_statusProperties.begin() + statusBefore, m_statusProperties.end());
        return NotFound;
    }

    switch (mode) {
    case IconMode:
        m_icon.modelId = id;
        m_icon.iconName = icon;
        m_icon.modelName = modelName;
        m_icon.vendor = vendor;
        break;
    case FirmwareUpgradeMode:
        m_firmware = firmware;
        break;
    case CertificateMode:
        m_certificate = certificate;
        break;
    default:
        break;
    }
    return Found;
}

void InfoDeviceModelArray::parseFirmwareUpgrade(FirmwareUpgradeInfo &info)
{
    QXmlStreamReader &reader = *m_reader;
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("reboot_on_complete")) {
            info.rebootOnComplete = toNumber(elementText());
        } else if (reader.name() == QLatin1String("timeout")) {
            while (reader.readNextStartElement()) {
                const QStringRef name = reader.name();
                if (name == QLatin1String("progress"))
                    info.progress = toNumber(elementText());
                else if (name == QLatin1String("reboot"))
                    info.reboot = toNumber(elementText());
                else if (name == QLatin1String("startup"))
                    info.startup = toNumber(elementText());
                else if (name == QLatin1String("tftp_timeout"))
                    info.tftpTimeout = toNumber(elementText());
                else
                    reader.skipCurrentElement();
            }
        } else {
            reader.skipCurrentElement();
        }
    }
}

void InfoDeviceModelArray::parseDebug(CertificateInfo &info)
{
    QXmlStreamReader &reader = *m_reader;
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("certificate")) {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() == QLatin1String("method"))
                info.method = elementText();
            else if (reader.name() == QLatin1String("attribute"))
                info.attribute = elementText();
            else
                reader.skipCurrentElement();
        }
    }
}

void InfoDeviceModelArray::parseServices()
{
    QXmlStreamReader &reader = *m_reader;
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("service")) {
            reader.skipCurrentElement();
            continue;
        }
        // Service-type ids are written in hexadecimal ("0x700" or "700").
        const int id = toNumber(attribute(reader, "id", QString()), 16);
        while (reader.readNextStartElement()) {
            if (reader.name() != QLatin1String("property")) {
                reader.skipCurrentElement();
                continue;
            }
            const QString name = attribute(reader, "name", QString());
            if (!name.isNull()) {
                InfoServiceRecord record;
                record.id = id;
                record.protocol = attribute(reader, "protocol", QStringLiteral("none"));
                record.name = name;
                record.app = attribute(reader, "app", QString());
                m_services.append(record);
            }
            reader.skipCurrentElement();
        }
    }
}

void InfoDeviceModelArray::parseStatus()
{
    QXmlStreamReader &reader = *m_reader;
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("property_list")) {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() != QLatin1String("property")) {
                reader.skipCurrentElement();
                continue;
            }
            const InfoStatusProperty property = parseStatusProperty();
            if (!reader.hasError())
                m_statusProperties.append(property);
        }
    }
}

InfoStatusProperty InfoDeviceModelArray::parseStatusProperty()
{
    QXmlStreamReader &reader = *m_reader;
    InfoStatusProperty property;
    property.name = attribute(reader, "name", QString());
    property.protocol = attribute(reader, "protocol", QStringLiteral("none"));
    property.type = attribute(reader, "type", QStringLiteral("Integer32"));
    const QString format = attribute(reader, "format", QString());
    property.condition = format.isNull() ? int(InfoCondAbsent) : conditionCode(format);

    while (reader.readNextStartElement()) {
        const QStringRef name = reader.name();
        if (name == QLatin1String("value_name"))
            parseValueName(property);
        else if (name == QLatin1String("ok"))
            property.ok = parseRule();
        else if (name == QLatin1String("warn"))
            property.warn = parseRule();
        else if (name == QLatin1String("degrad"))
            property.degrad = parseRule();
        else if (name == QLatin1String("error"))
            property.error = parseRule();
        else
            reader.skipCurrentElement();
    }
    return property;
}

void InfoDeviceModelArray::parseValueName(InfoStatusProperty &property)
{
    QXmlStreamReader &reader = *m_reader;
    bool first = true;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() || reader.hasError())
            return;
        if (first && reader.isCharacters())
            property.valueNameText = reader.text().toString().trimmed();
        first = false;
        if (!reader.isStartElement())
            continue;
        if (reader.name() != QLatin1String("state")) {
            reader.skipCurrentElement();
            continue;
        }
        property.description = attribute(reader, "description", QString());
        const QString format = attribute(reader, "format", QString());
        property.valueCondition = format.isNull() ? int(InfoCondAbsent) : conditionCode(format);
        property.valueType = attribute(reader, "type", QStringLiteral("Integer"));
        property.valueProtocol = attribute(reader, "protocol", QStringLiteral("none"));
        property.valueObject = elementText();
    }
}

InfoStatusRule InfoDeviceModelArray::parseRule()
{
    QXmlStreamReader &reader = *m_reader;
    InfoStatusRule rule;
    rule.present = true;
    const QString format = attribute(reader, "format", QString());
    rule.condition = format.isNull() ? int(InfoCondEqual) : conditionCode(format);
    rule.text = attribute(reader, "text", QString());
    const QString content = elementText();
    // A text rule's threshold is its element text, which replaces the
    // attribute even when it is empty.
    if (rule.condition == InfoCondText)
        rule.text = content;
    else
        rule.value = toNumber(content);
    return rule;
}
