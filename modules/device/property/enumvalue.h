#pragma once
// EnumValue: one named number of an enumeration property.

#include <QObject>
#include <QString>

class EnumValue : public QObject
{
public:
    EnumValue(int number, const QString &text, QObject *parent = nullptr);

    int getNumber() const { return m_number; }
    QString getText() const { return m_text; }

private:
    int m_number;
    QString m_text;
};
