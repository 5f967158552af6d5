#pragma once

#include <QPointer>
#include <QWidget>

class QGestureEvent;
class QHelpEvent;
class QPropertyAnimation;
class QScrollBar;
class QSequentialAnimationGroup;
class QSwipeGesture;
class TAbstractTouchList;
class TAbstractTouchListItem;
class TMouseDragGesture;
class TScrollAnimation;
class TTouchListWidget;

// Paints the rows of a touch list, maps taps, keys and focus onto them,
// keeps the owner's scroll bar in step with the rows' heights, and scrolls
// by finger: a drag moves the rows, a flick turns a page with a kinetic
// scroll that a press, hiding the view or the main window's instant end stops.
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

    QPropertyAnimation *easeAnimation() const;
    QPropertyAnimation *linearAnimation() const;
    QSequentialAnimationGroup *scrollGroup() const;

    virtual bool gestureEvent(QGestureEvent *event);
    virtual void swipeTriggered(QSwipeGesture *gesture);
    virtual void dragTriggered(TMouseDragGesture *gesture);
    virtual void toolTipEvent(QHelpEvent *event);

public slots:
    void handleTouchListUpdated();
    void slicderValueChanged(int value);
    void handleScrollAnimationFinished();
    void instantScrollAnimationEnd();

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
    void hideEvent(QHideEvent *event) override;
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
    TScrollAnimation *m_scroll;
    QPoint m_pressPos;
    int m_totalHeight = 0;
    bool m_inEnsureVisible = false;
    TAbstractTouchListItem *m_pressedRow = nullptr;
    TAbstractTouchListItem *m_selectedRow = nullptr;
};
