// HTTP bodies a device answers to the link test's web page and MIB file
// steps, read into the texts of their result rows.
#include "fuzzapp.h"
#include "tdevicetesthandler.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzapp::app();
    const QString body = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    TDeviceTestHandler::webPageTitle(body);
    TDeviceTestHandler::mibFileSummary(body);
    return 0;
}
