#pragma once
// A sub-window that shows a touch list and reports the row the user chose.

#include "tabstractsubwindow.h"

class TAbstractTouchList;
class TTouchListWidget;

class ZelSelectItemWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    // The window takes ownership of the list.
    ZelSelectItemWindow(const QString &heading, const QString &iconName, TAbstractTouchList *list);

    TAbstractTouchList *list() const { return touchList; }

signals:
    void selected(int itemId);

private slots:
    void handleItemClicked(int itemId);

private:
    TAbstractTouchList *touchList;
    TTouchListWidget *listWidget;
};
