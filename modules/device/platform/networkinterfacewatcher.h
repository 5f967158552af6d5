#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when the network interfaces or their addresses change, so that what
// was looked up in them can be kept until then. Listens to the kernel's
// routing messages (netlink); where they can't be had, every look counts as
// a change. Lives on the thread that first asks for it (the GUI thread).
class NetworkInterfaceWatcher : public QObject
{
    Q_OBJECT
public:
    static NetworkInterfaceWatcher *instance();
    ~NetworkInterfaceWatcher() override;

    // Grows with every change of the interfaces; a value seen once stays
    // current until the next change.
    quint64 generation();

signals:
    void changed();

private:
    NetworkInterfaceWatcher();
    void drain();

    int m_socket = -1;
    QSocketNotifier *m_notifier = nullptr;
    quint64 m_generation = 1;
};
