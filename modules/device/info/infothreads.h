#pragma once

class QObject;
class QThread;

// Worker threads of the process-wide objects (SNMP, syslog, discovery, TFTP,
// upload) live as long as the process. They are ended when the application
// object goes away, so that none of them still runs while the process tears
// down its globals.
namespace InfoThreads {

// Quits `thread`'s event loop and waits for it (a few seconds at most) when
// the application object is destroyed. A thread deleted before then is
// skipped.
void stopAtExit(QThread *thread);

// Does the same at once for every registered thread; run by the application
// object's destructor.
void stopAll();

// Ends the thread `worker` was moved to and deletes the worker, then the
// thread. A worker on the calling thread is deleted at once. A thread that
// does not end in time is left running, with its worker, rather than deleted
// under it.
void dispose(QObject *worker);

} // namespace InfoThreads
