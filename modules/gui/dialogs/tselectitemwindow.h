#pragma once

#include "tabstractsubwindow.h"

class TColumnsTouchList;
class TTouchListWidget;
class TWindowTopPanel;

// A sub-window that lets the user pick one row of a touch list; a click on
// a row reports its id and closes the window.
class TSelectItemWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    TSelectItemWindow(const QString &heading, const QString &iconName, TColumnsTouchList *list);

    TWindowTopPanel *topPanel() const { return m_topPanel; }
    TTouchListWidget *listWidget() const { return m_listWidget; }

signals:
    void selected(int itemId);

public slots:
    void handleItemClicked(int itemId);

private:
    TWindowTopPanel *m_topPanel;
    TTouchListWidget *m_listWidget;
};
