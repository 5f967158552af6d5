#include "handlerprobe.h"

#include "tlinksnmpif.h"

#include <QSignalSpy>

const QString HandlerProbe::Failed = QStringLiteral("<failed read>");

HandlerProbe::HandlerProbe()
    : m_handler(new TDeviceTestHandler)
{
}

void HandlerProbe::feed(const QMap<QString, QString> &values)
{
    // The engine does not know "probe": its own (failed) answers arrive queued,
    // after the count has reached 0 through the answers given here, and are ignored.
    const QString id = QStringLiteral("probe");
    m_handler->fetchSNMPValues(values.keys(), id, QStringLiteral("feed"));
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        snmp_get_value_t answer;
        answer.uniqueId = id;
        answer.mibObjectName = it.key();
        answer.ok = it.value() != Failed;
        answer.value = answer.ok ? it.value() : QString();
        emit TLinkSNMPIf::instance()->getValueDone(answer);
    }
}

HandlerOutcome HandlerProbe::run(const std::function<void(TDeviceTestHandler &)> &call)
{
    QSignalSpy result(m_handler.get(), &TDeviceTestHandler::result);
    QSignalSpy entries(m_handler.get(), &TDeviceTestHandler::logEntry);
    QSignalSpy ready(m_handler.get(), &TDeviceTestHandler::ready);
    call(*m_handler);
    HandlerOutcome outcome;
    outcome.resultCount = result.count();
    if (!result.isEmpty())
        outcome.rows = result.first().at(0).value<QList<QStringList>>();
    for (const QList<QVariant> &args : qAsConst(entries))
        outcome.entries.append(args.at(0).toStringList());
    for (const QList<QVariant> &args : qAsConst(ready))
        outcome.readyLabels.append(args.at(0).toString());
    return outcome;
}
