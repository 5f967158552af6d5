#pragma once
// The fixed sets of device objects that the link test and the power supply
// interface read, and the words for two status values. Filled during static
// initialisation and never changed afterwards, so any thread may read them.

#include <QStringList>

extern const QStringList systemConfigPropertyNames;
extern const QStringList serviceEnablePropertyNames;
extern const QStringList softwareDownloadPropertyNames;
extern const QStringList diagReportPropertyNames;
extern const QStringList loggingClientPropertyNames;
extern const QStringList psuPropertyNames;

extern const QStringList diagReportStatusNames;
extern const QStringList softwareDownloadStatusNames;
