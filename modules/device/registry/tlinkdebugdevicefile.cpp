#include "tlinkdebugdevicefile.h"

#include <QDebug>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QXmlStreamReader>

namespace {

// One child element of <device>: the field it fills, the text put before the
// element's text, and the value of an element that is present without text.
struct FieldRule
{
    const char *element;
    QString device_param_t::*field;
    const char *prefix;
    const char *emptyValue;
};

const FieldRule Rules[] = {
    {"model", &device_param_t::model, "", ""},
    {"serialno", &device_param_t::serialno, "", ""},
    {"ip_address", &device_param_t::srvurl, "service://", "service://"},
    {"version", &device_param_t::swversion, "", "1.00"},
    {"product", &device_param_t::product, "", "debug device"},
    // The vendor the shipped model list names.
    {"vendor", &device_param_t::vendor, "", "Vantor"},
    {"build", &device_param_t::swbuild, "", "000"},
    {"alias", &device_param_t::alias, "", ""},
};

const FieldRule *ruleFor(const QStringRef &name)
{
    for (const FieldRule &rule : Rules) {
        if (name == QLatin1String(rule.element))
            return &rule;
    }
    return nullptr;
}

const QLatin1String UrlPrefix("service://");

// Dotted-decimal IPv4 text, written back without leading zeros (which
// QHostAddress would read as octal). Empty when the text is none.
QString ipv4Text(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4)
        return QString();
    QStringList octets;
    for (const QString &part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 10);
        if (!ok || part.isEmpty() || part.size() > 3 || value > 255 || !part.at(0).isDigit())
            return QString();
        octets << QString::number(value);
    }
    return octets.join(QLatin1Char('.'));
}

} // namespace

QString TLinkDebugDeviceFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Vantor & Vantor/ZEL/debug.xml");
}

int TLinkDebugDeviceFile::read(const QString &fileName, const Receiver &receiver)
{
    QFile file(fileName);
    if (!file.exists()) {
        qDebug() << "TLinkDebugDeviceFile::read: no such file" << fileName;
        return 0;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "TLinkDebugDeviceFile::read: cannot open" << fileName << file.errorString();
        return 0;
    }

    // The reader takes the encoding from the XML declaration, UTF-8 without one.
    QXmlStreamReader xml(&file);
    int handed = 0;
    while (!xml.atEnd() && !xml.hasError()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("device"))
            continue;

        device_param_t param;
        while (!xml.atEnd() && !xml.hasError()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("device")) {
                const QString address = ipv4Text(param.srvurl.mid(UrlPrefix.size()));
                if (!param.srvurl.isEmpty() && address.isEmpty()) {
                    qDebug() << "TLinkDebugDeviceFile::read: device without a valid IPv4 address skipped:"
                             << param.srvurl.mid(UrlPrefix.size()) << "at line" << xml.lineNumber();
                } else if (!param.srvurl.isEmpty() && !param.model.isEmpty() && !param.serialno.isEmpty()) {
                    param.srvurl = UrlPrefix + address;
                    param.uniqueId = param.vendor + param.model + param.serialno;
                    receiver(param);
                    ++handed;
                } else {
                    qDebug() << "TLinkDebugDeviceFile::read: device without address, model or serial number skipped"
                             << "at line" << xml.lineNumber();
                }
                break;
            }
            if (!xml.isStartElement())
                continue;
            const FieldRule *rule = ruleFor(xml.name());
            if (!rule)
                continue;
            xml.readNext();
            param.*(rule->field) = xml.isCharacters() ? QLatin1String(rule->prefix) + xml.text().toString()
                                                      : QString::fromUtf8(rule->emptyValue);
        }
    }
    if (xml.hasError()) {
        qDebug() << "TLinkDebugDeviceFile::read: malformed file" << fileName << "line" << xml.lineNumber() << ":"
                 << xml.errorString();
    }
    return handed;
}
