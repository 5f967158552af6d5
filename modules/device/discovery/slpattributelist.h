#pragma once
// Reads an SLP attribute list ("(tag=value),(tag=v1,v2),keyword") as a
// device sends it: tags and values with the white space around them
// trimmed and their escapes ("\2c" for ",", "\28" for "(" ...) decoded.
// Devices do not always keep to the syntax: an unclosed or stray
// parenthesis, an unescaped one inside a value ("(tag=Unit (A))" gives
// "Unit (A)") and a "tag=value" outside parentheses are read as far as
// they make sense, never refused.

#include <QList>
#include <QString>
#include <QStringList>

class SlpAttributeList
{
public:
    struct Attribute
    {
        QString tag;       // as sent, trimmed and decoded; compare without regard to case
        QStringList values; // decoded; empty for a keyword
    };

    static QList<Attribute> parse(const QString &list);
    // Decodes the escapes of one tag or value; a backslash that starts no
    // escape stays as it is. An opaque value ("\FF" followed by escaped
    // bytes) yields its bytes read as UTF-8.
    static QString unescape(const QString &text);

private:
    static Attribute attribute(const QString &text);
};
