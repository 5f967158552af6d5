#include "eventlog.h"

#include "infoevent.h"
#include "infomanager.h"

EventLog::EventLog(QObject *parent)
    : QObject(parent)
{
    connect(InfoManager::instance(), &InfoManager::logEvent, this, &EventLog::take);
}

QList<int> EventLog::ids() const
{
    QList<int> result;
    for (const LoggedEvent &event : m_events)
        result.append(event.id);
    return result;
}

int EventLog::count(int id) const
{
    return int(ids().count(id));
}

QStringList EventLog::texts(int id) const
{
    QStringList result;
    for (const LoggedEvent &event : m_events)
        if (event.id == id)
            result << event.text;
    return result;
}

void EventLog::take(const InfoEvent &event)
{
    m_events.append({event.getId(), event.getExtraText(), event.getState()});
}
