#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

class QKeyEvent;
class QPainter;
class QPalette;
class QStyle;
class QWidget;
class TAbstractTouchList;

// What the view hands to a row that paints itself.
struct TTouchListPaintContext
{
    QPainter *painter;
    QWidget *widget;
    QStyle *style;
};

// One row of a touch list. It emits the signals of its list.
class TAbstractTouchListItem : public QObject
{
    Q_OBJECT
public:
    TAbstractTouchListItem(TAbstractTouchList *list, int id, bool selectable, bool pressable);

    virtual int height() = 0;
    virtual void paint(TTouchListPaintContext *context, const QRect &rowRect, const QPalette &palette) = 0;
    virtual bool press(const QPoint &pos, const QRect &rowRect);
    virtual void release(bool click, QPoint point);
    virtual bool select();
    virtual void deselect();
    virtual bool keyPress(QKeyEvent *event);
    virtual bool keyRelease(QKeyEvent *event, QPoint point);
    virtual void setWidth(int width);
    virtual QString toolTipText(const QPoint &pos, const QRect &rowRect);
    virtual void rightPress(const QPoint &pos, const QRect &rowRect);

    int id() const { return m_id; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isSelectable() const { return m_selectable; }
    bool isSelected() const { return m_selected; }
    bool isPressable() const { return m_pressable; }
    bool isPressed() const { return m_pressed; }
    TAbstractTouchList *list() const { return m_list; }

protected:
    void emitUpdated();

    int m_id;
    bool m_enabled = true;
    bool m_selectable;
    bool m_selected = false;
    bool m_pressable;
    bool m_pressed = false;
    TAbstractTouchList *m_list;
};
