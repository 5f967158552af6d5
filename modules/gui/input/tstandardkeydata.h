#pragma once

#include "tbasekeydata.h"

// A character or editing key: its events carry a text.
class TStandardKeyData : public TBaseKeyData
{
public:
    // An empty name shows the text as the label.
    TStandardKeyData(const int &key, const QString &text, const QString &name = QString(),
                     const QString &iconName = QString(), bool autoRepeat = false);

    QKeyEvent *createKeyEvent(Qt::KeyboardModifiers modifiers) override;
    QString text() const { return m_text; }

private:
    QString m_text;
};
