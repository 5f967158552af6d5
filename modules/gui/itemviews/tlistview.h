#pragma once

#include <QWidget>

class TListWidget;

// The row area of a row list: turns wheel turns into scrolling and tells the
// list when its size changes.
class TListView : public QWidget
{
    Q_OBJECT
public:
    explicit TListView(TListWidget *pList);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    TListWidget *m_list;
};
