// The receiver's handling of datagrams: several datagrams from registered
// and unknown senders handed to the front object, stored, shown and
// forwarded.
// Input: datagrams separated by 0xff bytes; the first byte of each picks the
// sender.
#include "fuzzapp.h"
#include "infothreads.h"
#include "tlinksyslogif.h"

#include <QSettings>
#include <QUdpSocket>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzapp::app();
    static TLinkSyslogIf *const front = [] {
        QSettings settings;
        settings.setValue(QStringLiteral("syslog_server/destination_path"), fuzzapp::scratch().filePath("syslog"));
        settings.setValue(QStringLiteral("syslog_server/max_size"), 4096);
        settings.setValue(QStringLiteral("syslog_server/max_file_number"), 2);
        // Nothing is sent to the receiver's port; forwarding goes to a sink
        // on loopback. Run in a network namespace of its own (fuzz/run.sh).
        QUdpSocket probe;
        probe.bind(QHostAddress(QHostAddress::LocalHost), 0);
        settings.setValue(QStringLiteral("syslog_server/portnumber"), probe.localPort());
        auto *f = new TLinkSyslogIf;
        f->addDevice(QStringLiteral("one"), QStringLiteral("705"), QStringLiteral("1"), QStringLiteral("127.0.0.2"));
        f->addDevice(QStringLiteral("two"), QStringLiteral("705"), QStringLiteral("2"), QStringLiteral("127.0.0.3"));
        static QUdpSocket sink;
        sink.bind(QHostAddress(QHostAddress::LocalHost), 0);
        f->setExternalSyslog(true, QStringLiteral("127.0.0.1"), sink.localPort());
        // The application object is never deleted here, so its end does not
        // stop the workers: they are stopped before the process's static
        // data goes, or a write still under way meets Qt's freed globals.
        std::atexit(&InfoThreads::stopAll);
        return f;
    }();
    static const QStringList senders{QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.3"),
                                     QStringLiteral("127.0.0.4")};
    SyslogDatagrams datagrams;
    const QByteArray all(reinterpret_cast<const char *>(data), int(size));
    for (const QByteArray &part : all.split('\xff')) {
        if (part.isEmpty())
            continue;
        datagrams.append(SyslogDatagram{senders.at(quint8(part[0]) % 3), part.mid(1)});
    }
    front->datagramsReceivedHandler(datagrams);
    // Let the file and forward workers take their share.
    QCoreApplication::processEvents();
    return 0;
}
