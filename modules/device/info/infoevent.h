#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QPointer>
#include <QString>

class InfoDevice;

// Key of the event table.
typedef qint32 InfoEventId_t;

// One application event, built from its id through the event table. A value
// type: copied freely and carried by queued signals (registered as the
// metatype "InfoEvent" by the event hub).
class InfoEvent
{
public:
    // On/off states given by the raiser.
    enum State { StateNone = 0, StateOn = 1, StateOff = 2 };
    // Flag bits of an event row.
    enum Flag { FlagLog = 1, FlagPopup = 2 };

    InfoEvent();
    // Builds the event of that id; an id missing from the table yields id -1,
    // severity 3, flags 1 and the title "Unknown event".
    InfoEvent(InfoEventId_t id, InfoDevice *source, const QString &extraText, int state);

    int getId() const { return m_id; }
    int getServiceType() const { return m_serviceType; }
    int getSeverity() const { return m_severity; }
    int getFlags() const { return m_flags; }
    QString getTitle() const { return m_title; }
    QString getMessage() const { return m_message; }
    // The message followed directly by the extra text.
    QString getDescription() const { return m_message + m_extraText; }
    int getSeverityId() const { return m_severityId; }
    QString getSeverityIcon() const { return m_severityIcon; }
    QString getSeverityName() const { return m_severityName; }
    int getState() const { return m_state; }
    // "NONE", "ON", "OFF"; "?" for any other state.
    QString getStateText() const;
    QString getExtraText() const { return m_extraText; }
    QDateTime getDateTime() const { return m_time; }
    InfoDevice *getSource() const;
    // The source's name, or empty when there is no (longer a) source.
    QString getSourceName() const;
    QString getSourceIconName(int size) const;
    QString getServiceIconName(int size) const;

    // Severity icon with "_50" (large) or "_35"; empty for a severity that is
    // not 6, 4 or 3.
    static QString getSeverityIconName(int severity, bool large);

private:
    int m_id = -1;
    int m_serviceType = 0;
    int m_severity = 3;
    int m_flags = 0;
    QString m_title;
    QString m_message;
    int m_severityId = 3;
    QString m_severityIcon;
    QString m_severityName;
    int m_state = 0;
    QString m_extraText;
    QDateTime m_time;
    QPointer<InfoDevice> m_source;
};

Q_DECLARE_METATYPE(InfoEvent)
