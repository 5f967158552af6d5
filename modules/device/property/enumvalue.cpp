#include "enumvalue.h"

EnumValue::EnumValue(int number, const QString &text, QObject *parent)
    : QObject(parent)
    , m_number(number)
    , m_text(text)
{
}
