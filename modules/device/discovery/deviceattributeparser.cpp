#include "deviceattributeparser.h"

#include <QDebug>
#include <QStringList>

namespace {
// The attribute tags of a device and the record field each fills.
QString device_param_t::*const Fields[] = {&device_param_t::vendor,    &device_param_t::model,
                                           &device_param_t::serialno,  &device_param_t::swversion,
                                           &device_param_t::product,   &device_param_t::swbuild,
                                           &device_param_t::alias};
const char *const Tags[] = {"device-vendor", "device-model", "device-serial-no", "device-sw-version",
                            "device-product", "device-sw-build", "device-alias"};
// Longer texts than this are no names a device gives itself.
const int MaxValueLength = 128;
} // namespace

bool DeviceAttributeParser::wellFormed(const QString &attributes)
{
    // Parentheses enclose one attribute each: never nested, always closed.
    bool open = false;
    for (const QChar c : attributes) {
        if (c == QLatin1Char('(')) {
            if (open)
                return false;
            open = true;
        } else if (c == QLatin1Char(')')) {
            if (!open)
                return false;
            open = false;
        }
    }
    return !open;
}

bool DeviceAttributeParser::safeValue(const QString &value, bool nameLike)
{
    if (value.size() > MaxValueLength)
        return false;
    for (const QChar c : value)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    // Vendor, model, serial number and product end up in file and folder
    // names and settings keys.
    if (nameLike
        && (value.contains(QLatin1Char('/')) || value.contains(QLatin1Char('\\')) || value == QLatin1String(".")
            || value == QLatin1String("..")))
        return false;
    return true;
}

bool DeviceAttributeParser::parse(const QString &srvurl, const QString &attributes, device_param_t *device)
{
    *device = device_param_t();
    device->srvurl = srvurl;
    if (!wellFormed(attributes)) {
        qDebug() << QStringLiteral("TLinkDeviceAttribute : Device NOT Valid: %1 Attributes: %2").arg(srvurl, attributes);
        return false;
    }
    QString text = attributes;
    text.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString &part : parts) {
        const QStringList pair = part.split(QLatin1Char('='));
        if (pair.size() < 2)
            continue;
        for (size_t i = 0; i < sizeof Tags / sizeof Tags[0]; ++i)
            if (pair.at(0) == QLatin1String(Tags[i]))
                device->*Fields[i] = pair.at(1);
    }
    for (size_t i = 0; i < sizeof Fields / sizeof Fields[0]; ++i) {
        const QString &value = device->*Fields[i];
        const bool nameLike = Fields[i] != &device_param_t::swversion && Fields[i] != &device_param_t::swbuild
                              && Fields[i] != &device_param_t::alias;
        if (!safeValue(value, nameLike)) {
            qDebug() << QStringLiteral("TLinkDeviceAttribute : Device NOT Valid: %1 %2: %3")
                            .arg(srvurl, QLatin1String(Tags[i]), value);
            return false;
        }
    }
    if (device->serialno.isEmpty())
        qDebug() << QStringLiteral("TLinkDeviceAttribute : Device NOT Valid: %1 Serialno: %2")
                        .arg(srvurl, device->serialno);

    QString uniqueId;
    if (device->model.isEmpty())
        uniqueId = QStringLiteral("0");
    else if (device->serialno.isEmpty())
        uniqueId = device->vendor + device->model + srvurl;
    else
        uniqueId = device->vendor + device->model + device->serialno;
    qDebug() << QStringLiteral("Unique ID generated: [%1 / %2]").arg(srvurl, uniqueId);

    bool isNumber = false;
    const qlonglong number = uniqueId.toLongLong(&isNumber);
    if (uniqueId.isEmpty() || (isNumber && number <= 0)) {
        qDebug() << QStringLiteral("TLinkDeviceAttribute : Device NOT Valid: %1 Unique ID: %2").arg(srvurl, uniqueId);
        return false;
    }
    device->uniqueId = uniqueId;
    return true;
}
