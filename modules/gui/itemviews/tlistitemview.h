#pragma once

#include <QPointer>
#include <QRect>
#include <QVector>
#include <QWidget>

class TListItem;
class TListWidget;

// One row widget of a row list: draws its item column by column over a push
// button background and turns presses and keys into clicks or check toggles.
class TListItemView : public QWidget
{
    Q_OBJECT
public:
    TListItemView(TListWidget *pList, TListItem *pItem, bool alternate);
    // A row widget outside the list's row area (the header of item details).
    TListItemView(TListWidget *pList, TListItem *pItem, bool alternate, QWidget *parent);

    void setItem(TListItem *pItem);
    TListItem *item() const { return m_item; }
    QVector<QRect> columnRects() const;
    int pressState() const { return m_pressState; }
    bool isAlternate() const { return m_alternate; }
    bool hasDetailFlag() const { return m_detail; }
    void setDetailFlag(bool detail);
    QList<QWidget *> &hostedWidgets() { return m_hostedWidgets; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool active() const;
    void setPressState(int state);

    bool m_alternate;
    int m_pressState = 0;
    QRect m_hitRect;
    bool m_detail = false;
    TListWidget *m_list;
    QPointer<TListItem> m_item;
    QList<QWidget *> m_hostedWidgets;
};
