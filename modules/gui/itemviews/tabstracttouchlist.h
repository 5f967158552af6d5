#pragma once

#include <QList>
#include <QObject>
#include <QPoint>

class TAbstractTouchListItem;

// Model of a touch list: an ordered list of rows that paint themselves. The
// rows are QObject children of the list; removing a row deletes it.
class TAbstractTouchList : public QObject
{
    Q_OBJECT
public:
    // focusMode 0: no keyboard focus; 1: one tab stop; 2: Tab walks the
    // selectable rows and leaves at either end; 3: Tab walks them and wraps.
    TAbstractTouchList(QObject *parent, int focusMode);

    void addItem(TAbstractTouchListItem *item);
    void addItems(const QList<TAbstractTouchListItem *> &items);

    virtual void removeItem(TAbstractTouchListItem *item);
    virtual void removeItems(const QList<TAbstractTouchListItem *> &items);
    virtual void clear();
    virtual void setWidth(int width);

    const QList<TAbstractTouchListItem *> &items() const { return m_items; }
    int count() const { return m_items.count(); }
    int totalHeight() const;

    TAbstractTouchListItem *trackedItem() const { return m_trackedItem; }
    void setTrackedItem(TAbstractTouchListItem *item);

    int focusMode() const { return m_focusMode; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    void emitUpdated() { emit updated(); }

signals:
    void updated();
    // Receivers of itemClicked(int) hear the same emission; a caller that
    // gives no point sends (0, 0).
    void itemClicked(int itemId, QPoint globalPoint = QPoint(0, 0));

private:
    void forgetItem(TAbstractTouchListItem *item);

    QList<TAbstractTouchListItem *> m_items;
    TAbstractTouchListItem *m_trackedItem = nullptr;
    QString m_name;
    int m_focusMode;
};
