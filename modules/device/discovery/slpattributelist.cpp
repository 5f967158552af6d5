#include "slpattributelist.h"

#include <QByteArray>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QString SlpAttributeList::unescape(const QString &text)
{
    if (!text.contains(QLatin1Char('\\')))
        return text;
    const QByteArray in = text.toUtf8();
    QByteArray out;
    out.reserve(in.size());
    int i = 0;
    // An opaque value: its bytes follow the marker.
    if (in.size() >= 3 && in.at(0) == '\\' && hexDigit(in.at(1)) == 15 && hexDigit(in.at(2)) == 15)
        i = 3;
    while (i < in.size()) {
        const char c = in.at(i);
        if (c == '\\' && i + 2 < in.size() && hexDigit(in.at(i + 1)) >= 0 && hexDigit(in.at(i + 2)) >= 0) {
            out.append(char(hexDigit(in.at(i + 1)) << 4 | hexDigit(in.at(i + 2))));
            i += 3;
        } else {
            out.append(c);
            ++i;
        }
    }
    return QString::fromUtf8(out);
}

SlpAttributeList::Attribute SlpAttributeList::attribute(const QString &text)
{
    Attribute result;
    const int equals = text.indexOf(QLatin1Char('='));
    result.tag = unescape(text.left(equals).trimmed());
    if (equals < 0)
        return result;
    // Reserved characters inside a value are escaped: a plain "," parts the
    // values of a multi-valued attribute, a plain "=" is taken as it is.
    const QStringList values = text.mid(equals + 1).split(QLatin1Char(','));
    for (const QString &value : values) {
        const QString trimmed = value.trimmed();
        // An empty value of a list ("a,,b", or the "," an unclosed
        // attribute ends with) is none.
        if (!trimmed.isEmpty() || values.size() == 1)
            result.values << unescape(trimmed);
    }
    return result;
}

QList<SlpAttributeList::Attribute> SlpAttributeList::parse(const QString &list)
{
    QList<Attribute> attributes;
    const int size = list.size();
    int i = 0;
    while (i < size) {
        const QChar c = list.at(i);
        if (c == QLatin1Char(',') || c == QLatin1Char(')') || c.isSpace()) {
            ++i;
            continue;
        }
        int end;
        QString text;
        if (c == QLatin1Char('(')) {
            // Up to the closing parenthesis. A parenthesis inside a value
            // should be escaped; one that is not is kept as text, with its
            // closing partner ("Unit (A)"), except that an opening one right
            // after a "," starts the next attribute: this one was left open.
            while (i < size && list.at(i) == QLatin1Char('('))
                ++i;
            end = i;
            int depth = 0;
            for (; end < size; ++end) {
                const QChar ch = list.at(end);
                if (ch == QLatin1Char(')')) {
                    if (depth == 0)
                        break;
                    --depth;
                } else if (ch == QLatin1Char('(')) {
                    int before = end - 1;
                    while (before >= i && list.at(before).isSpace())
                        --before;
                    if (before < i || list.at(before) == QLatin1Char(','))
                        break;
                    ++depth;
                }
            }
            text = list.mid(i, end - i);
            i = end < size && list.at(end) == QLatin1Char(')') ? end + 1 : end;
        } else {
            // A keyword, or a "tag=value" that lacks its parentheses.
            end = i;
            while (end < size && list.at(end) != QLatin1Char(',') && list.at(end) != QLatin1Char('(')
                   && list.at(end) != QLatin1Char(')'))
                ++end;
            text = list.mid(i, end - i);
            i = end;
        }
        Attribute attribute = SlpAttributeList::attribute(text);
        if (!attribute.tag.isEmpty())
            attributes << attribute;
    }
    return attributes;
}
