#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

// The state of one service of a device (software update, live logging,
// reboot, ...): a state id from the service-state table with its title and
// long text, plus a value and a text given by the caller.
//
// A new state stays on show for at least 1000 ms: a change that comes sooner
// is held and applied when the time is up; further changes while one is held
// replace the held one.
class InfoService : public QObject
{
    Q_OBJECT
public:
    // Minimum time a state is shown before the next one replaces it.
    static constexpr int MinimumDisplayMs = 1000;

    InfoService(QObject *parent, int serviceType, int initialState);

    // Applies a state, a value and a text (held while the current state is
    // younger than MinimumDisplayMs). A state id missing from the table
    // leaves the state as it is; value and text are still taken.
    void setState(int state, int value, const QString &text);

    int getServiceType() const { return m_serviceType; }
    QString getName() const { return m_name; }
    QString getIcon() const { return m_icon; }
    int getState() const { return m_stateId; }
    // Kind of the current state: 1 usable, 2 an operation runs, 4 switched
    // on (5 = usable and on), 0 not available.
    int getFlags() const { return m_stateKind; }
    QString getTitle() const { return m_title; }
    QString getLongText() const { return m_longText; }
    QString getText() const { return m_text; }
    int getValue() const { return m_value; }
    bool isHeld() const { return m_held; }

    // The title, followed by a blank, the value and "%" while the value is a
    // percentage (0..100).
    QString getStateText() const;
    // The long text followed directly by the caller's text.
    QString getDescription() const;
    // The service icon with the size suffix and, when withState is set and the
    // state is switched on, "_active".
    QString getIconName(int size, bool withState) const;

    // Translated name of a service type; empty when unknown.
    static QString getServiceName(int serviceType);
    // Icon of a service type with the size suffix; empty when unknown or
    // when the type has no icon.
    static QString getServiceIconName(int serviceType, int size);
    // Size suffix "_21" (0), "_30" (1), "_40" (2), "_button_120x86" (4),
    // "_50" (other), then "_active" when flags holds 4; empty stays empty.
    static QString iconNameForSize(const QString &icon, int size, int flags);

    // Table look-ups; false when the id is not in the table.
    static bool lookupState(int state, int *kind, QString *title, QString *longText);
    static bool lookupServiceType(int serviceType, QString *name, QString *icon);

signals:
    void stateUpdated();

public slots:
    void handleStoredNewState();

private:
    int m_serviceType = 0;
    QString m_name;
    QString m_icon;
    int m_stateId = -3;
    int m_stateKind = 0;
    QString m_title;
    QString m_longText;
    QString m_text;
    int m_value = -1;
    bool m_held = false;
    int m_heldState = 0;
    QString m_heldText;
    int m_heldValue = -1;
    QElapsedTimer m_lastChange;
};
