// Fuzzes the handling of received syslog datagrams: the text taken from the
// bytes, the severity name, and folder names made from announced texts.
#include "syslogline.h"
#include "tlinksyslogfile.h"

#include <QByteArray>
#include <QString>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString text = SyslogLine::datagramText(bytes);
    // One datagram is one line: no line break or other control character.
    for (const QChar c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
            std::abort();
    const QString named = SyslogLine::withSeverityName(text);
    // Only the priority in front may change.
    if (named != text && !(named.startsWith('<') && text.startsWith('<')))
        std::abort();
    if (text.indexOf('>') >= 0 && named.mid(named.indexOf('>')) != text.mid(text.indexOf('>')))
        std::abort();

    const QString folder = QStringLiteral("syslog_") + SyslogLine::safeNamePart(text) + '_'
                           + SyslogLine::safeNamePart(QString::fromLatin1(bytes));
    if (!TLinkSyslogFile::isSafeFolderName(folder) || folder.contains('/'))
        std::abort();
    const QString part = SyslogLine::safeNamePart(text);
    if (part == "." || part == "..")
        std::abort();

    const QString escaped = SyslogLine::sdParamValue(text);
    for (int i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if (c == '\\') {
            ++i; // the escaped character
            continue;
        }
        if (c == '"' || c == ']')
            std::abort();
    }
    return 0;
}
