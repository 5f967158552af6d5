// Attribute lists as devices announce them: the device attributes that make a
// device record, and the attributes of a device's other services.
// Input: URL, a 0x01 byte, the attribute list (and for services a second
// 0x01 and the service's address).
#include "deviceattributeparser.h"
#include "fuzzapp.h"
#include "tlinkdevice.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzapp::app();
    const QStringList parts = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size)).split(QChar(1));
    const QString url = parts.value(0);
    const QString attributes = parts.value(1);

    device_param_t device;
    if (DeviceAttributeParser::parse(url, attributes, &device)) {
        // An accepted device always carries what identifies it.
        if (device.uniqueId.isEmpty() || device.srvurl != url)
            std::abort();
    }

    static device_param_t param = [] {
        device_param_t p;
        p.srvurl = QStringLiteral("service:device.vantor://127.0.0.2");
        p.model = QStringLiteral("4320");
        p.vendor = QStringLiteral("Vantor");
        p.serialno = QStringLiteral("100002");
        p.uniqueId = QStringLiteral("Vantor4320100002");
        return p;
    }();
    static TLinkDevice *const owner = new TLinkDevice(param, nullptr);
    device_service_t service;
    service.srvurl = url;
    service.attributes = attributes;
    service.address = parts.value(2);
    const device_service_entry_t entry = owner->parseServiceAttributes(service, true);
    if (entry.srvurl != url || entry.attributes != attributes)
        std::abort();
    return 0;
}
