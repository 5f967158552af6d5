#include "deviceattributeparser.h"

#include "slpattributelist.h"

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
} // namespace

bool DeviceAttributeParser::parse(const QString &srvurl, const QString &attributes, device_param_t *device)
{
    *device = device_param_t();
    device->srvurl = srvurl;
    const QList<SlpAttributeList::Attribute> list = SlpAttributeList::parse(attributes);
    for (const SlpAttributeList::Attribute &attribute : list) {
        if (attribute.values.isEmpty())
            continue; // a keyword
        for (size_t i = 0; i < sizeof Tags / sizeof Tags[0]; ++i) {
            if (attribute.tag.compare(QLatin1String(Tags[i]), Qt::CaseInsensitive) == 0)
                device->*Fields[i] = attribute.values.join(QLatin1Char(','));
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
        qDebug() << QStringLiteral("TLinkDeviceAttribute : Device NOT Valid: %1 Unique ID: %2").arg(srvurl, uniqueId)
                 << (device->model.isEmpty() ? "(no device-model attribute)" : "(an id of digits of value 0)");
        return false;
    }
    device->uniqueId = uniqueId;
    return true;
}
