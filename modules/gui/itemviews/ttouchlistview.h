#pragma once

#include <QPointer>
#include <QWidget>

class QHelpEvent;
class QScrollBar;
class TAbstractTouchList;
class TAbstractTouchListItem;
class TTouchListWidget;

// Paints the rows of a touch list, maps taps, keys and focus onto them and
// keeps the owner's scroll bar in step with the rows' heights.
class TTouchListView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int tapSlop = 21;
    static constexpr int visibilityMargin = 15;

    explicit TTouchListView(TTouchListWidget *owner);

    void setList(TAbstractTouchList *list);
    TAbstractTouchList *list() const { return m_list; }

    TAbstractTouchListItem *itemAt(const QPoint &point, QRect *rect = nullptr) const;
    QRect itemRect(TAbstractTouchListItem *item) const;
    QList<TAbstractTouchListItem *> fullyVisibleItems() const;
    void visibleRange(int &first, int &last) const;
    void ensureVisible(TAbstractTouchListItem *item);

    TAbstractTouchListItem *pressedRow() const { return m_pressedRow; }
    TAbstractTouchListItem *selectedRow() const { return m_selectedRow; }

    virtual void toolTipEvent(QHelpEvent *event);

public slots:
    void handleTouchListUpdated();
    void slicderValueChanged(int value);

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    int indexOf(TAbstractTouchListItem *item) const;
    bool trySelect(TAbstractTouchListItem *item);
    void clearTrackedItem();
    void moveSelection(int step);
    void pageUp();
    void pageDown();
    void handleFocusIn(Qt::FocusReason reason);

    TTouchListWidget *m_owner;
    TAbstractTouchList *m_list = nullptr;
    QScrollBar *m_scrollBar;
    QPoint m_pressPos;
    int m_totalHeight = 0;
    bool m_inEnsureVisible = false;
    TAbstractTouchListItem *m_pressedRow = nullptr;
    TAbstractTouchListItem *m_selectedRow = nullptr;
};
