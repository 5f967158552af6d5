#pragma once
// Records the events the event hub logs, with their source, so a test can
// ask which device raised which event.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class InfoDevice;
class InfoEvent;

class DeviceEvents : public QObject
{
    Q_OBJECT
public:
    struct Entry
    {
        int id;
        const InfoDevice *source;
        QString text;
    };

    explicit DeviceEvents(QObject *parent = nullptr);

    // How many events of that id the source raised.
    int count(int id, const InfoDevice *source) const;
    // The extra texts of the events of that id from that source, in order.
    QStringList texts(int id, const InfoDevice *source) const;
    // Events of that id from any source.
    int count(int id) const;
    void clear() { m_entries.clear(); }

private:
    void take(const InfoEvent &event);

    QList<Entry> m_entries;
};
