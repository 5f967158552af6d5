#pragma once

#include "infoevent.h"

#include <QObject>
#include <QString>

class InfoDevice;

// The process-wide event hub. Objects of the device layer raise events by id
// (through InfoDevice::postEvent); the hub builds the InfoEvent and, by the
// event's flags, logs it and hands it to the syslog layer (flag 1) and emits
// it as a pop-up (flag 2).
//
// Events may be raised from any thread: the signals carry InfoEvent by value
// (a registered metatype), so receivers living on the GUI thread get them
// through queued connections.
class InfoManager : public QObject
{
    Q_OBJECT
public:
    // The one hub, created on first use and never deleted. The instance is
    // stored before the hub sets up anything that may call back into it, so
    // such calls get this same hub.
    static InfoManager *instance();

    void raiseEvent(InfoEventId_t id, InfoDevice *source, const QString &extraText, int state);

    // Source host of the application's own events in the syslog layer.
    static QString localUrl() { return QStringLiteral("127.0.0.0"); }
    // Version text "1.0741" and second name part "2017-04-261.0741" under
    // which the application is registered as a syslog source named "ZEL".
    static QString versionText();
    static QString buildText();

    // The hub makes the syslog layer at its first creation through a starter
    // that the syslog layer registers before main runs (tlinksyslogif.cpp):
    // it registers the application as a source, takes the hub's syslog
    // events and starts up. This library stays below the syslog library; in
    // a program that never uses the syslog front object the hub has no
    // syslog layer.
    using SyslogStarter = void (*)(InfoManager *hub);
    static void setSyslogStarter(SyslogStarter starter);

signals:
    void logEvent(const InfoEvent &event);
    void popupEvent(const InfoEvent &event);
    void syslogEvent(const QString &url, const InfoEvent &infoEvent);

private:
    InfoManager();
    // Runs once, right after the instance is stored.
    void initialise();
};
