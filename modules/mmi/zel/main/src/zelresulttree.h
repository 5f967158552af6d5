#pragma once
// The link test's result tree, made for a finger: rows as high as a button,
// big open/close marks, a tap on a step opens or closes it (a double tap
// counts once), and the last column (the result) always in view: the other
// columns share the rest of the width and elide their texts.
#include <QTreeWidget>

class ZelResultTree : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ZelResultTree(QWidget *parent = nullptr);

    static constexpr int RowHeight = 58;
    static constexpr int MarkSize = 28;

protected:
    void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void handleTap(const QModelIndex &index);
    void fitLastColumn();

    bool m_doubleTap = false;
};
