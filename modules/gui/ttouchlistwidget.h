#pragma once

#include <QAbstractScrollArea>

class TAbstractTouchList;
class TTouchListView;

// Frameless scroll area that shows one touch list through its view.
class TTouchListWidget : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TTouchListWidget(QWidget *parent = nullptr);

    void setList(TAbstractTouchList *list);
    TTouchListView *view() const { return m_view; }

private:
    TTouchListView *m_view;
};
