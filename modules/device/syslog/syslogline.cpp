#include "syslogline.h"

#include <QTextCodec>

namespace {

const char *const kSeverityNames[8] = {"EMERGENCY", "ALERT", "CRITICAL", "ERROR",
                                       "WARNING", "NOTICE", "INFO", "DEBUG"};

bool isAsciiDigits(const QStringRef &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

QString SyslogLine::withSeverityName(const QString &line)
{
    if (!line.startsWith(QLatin1Char('<')))
        return line;
    const int close = line.indexOf(QLatin1Char('>'));
    if (close < 2)
        return line;
    const QStringRef number = line.midRef(1, close - 1);
    bool ok = false;
    const uint priority = number.toUInt(&ok, 10);
    // A syslog priority has at most three digits and is at most 191
    // (facility 23, severity 7); anything else is text, not a priority.
    if (!ok || !isAsciiDigits(number) || number.size() > 3 || priority > 191)
        return line;
    return QLatin1Char('<') + QLatin1String(kSeverityNames[priority & 7]) + line.midRef(close);
}

QString SyslogLine::datagramText(const QByteArray &datagram)
{
    const int nul = datagram.indexOf('\0');
    const int length = nul < 0 ? datagram.size() : nul;
    static QTextCodec *const utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = utf8->toUnicode(datagram.constData(), length, &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return escapeControls(text);
    return escapeControls(QString::fromLatin1(datagram.constData(), length));
}

QString SyslogLine::escapeControls(const QString &text)
{
    auto isControl = [](ushort u) { return u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029; };
    bool any = false;
    for (const QChar c : text)
        any = any || isControl(c.unicode());
    if (!any)
        return text;
    QString out;
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (!isControl(u)) {
            out += c;
        } else if (u > 0xff) {
            // The Unicode line and paragraph separators.
            out += QStringLiteral("#u%1").arg(u, 4, 16, QLatin1Char('0'));
        } else {
            out += QLatin1Char('#') + QStringLiteral("%1").arg(u, 3, 8, QLatin1Char('0'));
        }
    }
    return out;
}

QString SyslogLine::sdParamValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char(']'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString SyslogLine::safeNamePart(const QString &part)
{
    QString out = part;
    for (QChar &c : out) {
        const ushort u = c.unicode();
        const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')
                           || u == '.' || u == '_' || u == '-';
        if (!plain)
            c = QLatin1Char('_');
    }
    if (out == QLatin1String(".") || out == QLatin1String(".."))
        out.fill(QLatin1Char('_'));
    return out;
}

QString SyslogLine::applicationLine(const AppEvent &event, const QString &host, const QDateTime &utc)
{
    // Put together piece by piece: a '%' in any of the texts stays as it is.
    // The stamp is written in UTC, whatever time spec the caller's value has.
    const QDateTime stamp = utc.toUTC();
    QString line;
    line += QLatin1Char('<') + QString::number(8 + event.severity) + QLatin1String(">1 ");
    line += stamp.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T')
            + stamp.toString(QStringLiteral("hh:mm:ss")) + QLatin1String("Z ");
    line += host + QLatin1String(" ZEL ") + QString::number(event.serviceType) + QLatin1Char(' ')
            + QString::number(event.id);
    line += QLatin1String(" [ZEL@32473 State=\"") + sdParamValue(event.stateText) + QLatin1String("\" Device=\"")
            + sdParamValue(event.deviceModel) + QLatin1String("\"] ");
    line += event.title + QLatin1String(": ") + event.description.simplified();
    return line;
}
