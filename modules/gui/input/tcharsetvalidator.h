#pragma once

#include <QRegExp>
#include <QRegExpValidator>

class QKeyEvent;

// Limits a text field to one of the character sets that the on-screen
// keyboard can type. Modes: 1 radiotelex Latin, 2 Inmarsat-C 5-bit Latin,
// 4 7-bit ASCII, 8 any text, 16 digits, 32 digits and plus, 64 Inmarsat-C
// 7-bit Cyrillic, 128 Inmarsat-C 8-bit Cyrillic, 256 8-bit Cyrillic,
// 512 radiotelex Cyrillic.
class TCharSetValidator : public QRegExpValidator
{
    Q_OBJECT
public:
    TCharSetValidator(int mode, QObject *parent = nullptr);

    void setMode(int mode, const QString &extra);
    int mode() const { return m_mode; }
    void fixup(QString &input) const override;

    // Whether the key typed a basic Cyrillic letter other than the hard signs.
    static bool isCyrillicKey(QKeyEvent *event);

private:
    int m_mode = 0;
    QRegExp m_illegalCharacters;
};
