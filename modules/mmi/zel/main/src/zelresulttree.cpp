#include "zelresulttree.h"

#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

namespace {

// Every row at least as high as a button.
class RowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(0, ZelResultTree::RowHeight));
    }
};

} // namespace

ZelResultTree::ZelResultTree(QWidget *parent)
    : QTreeWidget(parent)
{
    setItemDelegate(new RowDelegate(this));
    setIndentation(MarkSize + 16);
    setIconSize(QSize(30, 30));
    setExpandsOnDoubleClick(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    header()->setStretchLastSection(false);
    header()->setMinimumSectionSize(MarkSize);
    connect(this, &QTreeView::clicked, this, &ZelResultTree::handleTap);
    connect(model(), &QAbstractItemModel::headerDataChanged, this, &ZelResultTree::fitLastColumn);
    connect(model(), &QAbstractItemModel::columnsInserted, this, &ZelResultTree::fitLastColumn);
}

void ZelResultTree::fitLastColumn()
{
    const int last = columnCount() - 1;
    if (last < 0)
        return;
    for (int c = 0; c < last; ++c)
        header()->setSectionResizeMode(c, QHeaderView::Stretch);
    header()->setSectionResizeMode(last, QHeaderView::Fixed);
    const int needed = qMax(header()->sectionSizeHint(last), iconSize().width() + 24);
    header()->resizeSection(last, needed);
}

void ZelResultTree::showEvent(QShowEvent *event)
{
    fitLastColumn();
    QTreeWidget::showEvent(event);
}

void ZelResultTree::changeEvent(QEvent *event)
{
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitLastColumn();
}

void ZelResultTree::handleTap(const QModelIndex &index)
{
    if (m_doubleTap) {
        m_doubleTap = false;
        return;
    }
    const QModelIndex step = index.sibling(index.row(), 0);
    if (model()->hasChildren(step))
        setExpanded(step, !isExpanded(step));
}

void ZelResultTree::mousePressEvent(QMouseEvent *event)
{
    m_doubleTap = false;
    QTreeWidget::mousePressEvent(event);
}

void ZelResultTree::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second tap of a double tap: its release reports one more click,
    // which must not close what the first tap opened.
    m_doubleTap = indexAt(event->pos()).isValid();
    event->accept();
}

void ZelResultTree::drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const
{
    if (!model()->hasChildren(index))
        return;
    const int size = MarkSize;
    const QRectF mark(rect.right() - indentation() + (indentation() - size) / 2.0,
                      rect.top() + (rect.height() - size) / 2.0, size, size);
    QPainterPath triangle;
    if (isExpanded(index)) {
        triangle.moveTo(mark.left(), mark.top() + size * 0.25);
        triangle.lineTo(mark.right(), mark.top() + size * 0.25);
        triangle.lineTo(mark.center().x(), mark.bottom() - size * 0.15);
    } else {
        triangle.moveTo(mark.left() + size * 0.25, mark.top());
        triangle.lineTo(mark.right() - size * 0.15, mark.center().y());
        triangle.lineTo(mark.left() + size * 0.25, mark.bottom());
    }
    triangle.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(triangle, palette().color(QPalette::Text));
    painter->restore();
}
