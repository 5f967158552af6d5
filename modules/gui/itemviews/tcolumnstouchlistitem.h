#pragma once

#include "tabstracttouchlistitem.h"

#include <QStringList>

class TColumnsTouchList;

// A 58 px row of a column touch list, drawn as a push button with up to three texts.
class TColumnsTouchListItem : public TAbstractTouchListItem
{
    Q_OBJECT
public:
    TColumnsTouchListItem(TColumnsTouchList *list, int id, const QString &text1, const QString &text2 = QString(),
                          const QString &text3 = QString());

    int height() override { return 58; }
    void paint(TTouchListPaintContext *context, const QRect &rowRect, const QPalette &palette) override;

    const QStringList &texts() const { return m_texts; }

private:
    TColumnsTouchList *m_columnsList;
    QStringList m_texts;
};
