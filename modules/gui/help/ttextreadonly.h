#pragma once

#include <QTextEdit>

// A read-only text area for long texts that cannot be selected.
class TTextReadOnly : public QTextEdit
{
    Q_OBJECT
public:
    explicit TTextReadOnly(QWidget *parent = nullptr);
};
