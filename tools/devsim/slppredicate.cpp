#include "slppredicate.h"

#include <QRegularExpression>

namespace {

// Whitespace folded and case ignored, as string attribute values compare.
QString folded(const QString &s)
{
    return s.simplified().toLower();
}

bool integer(const QString &s, qlonglong *v)
{
    bool ok = false;
    *v = s.trimmed().toLongLong(&ok);
    return ok;
}

int compareValues(const QString &a, const QString &b)
{
    qlonglong x, y;
    if (integer(a, &x) && integer(b, &y))
        return x < y ? -1 : x > y ? 1 : 0;
    return folded(a).compare(folded(b));
}

// The pieces of a pattern, with any text between each two, against `value`.
bool piecesMatch(const QStringList &parts, const QString &value)
{
    QString re;
    for (int i = 0; i < parts.size(); ++i) {
        if (i)
            re += QLatin1String(".*");
        re += QRegularExpression::escape(folded(parts[i]));
    }
    return QRegularExpression(QLatin1Char('^') + re + QLatin1Char('$'), QRegularExpression::DotMatchesEverythingOption)
        .match(folded(value))
        .hasMatch();
}

// `pattern` with "*" wildcards against `value`.
bool wildcardMatch(const QString &pattern, const QString &value)
{
    return piecesMatch(pattern.split(QLatin1Char('*')), value);
}

} // namespace

bool SlpPredicate::unescape(const QString &text, QString *out)
{
    out->clear();
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\')) {
            *out += text[i];
            continue;
        }
        bool ok = false;
        const int code = text.mid(i + 1, 2).toInt(&ok, 16);
        if (!ok || i + 2 >= text.size())
            return false;
        *out += QChar(code);
        i += 2;
    }
    return true;
}

SlpPredicate::Attributes SlpPredicate::attributes(const QString &list)
{
    Attributes out;
    int i = 0;
    while (i < list.size()) {
        if (list[i] == QLatin1Char(',')) {
            ++i;
            continue;
        }
        if (list[i] == QLatin1Char('(')) {
            const int close = list.indexOf(QLatin1Char(')'), i);
            if (close < 0)
                break;
            const QString item = list.mid(i + 1, close - i - 1);
            const int eq = item.indexOf(QLatin1Char('='));
            QString tag;
            unescape(item.left(eq < 0 ? item.size() : eq).trimmed(), &tag);
            QStringList values;
            if (eq >= 0) {
                for (const QString &v : item.mid(eq + 1).split(QLatin1Char(','))) {
                    QString plain;
                    unescape(v.trimmed(), &plain);
                    values << plain;
                }
            }
            out[tag.toLower()] = values;
            i = close + 1;
        } else {
            int end = list.indexOf(QLatin1Char(','), i);
            if (end < 0)
                end = list.size();
            QString keyword;
            unescape(list.mid(i, end - i).trimmed(), &keyword);
            out[keyword.toLower()] = QStringList();
            i = end;
        }
    }
    return out;
}

bool SlpPredicate::tagWanted(const QString &tag, const QStringList &wanted)
{
    if (wanted.isEmpty())
        return true;
    for (const QString &w : wanted)
        if (wildcardMatch(w, tag))
            return true;
    return false;
}

SlpPredicate::Result SlpPredicate::evaluate(const QString &filter, const Attributes &attributes)
{
    if (filter.trimmed().isEmpty())
        return Match;
    SlpPredicate p(filter, attributes);
    bool match = false;
    if (!p.filter(&match))
        return Invalid;
    p.skipSpace();
    if (p.m_pos != filter.size())
        return Invalid;
    return match ? Match : NoMatch;
}

void SlpPredicate::skipSpace()
{
    while (m_pos < m_f.size() && m_f[m_pos].isSpace())
        ++m_pos;
}

bool SlpPredicate::filter(bool *match)
{
    skipSpace();
    if (m_pos >= m_f.size() || m_f[m_pos] != QLatin1Char('(') || ++m_depth > 32)
        return false;
    ++m_pos;
    skipSpace();
    if (m_pos >= m_f.size())
        return false;
    const QChar op = m_f[m_pos];
    if (op == QLatin1Char('&') || op == QLatin1Char('|')) {
        ++m_pos;
        bool result = op == QLatin1Char('&');
        int count = 0;
        for (;;) {
            skipSpace();
            if (m_pos < m_f.size() && m_f[m_pos] == QLatin1Char(')'))
                break;
            bool sub = false;
            if (!filter(&sub))
                return false;
            result = op == QLatin1Char('&') ? (result && sub) : (result || sub);
            ++count;
        }
        if (count == 0)
            return false;
        *match = result;
    } else if (op == QLatin1Char('!')) {
        ++m_pos;
        bool sub = false;
        if (!filter(&sub))
            return false;
        *match = !sub;
        skipSpace();
    } else if (!item(match)) {
        return false;
    }
    if (m_pos >= m_f.size() || m_f[m_pos] != QLatin1Char(')'))
        return false;
    ++m_pos;
    --m_depth;
    return true;
}

bool SlpPredicate::item(bool *match)
{
    const int close = m_f.indexOf(QLatin1Char(')'), m_pos);
    if (close < 0)
        return false;
    const QString text = m_f.mid(m_pos, close - m_pos);
    m_pos = close;
    const int eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0 || text.contains(QLatin1Char('(')))
        return false;
    QChar kind = QLatin1Char('=');
    int tagEnd = eq;
    if (QStringLiteral("~<>").contains(text[eq - 1])) {
        kind = text[eq - 1];
        tagEnd = eq - 1;
    }
    QString tag;
    if (!unescape(text.left(tagEnd).trimmed(), &tag) || tag.isEmpty())
        return false;
    const QString rawValue = text.mid(eq + 1).trimmed();
    const auto it = m_attrs.constFind(tag.toLower());
    *match = false;
    if (kind == QLatin1Char('=') && rawValue == QLatin1String("*")) {
        *match = it != m_attrs.constEnd();
        return true;
    }
    QString value;
    if (kind == QLatin1Char('=')) {
        // Escapes are resolved piece by piece so that "\2a" stays a star.
        QStringList pieces;
        for (const QString &piece : rawValue.split(QLatin1Char('*'))) {
            QString plain;
            if (!unescape(piece, &plain))
                return false;
            pieces << plain;
        }
        if (it == m_attrs.constEnd())
            return true;
        for (const QString &v : it.value()) {
            if (pieces.size() == 1 ? compareValues(pieces[0], v) == 0 : piecesMatch(pieces, v))
                *match = true;
        }
        return true;
    }
    if (!unescape(rawValue, &value))
        return false;
    if (it == m_attrs.constEnd())
        return true;
    for (const QString &v : it.value()) {
        const int c = compareValues(v, value);
        if ((kind == QLatin1Char('~') && c == 0) || (kind == QLatin1Char('<') && c <= 0)
            || (kind == QLatin1Char('>') && c >= 0))
            *match = true;
    }
    return true;
}
