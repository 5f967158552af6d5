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
    // Takes the focus from the view while the scroll area is still whole: the
    // view's focus-out updates the scroll bars.
    ~TTouchListWidget() override;

    void setList(TAbstractTouchList *list);
    TTouchListView *view() const { return m_view; }

private:
    TTouchListView *m_view;
};
