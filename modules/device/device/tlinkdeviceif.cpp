#include "tlinkdeviceif.h"

TLinkDeviceIf::TLinkDeviceIf(QObject *parent)
    : InfoDevice(parent, QString())
{
    qRegisterMetaType<Services_t>("Services_t");
    qRegisterMetaType<snmp_req_res_t>("snmp_req_res_t");
}
