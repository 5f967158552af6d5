#include "tcharsetvalidator.h"

#include <QDebug>
#include <QKeyEvent>

TCharSetValidator::TCharSetValidator(int mode, QObject *parent)
    : QRegExpValidator(parent)
{
    setMode(mode, QString());
}

namespace {
// The extra characters stand for themselves inside the bracketed set.
QString escapedForSet(const QString &characters)
{
    QString escaped;
    for (const QChar c : characters) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(']') || c == QLatin1Char('[') || c == QLatin1Char('^')
            || c == QLatin1Char('-'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}
} // namespace

void TCharSetValidator::setMode(int mode, const QString &extraCharacters)
{
    m_mode = mode;
    const QString extra = escapedForSet(extraCharacters);
    QString pattern;
    switch (mode) {
    case 1:
        pattern = QStringLiteral("[a-zA-Z0-9\\s-?:()\\.,'=/+") + extra + QStringLiteral("]{0,}");
        break;
    case 2:
        pattern = QStringLiteral("[a-zA-Z\\d\\s-?$:@#%()+\\.,'/") + extra + QStringLiteral("]{0,}");
        break;
    case 4:
        pattern = QStringLiteral("[\\x0000-\\x007F") + extra + QStringLiteral("]{0,}");
        break;
    case 8:
        pattern = QStringLiteral(".*");
        break;
    case 16:
        pattern = QStringLiteral("[\\d") + extra + QStringLiteral("]{0,}");
        break;
    case 32:
        pattern = QStringLiteral("[\\d+") + extra + QStringLiteral("]{0,}");
        break;
    case 64:
        pattern = QStringLiteral("[\\x0000-\\x003F\\x0041-\\x005A\\x0060-\\x007F") + extra
                  + QStringLiteral("\\x0410-\\x044F]{0,}");
        break;
    case 128:
        pattern = QStringLiteral("[\\x0000-\\x007F\\x00A0\\x00A4\\x00B0\\x00B7\\x0401\\x0404\\x0407\\x040E"
                                 "\\x0410-\\x044F\\x0451\\x0454\\x0457\\x045E\\x2116\\x2219\\x221A\\x2500"
                                 "\\x2502\\x250C\\x2510\\x2514\\x2518\\x251C\\x2524\\x252C\\x2534\\x253C"
                                 "\\x2550-\\x256C\\x2580\\x2584\\x2588\\x258C\\x2590\\x2591\\x2592\\x2593"
                                 "\\x25A0")
                  + extra + QStringLiteral("]{0,}");
        break;
    case 256:
        pattern = QStringLiteral("[\\x0000-\\x007F\\x00A0\\x00A4\\x00A6\\x00A7\\x00A9\\x00AB-\\x00AE\\x00B0"
                                 "\\x00B1\\x00B5-\\x00B7\\x00BB\\x0401-\\x044F\\x0451-\\x045F\\x0490\\x0491"
                                 "\\x2013\\x2014\\x2018\\x2019\\x201A-\\x201E\\x2020-\\x2022\\x2026\\x2030"
                                 "\\x2039\\x203A\\x20AC\\x2116\\x2122")
                  + extra + QStringLiteral("]{0,}");
        break;
    case 512:
        pattern = QStringLiteral("[a-zA-Z0-9\\s-?:()\\.,'=/+") + extra
                  + QStringLiteral("\\x0410-\\x0429\\x042B-\\x0449\\x044B-\\x044F]{0,}");
        break;
    default:
        break;
    }
    setRegExp(QRegExp(pattern, Qt::CaseSensitive, QRegExp::RegExp));
    if (mode == 8 || pattern.isEmpty())
        m_illegalCharacters = QRegExp(QString(), Qt::CaseSensitive, QRegExp::RegExp);
    else
        m_illegalCharacters = QRegExp(pattern.insert(1, QLatin1Char('^')), Qt::CaseSensitive, QRegExp::RegExp);
}

void TCharSetValidator::fixup(QString &input) const
{
    static const int fixedModes[] = {1, 2, 4, 16, 32, 64, 128, 256, 512};
    if (std::find(std::begin(fixedModes), std::end(fixedModes), m_mode) == std::end(fixedModes))
        return;
    if (!regExp().exactMatch(input))
        input.remove(m_illegalCharacters);
}

bool TCharSetValidator::isCyrillicKey(QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    if (text.size() > 1) {
        qWarning() << "TCharSetValidator::isCyrillicKey: Unexpected keysize. Keysize=" << text.size() << ".";
        return false;
    }
    const ushort code = text.at(0).unicode();
    return code >= 0x0410 && code <= 0x044F && code != 0x042A && code != 0x044A;
}
