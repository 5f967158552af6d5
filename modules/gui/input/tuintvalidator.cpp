#include "tuintvalidator.h"

#include <QRegExp>

TUintValidator::TUintValidator(int bottom, int top, QObject *parent)
    : QIntValidator(bottom, top, parent)
{
}

QValidator::State TUintValidator::validate(QString &input, int &pos) const
{
    static const QRegExp digits(QStringLiteral("[\\d]{0,}"), Qt::CaseSensitive, QRegExp::RegExp);
    if (!digits.exactMatch(input)) {
        pos = input.size();
        return Invalid;
    }
    const State state = QIntValidator::validate(input, pos);
    if (state != Intermediate || input.isEmpty())
        return state;
    // Qt 5 lets a number above the top pass as intermediate while it has no
    // more digits than the top; typing on can only make it larger, so refuse it.
    bool ok = false;
    const qlonglong entered = input.toLongLong(&ok);
    if (ok && entered > top() && -entered < bottom())
        return Invalid;
    return state;
}
