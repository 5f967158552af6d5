#pragma once
// Records the application events the event hub logs: id, extra text and
// on/off state, in order.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class InfoEvent;

struct LoggedEvent
{
    int id;
    QString text;
    int state;
};

class EventLog : public QObject
{
    Q_OBJECT
public:
    explicit EventLog(QObject *parent = nullptr);

    QList<LoggedEvent> events() const { return m_events; }
    QList<int> ids() const;
    int count(int id) const;
    // The extra texts of the events with that id, in order.
    QStringList texts(int id) const;
    void clear() { m_events.clear(); }

private:
    void take(const InfoEvent &event);

    QList<LoggedEvent> m_events;
};
