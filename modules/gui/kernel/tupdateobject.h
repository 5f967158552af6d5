#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

// A signal-to-slot connection that exists only between start() and stop().
// The receiver is its parent, so it dies with the receiver.
class TUpdateObject : public QObject
{
    Q_OBJECT
public:
    // signal and slot as made by SIGNAL() and SLOT().
    TUpdateObject(QObject *sender, const char *signal, QObject *receiver, const char *slot);

    bool isRunning() const { return m_running; }

signals:
    void stateChanged(bool updating);

public slots:
    void start();
    void stop();

private:
    QPointer<QObject> m_sender;
    QByteArray m_signal;
    QObject *m_receiver;
    QByteArray m_slot;
    bool m_running = false;
};
