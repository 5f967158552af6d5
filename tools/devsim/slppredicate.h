#pragma once
#include <QMap>
#include <QString>
#include <QStringList>

// The search filters of service requests (LDAPv3 filters as RFC 2608 uses
// them) evaluated against one service's attributes, and the attribute lists
// they are evaluated against.
class SlpPredicate
{
public:
    enum Result { Match, NoMatch, Invalid };

    // Attribute tag (lower case) to its values, escapes resolved; a keyword
    // attribute has no values.
    using Attributes = QMap<QString, QStringList>;

    // An empty filter matches every service.
    static Result evaluate(const QString &filter, const Attributes &attributes);

    // Reads "(tag=v1,v2),keyword,(tag2=v)".
    static Attributes attributes(const QString &list);

    // Resolves "\XX" escapes; false when one is malformed.
    static bool unescape(const QString &text, QString *out);

    // True when `tag` matches one of the tags of a tag list ("*" wildcards,
    // case-insensitive); an empty list matches every tag.
    static bool tagWanted(const QString &tag, const QStringList &wanted);

private:
    explicit SlpPredicate(const QString &filter, const Attributes &attributes)
        : m_f(filter), m_attrs(attributes) {}
    bool filter(bool *match);
    bool item(bool *match);
    void skipSpace();

    const QString &m_f;
    const Attributes &m_attrs;
    int m_pos = 0;
    int m_depth = 0;
};
