#pragma once
// Helpers of the report, link test and power supply window tests: the
// settings the registry needs in a test, a device of the registry served by
// a simulated device, and a main window to show sub-windows in.

#include <QString>
#include <memory>

class TLinkDevice;
class TMainWindow;
namespace testsupport {
class Peer;
}

namespace app3test {

// Free ports for the registry's servers and the MIB folder of the sources.
void prepareRegistrySettings();

// A simulated device (SNMP only) at the address, known to the registry from
// a debug-device file; null when devsim does not start.
struct ServedDevice
{
    std::unique_ptr<testsupport::Peer> peer;
    TLinkDevice *device = nullptr;
    ~ServedDevice();
};
std::unique_ptr<ServedDevice> serveDevice(const QString &address, const QString &model, const QString &serial,
                                          const QString &alias);

// A shown main window of the framework, for windows opened with showWindow().
TMainWindow *makeMainWindow();
// Waits until the main window's animations have ended.
bool settle(TMainWindow *main);

} // namespace app3test
