// Syslog files of any content read back from disk for a live log window: the
// current file and the full one before it, and the settings naming them.
// Input: first byte the number of lines asked for, second the current file's
// number, then the current file's bytes, a 0x00 byte and the previous file's.
#include "fuzzapp.h"
#include "tlinksyslogfile.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzapp::app();
    static TLinkSyslogFile *const worker = [] {
        QSettings settings;
        settings.setValue(QStringLiteral("syslog_server/destination_path"), fuzzapp::scratch().filePath("syslog"));
        settings.setValue(QStringLiteral("syslog_server/max_size"), 64);
        settings.setValue(QStringLiteral("syslog_server/max_file_number"), 3);
        return new TLinkSyslogFile;
    }();
    static const QString folder = fuzzapp::scratch().filePath(QStringLiteral("syslog/syslog_a_b"));
    if (size < 2)
        return 0;
    const int wanted = data[0];
    const int current = data[1] % 5; // 0 and 4 are outside the ring of three
    const QByteArray rest(reinterpret_cast<const char *>(data + 2), int(size - 2));
    const int split = rest.indexOf('\0');
    const QByteArray currentBytes = split < 0 ? rest : rest.left(split);
    const QByteArray previousBytes = split < 0 ? QByteArray() : rest.mid(split + 1);

    QDir().mkpath(folder);
    // Settings are written to disk at each change: only when it changes.
    static int stored = -1;
    if (current != stored) {
        QSettings().setValue(QStringLiteral("syslog_server/file_number/syslog_a_b"), current);
        stored = current;
    }
    const int previous = current <= 1 ? 3 : current - 1;
    for (const auto &file : {qMakePair(current, currentBytes), qMakePair(previous, previousBytes)}) {
        QFile f(QStringLiteral("%1/%2.txt").arg(folder).arg(file.first, 3, 10, QLatin1Char('0')));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(file.second);
    }

    QString text;
    int answers = 0;
    const QMetaObject::Connection c = QObject::connect(worker, &TLinkSyslogFile::readSyslogFileDone,
                                                       [&](const QString &, const QString &content) {
                                                           text = content;
                                                           ++answers;
                                                       });
    worker->readSyslogFile(QStringLiteral("id"), QStringLiteral("syslog_a_b"), wanted);
    QObject::disconnect(c);
    // One answer, never more lines than asked for (and the marker line).
    if (answers != 1 || (!text.isEmpty() && text.count(QLatin1Char('\n')) + 1 > wanted + 1))
        std::abort();
    return 0;
}
