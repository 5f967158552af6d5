#include "statetrail.h"

#include "tlinkdevice.h"

StateTrail::StateTrail(TLinkDevice *device)
{
    connect(device, &TLinkDeviceIf::updated, this, [this, device] {
        if (states.isEmpty() || states.last() != device->getUploadState())
            states << device->getUploadState();
    });
}
