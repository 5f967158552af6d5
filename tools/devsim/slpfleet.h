#pragma once
// More devices in one process, for tests of large networks: SLP agents only,
// at the addresses after the device's own (127.0.0.3, ..., 127.0.1.1, ...),
// each with the device's identity and a serial number counted on from its
// own. Also the SLP-only answer delay of every agent.

#include "deviceidentity.h"

#include <QList>
#include <QString>

#include <memory>

class QCommandLineParser;
class SlpAgent;

class SlpFleet
{
public:
    SlpFleet();
    ~SlpFleet();

    static void addOptions(QCommandLineParser *parser);
    // Reads the options into the device's own identity (its SLP delay) and
    // notes how many more agents to play.
    void configure(const QCommandLineParser &parser, DeviceIdentity *device);
    // Starts the further agents; false with a reason when one cannot serve.
    bool start(const DeviceIdentity &device, QString *error);

    static QHostAddress nextAddress(const QHostAddress &address);
    static QString nextSerial(const QString &serial, int step);

private:
    int m_more = 0;
    QList<std::shared_ptr<DeviceIdentity>> m_identities;
    QList<std::shared_ptr<SlpAgent>> m_agents;
};
