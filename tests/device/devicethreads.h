#pragma once
// The end of a test of the device layer: lets the SNMP thread finish what it
// was given, then ends it and the syslog layer's threads before the process
// ends. False when the SNMP thread did not answer in time.
bool endDeviceThreads();
