#include "deviceevents.h"

#include "infoevent.h"
#include "infomanager.h"

#include <QStringList>

DeviceEvents::DeviceEvents(QObject *parent)
    : QObject(parent)
{
    connect(InfoManager::instance(), &InfoManager::logEvent, this, &DeviceEvents::take);
}

int DeviceEvents::count(int id, const InfoDevice *source) const
{
    return texts(id, source).size();
}

QStringList DeviceEvents::texts(int id, const InfoDevice *source) const
{
    QStringList out;
    for (const Entry &entry : m_entries) {
        if (entry.id == id && entry.source == source)
            out << entry.text;
    }
    return out;
}

int DeviceEvents::count(int id) const
{
    int n = 0;
    for (const Entry &entry : m_entries)
        n += entry.id == id ? 1 : 0;
    return n;
}

void DeviceEvents::take(const InfoEvent &event)
{
    m_entries.append({event.getId(), event.getSource(), event.getExtraText()});
}
