#pragma once
// What one simulated device is and how it misbehaves.

#include <QHostAddress>
#include <QString>
#include <QStringList>

struct DeviceIdentity
{
    QHostAddress address{QStringLiteral("127.0.0.2")};
    QString vendor = QStringLiteral("Vantor & Vantor"); // as the maker's devices announce it
    QString model = QStringLiteral("4320");
    QString serial = QStringLiteral("100001");
    QString product = QStringLiteral("VANTOR-4320");
    QString swVersion = QStringLiteral("01.07");
    QString swBuild = QStringLiteral("0041");
    QString alias = QStringLiteral("Bridge terminal");
    QString community = QStringLiteral("quarry");

    quint16 slpPort = 427;
    quint16 snmpPort = 161;
    QString mibDir;       // the MIB files the SNMP agent serves
    int restartMs = 4000; // how long a reset keeps the device down
    quint16 telnetPort = 23;
    QString telnetPassword = QStringLiteral("3958"); // the configuration password
    QString telnetHangUpOn;  // shell command on which the device hangs up
    quint16 httpPort = 80;
    int syslogIntervalMs = 1000; // pace of the logging client's routine lines

    // Fault switches, shared by every protocol the device speaks.
    int delayMs = 0;      // answer this late
    int slpDelayMs = 0;   // SLP answers come this much later still
    bool silent = false;  // answer nothing at all
    bool broken = false;  // answer with malformed messages
    bool httpMute = false; // the web server takes connections and never answers
    int slpMtu = 1400;    // SLP datagram replies longer than this are cut (OVERFLOW)
    QStringList missingObjects; // MIB objects (names) the agent lacks: asked for, they are errors
    bool telnetSplitPrompt = false; // the shell's prompt goes out in a segment of its own
    int telnetFloodBytes = 0;       // "ver" answers with this much more text before its prompt

    // Set while the device restarts: it answers on no protocol then.
    bool restarting = false;
};
