#pragma once

#include <QIntValidator>

// Unsigned decimal numbers in a range. A number above the top that cannot
// become valid by typing more digits is refused outright.
class TUintValidator : public QIntValidator
{
    Q_OBJECT
public:
    TUintValidator(int bottom, int top, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
};
