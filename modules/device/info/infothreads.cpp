#include "infothreads.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutex>
#include <QPointer>
#include <QThread>
#include <QVector>

namespace {

QMutex threadsLock;
QVector<QPointer<QThread>> threads;
bool routineAdded = false;

constexpr unsigned long waitMs = 5000;

} // namespace

void InfoThreads::stopAtExit(QThread *thread)
{
    QMutexLocker lock(&threadsLock);
    threads.append(thread);
    if (!routineAdded) {
        routineAdded = true;
        qAddPostRoutine(&InfoThreads::stopAll);
    }
}

void InfoThreads::stopAll()
{
    QVector<QPointer<QThread>> running;
    {
        QMutexLocker lock(&threadsLock);
        running.swap(threads);
        routineAdded = false;
    }
    for (const QPointer<QThread> &thread : qAsConst(running)) {
        if (thread) {
            thread->requestInterruption();
            thread->quit();
        }
    }
    for (const QPointer<QThread> &thread : qAsConst(running)) {
        if (thread && thread != QThread::currentThread() && !thread->wait(waitMs))
            qWarning() << "InfoThreads::stopAll: thread" << thread->objectName() << "did not end in time";
    }
}

void InfoThreads::dispose(QObject *worker)
{
    if (!worker)
        return;
    QThread *thread = worker->thread();
    if (thread == QThread::currentThread()) {
        delete worker;
        return;
    }
    thread->requestInterruption();
    thread->quit();
    if (!thread->wait(waitMs)) {
        qWarning() << "InfoThreads::dispose: thread" << thread->objectName() << "did not end in time";
        return;
    }
    delete worker;
    delete thread;
}
