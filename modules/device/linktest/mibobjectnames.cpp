#include "mibobjectnames.h"

const QStringList systemConfigPropertyNames = {
    QStringLiteral("sysDescr"),
    QStringLiteral("sysObjectID"),
    QStringLiteral("sysUpTime"),
    QStringLiteral("sysContact"),
    QStringLiteral("sysName"),
    QStringLiteral("sysLocation"),
    QStringLiteral("sysServices"),
    QStringLiteral("zkSystemConfigSoftwareVersion"),
    QStringLiteral("zkSystemConfigModelNumber"),
    QStringLiteral("zkSystemConfigSerialNumber"),
    QStringLiteral("zkSystemConfigSoftwareBuildId"),
    QStringLiteral("zkSystemConfigHardwarePartNumber"),
    QStringLiteral("zkSystemConfigSoftwareBuildNumber"),
    QStringLiteral("zkSystemConfigBootCodeVersion"),
    QStringLiteral("zkSystemConfigPosixTime"),
    QStringLiteral("zkSystemConfigISOTime"),
    QStringLiteral("zkSystemConfigAliasName"),
    QStringLiteral("zkSystemConfigSysName"),
};

const QStringList serviceEnablePropertyNames = {
    QStringLiteral("zkSoftwareDownloadStatus"),
    QStringLiteral("zkLoggingClientEnable"),
    QStringLiteral("zkDiagReportStatus"),
    QStringLiteral("zkSystemConfigReset"),
};

const QStringList softwareDownloadPropertyNames = {
    QStringLiteral("zkSoftwareDownloadProtocol"),
    QStringLiteral("zkSoftwareDownloadIpAddress"),
    QStringLiteral("zkSoftwareDownloadPortNumber"),
    QStringLiteral("zkSoftwareDownloadFileName"),
    QStringLiteral("zkSoftwareDownloadControl"),
    QStringLiteral("zkSoftwareDownloadStatus"),
    QStringLiteral("zkSoftwareDownloadErrorDescription"),
    QStringLiteral("zkSoftwareDownloadProgress"),
};

const QStringList diagReportPropertyNames = {
    QStringLiteral("zkDiagReportProtocol"),
    QStringLiteral("zkDiagReportIpAddress"),
    QStringLiteral("zkDiagReportPortNumber"),
    QStringLiteral("zkDiagReportFileName"),
    QStringLiteral("zkDiagReportControl"),
};

const QStringList loggingClientPropertyNames = {
    QStringLiteral("zkLoggingCapability"),
    QStringLiteral("zkLoggingClientEnable"),
    QStringLiteral("zkLoggingClientDestinationIp"),
    QStringLiteral("zkLoggingClientDestinationPort"),
    QStringLiteral("zkLoggingClientEventSeverity"),
    QStringLiteral("zkLoggingClientEventDelivery"),
    QStringLiteral("zkLoggingClientTraceFilter"),
    QStringLiteral("zkLoggingClientTraceDelivery"),
};

// Position = field position of the power supply record; units on the wire:
// mA, mV, mV, mV, mV, K, K, bit mask.
const QStringList psuPropertyNames = {
    QStringLiteral("zkZk441xMaxChargeCurrent"),
    QStringLiteral("zkZk441xMaxChargeVoltage"),
    QStringLiteral("zkZk441xFloatVoltage"),
    QStringLiteral("zkZk441xMinVoltage"),
    QStringLiteral("zkZk441xMaxVoltage"),
    QStringLiteral("zkZk441xMinBatTemp"),
    QStringLiteral("zkZk441xMaxBatTemp"),
    QStringLiteral("zkZk441xSupplyBranch"),
};

const QStringList diagReportStatusNames = {
    QStringLiteral("invalid"), QStringLiteral("init"), QStringLiteral("busy"),
    QStringLiteral("done"),    QStringLiteral("failed"),
};

const QStringList softwareDownloadStatusNames = {
    QStringLiteral("invalid"), QStringLiteral("init"),   QStringLiteral("started"),
    QStringLiteral("aborted"), QStringLiteral("failed"), QStringLiteral("ready"),
};
