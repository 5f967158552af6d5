#include "slpfleet.h"
#include "slpagent.h"

#include <QCommandLineParser>

namespace {
const QCommandLineOption SlpDelay("slp-delay-ms", "Answer SLP requests this many ms late.", "ms", "0");
const QCommandLineOption SlpAgents("slp-agents",
                                   "Play this many SLP agents: the device and more at the addresses after it.",
                                   "count", "1");
} // namespace

SlpFleet::SlpFleet() = default;
SlpFleet::~SlpFleet() = default;

void SlpFleet::addOptions(QCommandLineParser *parser)
{
    parser->addOptions({SlpDelay, SlpAgents});
}

void SlpFleet::configure(const QCommandLineParser &parser, DeviceIdentity *device)
{
    device->slpDelayMs = qMax(0, parser.value(SlpDelay).toInt());
    m_more = qBound(0, parser.value(SlpAgents).toInt() - 1, 2000);
}

QHostAddress SlpFleet::nextAddress(const QHostAddress &address)
{
    // Host parts 0 and 255 are left out.
    quint32 a = address.toIPv4Address();
    do
        ++a;
    while ((a & 0xff) == 0 || (a & 0xff) == 0xff);
    return QHostAddress(a);
}

QString SlpFleet::nextSerial(const QString &serial, int step)
{
    bool number = false;
    const qulonglong n = serial.toULongLong(&number);
    return number ? QString::number(n + qulonglong(step)) : serial + QLatin1Char('-') + QString::number(step);
}

bool SlpFleet::start(const DeviceIdentity &device, QString *error)
{
    QHostAddress address = device.address;
    for (int i = 1; i <= m_more; ++i) {
        address = nextAddress(address);
        if (!address.isLoopback()) {
            *error = QStringLiteral("agent %1 would leave the loopback network").arg(i);
            return false;
        }
        auto identity = std::make_shared<DeviceIdentity>(device);
        identity->address = address;
        identity->serial = nextSerial(device.serial, i);
        auto agent = std::make_shared<SlpAgent>(*identity);
        QString why;
        if (!agent->start(&why)) {
            *error = QStringLiteral("agent at %1: %2").arg(address.toString(), why);
            return false;
        }
        m_identities << identity;
        m_agents << agent;
    }
    return true;
}
