#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QScrollBar;
class QStackedLayout;
class QTimeLine;
class TAbstractListItemDetailWidget;
class TAbstractSubWindow;
class TButtonBar;
class TListColumnDesc;
class TListItem;
class TListItemView;
class TListView;

// Scrolling list of equal rows for touch screens. Only as many row widgets
// exist as fit on the screen plus two; scrolling slides them and rebinds the
// ones that leave one end to the items that enter at the other.
// Modes: 1 check list (Tab walks the rows, a press anywhere in a checkable
// row toggles it), 2 selection list, 3 selection list repainting on every
// change of the current item, others plain list.
// Optional attachments show an item's details: a details page that grows out
// of the clicked row over the list, a details window, or a preview that
// follows the current item; a button bar lies over the bottom of the list
// until it is fully shown and then takes its own room below the rows.
class TListWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int rowHeight = 58;

    TListWidget(QWidget *parent, int mode, int rows);

    void addColumn(TListColumnDesc *column);
    void addItem(TListItem *item, bool notify = false);
    void addItems(const QList<TListItem *> &items, bool notify = false);
    TListItem *findItem(int id) const;
    void setEmptyListText(const QString &text);
    void setCurrentItem(TListItem *item, bool animated);
    void ensureItemVisible(TListItem *item, bool animated);
    virtual bool isItemCheckable(TListItem *item);

    bool isCheckable() const { return m_checkable; }
    int mode() const { return m_mode; }
    TListItem *currentItem() const { return m_currentItem; }
    const QList<TListItem *> &items() const { return m_items; }
    const QList<TListColumnDesc *> &columns() const { return m_columns; }
    const QList<TListItemView *> &rowWidgets() const { return m_rowWidgets; }
    QScrollBar *scrollBar() const { return m_scrollBar; }
    TListView *rowArea() const { return m_rowArea; }
    int visibleRows() const { return m_visibleRows; }
    int topIndex() const { return m_topIndex; }
    int offset() const { return m_offset; }
    bool isSliding() const;

    // Item details. The list builds the details page (and the ghost that
    // grows from the clicked row to the whole page) and takes the detail
    // widget into it; a click on a row opens it, a click on its header or
    // Escape closes it.
    void setDetailsPage(TAbstractListItemDetailWidget *pDetailWidget);
    // A click on a row fills the detail widget and shows the window from the row.
    void setDetailsWindow(TAbstractSubWindow *pWindow, TAbstractListItemDetailWidget *pDetailWidget);
    // The preview shows the current item; its container hides while there is none.
    void setPreview(TAbstractListItemDetailWidget *pPreview, QWidget *pContainer);
    void setButtonBar(TButtonBar *pButtonBar);
    TAbstractListItemDetailWidget *detailWidget() const;
    QWidget *listPage() const { return m_listPage; }
    QWidget *detailsPage() const;
    QWidget *detailsGhost() const;
    bool isDetailsPageShown() const;
    bool isShowingDetails() const;

    // Called by the row area when it changes size.
    void updateViewGeometry();
    // Called by the row area when it paints: the empty-list text.
    void paintEmptyListText(QWidget *area);
    QString emptyListText() const { return m_emptyListText; }

signals:
    void itemClicked(TListItem *pItem);
    void itemToggled(TListItem *pItem);
    void checkedItemInvalid(TListItem *pCheckedItem);
    void itemsCheckUpdate();
    void itemSelected(TListItem *pItem = nullptr);
    void viewResized();
    void numberOfItemsModified();

public slots:
    void setCheckable(bool checkable);
    void checkAll();
    void uncheckAll();
    void instantAnimationEnd();

private slots:
    void scrollHandler(int value);
    void slideUpdateStep(qreal val);
    void showDetailsUpdateStep(qreal val);
    void animationFinished();
    void handleButtonBarFullyShown(bool fullyShown);

public:
    // Entry points of the row widgets and the items.
    void handleViewClicked(TListItemView *pItemView);
    void handleViewCheckClicked(TListItemView *pItemView);
    void handleItemToggled(TListItem *pItem);
    bool takesListKeys() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TListItemView *makeRow(int position);
    void placeRows();
    bool moveCurrent(int step);
    bool isOutOfSight(TListItemView *view) const;
    void registerAnimation();
    void unregisterAnimation();
    void openDetailsPage(TListItemView *row, TListItem *item);
    void closeDetailsPage();
    void placeButtonBarOverPage();

    bool m_checkable = false;
    QTimeLine *m_slideTimeLine;
    int m_rowWidth = 0;
    int m_visibleRows = 0;
    int m_scrollValue = 0;
    int m_offset = 0;
    int m_targetOffset = 0;
    int m_startOffset = 0;
    int m_topIndex = 0;
    QString m_emptyListText;
    int m_mode;
    TListItem *m_currentItem = nullptr;
    QList<TListItem *> m_items;
    QList<TListColumnDesc *> m_columns;
    QList<TListItemView *> m_rowWidgets;
    QStackedLayout *m_stackedLayout;
    QWidget *m_listPage;
    TListView *m_rowArea;
    QScrollBar *m_scrollBar;
    bool m_registered = false;
    QTimeLine *m_detailsTimeLine;
    TListItemView *m_sourceRow = nullptr;
    QPointer<TButtonBar> m_buttonBar;
    QPointer<QWidget> m_detailsPage;
    QPointer<QWidget> m_detailsGhost;
    QPointer<TAbstractSubWindow> m_detailsWindow;
    QPointer<TAbstractListItemDetailWidget> m_detailWidget;
    QPointer<TAbstractListItemDetailWidget> m_previewWidget;
    QPointer<QWidget> m_previewContainer;
};
