#pragma once

#include <QFrame>

class QVBoxLayout;
class TListItem;
class TListItemView;
class TListWidget;

// The details of one row of a row list: the row itself as a header on top,
// the concrete details below it. updateDetails() binds the header to an item
// and asks the concrete widget, through setDetails(), to fill itself.
class TAbstractListItemDetailWidget : public QFrame
{
    Q_OBJECT
public:
    explicit TAbstractListItemDetailWidget(TListWidget *pList, QWidget *parent = nullptr);

    TListItemView *rowWidget() const { return m_rowWidget; }

signals:
    void setDetails(TListItem *pListItem);

public slots:
    void updateDetails(TListItem *pListItem);

protected:
    // Below the header: where the concrete widget puts its content.
    QVBoxLayout *contentLayout() const { return m_layout; }

private:
    QVBoxLayout *m_layout;
    TListItemView *m_rowWidget;
};
