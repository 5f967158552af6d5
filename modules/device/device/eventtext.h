#pragma once
// The extra text of an event follows the event's message, after a blank.

#include <QLatin1Char>
#include <QString>

inline QString eventExtraText(const QString &text)
{
    if (text.isEmpty() || text.at(0).isSpace())
        return text;
    return QLatin1Char(' ') + text;
}
