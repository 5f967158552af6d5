// devsim: one simulated device of the maker at one loopback address.
// Prints "devsim ready" on standard output once every protocol listens (an
// SNMP agent started late by --snmp-start-ms prints "devsim SNMP ready");
// ends on SIGTERM/SIGINT.

#include "deviceidentity.h"
#include "httpagent.h"
#include "slpagent.h"
#include "slpfleet.h"
#include "snmpagent.h"
#include "telnetagent.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <unistd.h>

static void onSignal(int)
{
    ::_exit(0);
}

// SIGUSR1 silences the SNMP agent, SIGUSR2 makes it answer again; SLP,
// telnet and HTTP go on as before.
static void onSnmpSilence(int signal)
{
    SnmpAgent::s_silent = signal == SIGUSR1 ? 1 : 0;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("devsim"));

    DeviceIdentity id;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulates one device on a loopback address."));
    parser.addHelpOption();
    const QCommandLineOption address("address", "Loopback address to serve on.", "ip", id.address.toString());
    const QCommandLineOption vendor("vendor", "Vendor text.", "text", id.vendor);
    const QCommandLineOption model("model", "Model text.", "text", id.model);
    const QCommandLineOption serial("serial", "Serial number.", "text", id.serial);
    const QCommandLineOption product("product", "Product text.", "text", id.product);
    const QCommandLineOption swVersion("sw-version", "Software version (MM.mm).", "text", id.swVersion);
    const QCommandLineOption swBuild("sw-build", "Software build (bbbb).", "text", id.swBuild);
    const QCommandLineOption alias("alias", "Device alias.", "text", id.alias);
    const QCommandLineOption community("community", "SNMP community.", "text", id.community);
    const QCommandLineOption slpPort("slp-port", "SLP port.", "port", QString::number(id.slpPort));
    const QCommandLineOption snmpPort("snmp-port", "SNMP port.", "port", QString::number(id.snmpPort));
    const QCommandLineOption mibDir("mib-dir", "Folder of the MIB files the SNMP agent serves.", "path",
                                    QStringLiteral(ZEL_DEVSIM_MIB_DIR));
    const QCommandLineOption restartMs("restart-ms", "How long a reset keeps the device down.", "ms",
                                       QString::number(id.restartMs));
    const QCommandLineOption delay("delay-ms", "Answer this many ms late.", "ms", "0");
    const QCommandLineOption silent("silent", "Answer nothing.");
    const QCommandLineOption broken("broken", "Answer with malformed messages.");
    const QCommandLineOption noSlp("no-slp", "Do not run the SLP agent.");
    const QCommandLineOption noSnmp("no-snmp", "Do not run the SNMP agent.");
    const QCommandLineOption snmpStart("snmp-start-ms", "Start the SNMP agent this many ms after the others.", "ms",
                                       "0");
    const QCommandLineOption telnetPort("telnet-port", "Telnet port.", "port", QString::number(id.telnetPort));
    const QCommandLineOption telnetPassword("telnet-password", "Configuration password of the telnet log-on.",
                                            "text", id.telnetPassword);
    const QCommandLineOption telnetHangUp("telnet-hangup-on", "Hang up when the telnet shell gets this command.",
                                          "command");
    const QCommandLineOption noTelnet("no-telnet", "Do not run the telnet service.");
    const QCommandLineOption httpPort("http-port", "HTTP port.", "port", QString::number(id.httpPort));
    const QCommandLineOption noHttp("no-http", "Do not run the web server.");
    const QCommandLineOption httpMute("http-mute", "The web server takes connections and never answers.");
    const QCommandLineOption syslogInterval("syslog-interval-ms", "Pace of the logging client's routine lines.",
                                            "ms", QString::number(id.syslogIntervalMs));
    parser.addOptions({address, vendor, model, serial, product, swVersion, swBuild, alias, community,
                       slpPort, snmpPort, mibDir, restartMs, delay, silent, broken, noSlp, noSnmp});
    parser.addOptions({telnetPort, telnetPassword, telnetHangUp, noTelnet});
    parser.addOptions({httpPort, noHttp, syslogInterval, snmpStart});
    parser.addOption(httpMute);
    const QCommandLineOption slpMtu("slp-mtu", "Cut SLP datagram replies to this size.", "bytes",
                                    QString::number(id.slpMtu));
    parser.addOption(slpMtu);
    const QCommandLineOption missing("missing", "MIB objects (comma-separated names) the agent does not have.",
                                     "names");
    parser.addOption(missing);
    const QCommandLineOption telnetSplit("telnet-split-prompt", "Send the shell prompt in a TCP segment of its own.");
    const QCommandLineOption telnetFlood("telnet-flood-bytes", "Answer \"ver\" with this many bytes more.", "bytes",
                                         "0");
    parser.addOptions({telnetSplit, telnetFlood});
    SlpFleet::addOptions(&parser);
    parser.process(app);

    id.address = QHostAddress(parser.value(address));
    id.vendor = parser.value(vendor);
    id.model = parser.value(model);
    id.serial = parser.value(serial);
    id.product = parser.value(product);
    id.swVersion = parser.value(swVersion);
    id.swBuild = parser.value(swBuild);
    id.alias = parser.value(alias);
    id.community = parser.value(community);
    id.slpPort = parser.value(slpPort).toUShort();
    id.snmpPort = parser.value(snmpPort).toUShort();
    id.mibDir = parser.value(mibDir);
    id.restartMs = parser.value(restartMs).toInt();
    id.delayMs = parser.value(delay).toInt();
    id.silent = parser.isSet(silent);
    id.broken = parser.isSet(broken);
    id.slpMtu = parser.value(slpMtu).toInt();
    id.missingObjects = parser.value(missing).split(QLatin1Char(','), Qt::SkipEmptyParts);
    id.telnetSplitPrompt = parser.isSet(telnetSplit);
    id.telnetFloodBytes = parser.value(telnetFlood).toInt();
    id.telnetPort = parser.value(telnetPort).toUShort();
    id.telnetPassword = parser.value(telnetPassword);
    id.telnetHangUpOn = parser.value(telnetHangUp);
    id.httpPort = parser.value(httpPort).toUShort();
    id.httpMute = parser.isSet(httpMute);
    id.syslogIntervalMs = parser.value(syslogInterval).toInt();
    SlpFleet fleet;
    fleet.configure(parser, &id);

    QTextStream err(stderr);
    if (id.address.isNull() || !id.address.isLoopback()) {
        err << "devsim: refusing to serve on a non-loopback address\n";
        return 2;
    }

    SlpAgent slp(id);
    SnmpAgent snmp(id);
    QString error;
    if (!parser.isSet(noSlp) && !slp.start(&error)) {
        err << "devsim: SLP: " << error << "\n";
        return 1;
    }
    if (!parser.isSet(noSlp) && !fleet.start(id, &error)) {
        err << "devsim: SLP: " << error << "\n";
        return 1;
    }
    // A device whose SNMP agent comes up late: ready is told before it listens.
    const int snmpStartMs = parser.value(snmpStart).toInt();
    if (!parser.isSet(noSnmp) && snmpStartMs > 0) {
        QTimer::singleShot(snmpStartMs, &app, [&snmp] {
            QString lateError;
            if (!snmp.start(&lateError)) {
                QTextStream(stderr) << "devsim: SNMP: " << lateError << "\n";
                ::_exit(1);
            }
            QTextStream(stdout) << "devsim SNMP ready\n" << Qt::flush;
        });
    } else if (!parser.isSet(noSnmp) && !snmp.start(&error)) {
        err << "devsim: SNMP: " << error << "\n";
        return 1;
    }

    // Tests of other protocols leave the telnet port alone: only a port asked
    // for must be had.
    TelnetAgent telnet(id);
    if (!parser.isSet(noTelnet) && !telnet.start(&error)) {
        err << "devsim: telnet: " << error << "\n";
        if (parser.isSet(telnetPort))
            return 1;
    }

    HttpAgent http(id);
    if (!parser.isSet(noHttp) && !http.start(&error)) {
        err << "devsim: HTTP: " << error << "\n";
        if (parser.isSet(httpPort))
            return 1;
    }

    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGUSR1, onSnmpSilence);
    std::signal(SIGUSR2, onSnmpSilence);
    QTextStream(stdout) << "devsim ready\n" << Qt::flush;
    return app.exec();
}
