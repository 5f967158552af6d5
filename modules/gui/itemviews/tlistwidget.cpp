#include "tlistwidget.h"

#include "tabstractlistitemdetailwidget.h"
#include "tabstractsubwindow.h"
#include "tbuttonbar.h"
#include "tlistcolumndesc.h"
#include "tlistitem.h"
#include "tlistitemview.h"
#include "tlistview.h"
#include "tmainwindow.h"

#include <QApplication>
#include <QDebug>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTimeLine>
#include <QVBoxLayout>

TListWidget::TListWidget(QWidget *parent, int mode, int rows)
    : QWidget(parent)
    , m_mode(mode)
{
    setFocusPolicy(Qt::TabFocus);
    m_stackedLayout = new QStackedLayout(this);
    m_stackedLayout->setContentsMargins(0, 0, 0, 0);
    m_stackedLayout->setStackingMode(QStackedLayout::StackAll);
    m_listPage = new QWidget(this);
    auto *vertical = new QVBoxLayout(m_listPage);
    vertical->setContentsMargins(0, 0, 0, 0);
    vertical->setSpacing(0);
    auto *horizontal = new QHBoxLayout;
    horizontal->setContentsMargins(0, 0, 0, 0);
    horizontal->setSpacing(0);
    vertical->addLayout(horizontal);
    m_rowArea = new TListView(this);
    m_rowArea->setParent(m_listPage);
    horizontal->addWidget(m_rowArea);
    m_stackedLayout->addWidget(m_listPage);

    for (int i = 0; i < rows; ++i)
        m_rowWidgets << makeRow(i);

    m_scrollBar = new QScrollBar(Qt::Vertical, m_listPage);
    m_scrollBar->setRange(0, 0);
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &TListWidget::scrollHandler);
    horizontal->addWidget(m_scrollBar);

    m_slideTimeLine = new QTimeLine(200, this);
    m_slideTimeLine->setUpdateInterval(20);
    m_slideTimeLine->setEasingCurve(QEasingCurve::Linear);
    connect(m_slideTimeLine, &QTimeLine::valueChanged, this, &TListWidget::slideUpdateStep);
    connect(m_slideTimeLine, &QTimeLine::finished, this, &TListWidget::animationFinished);
    m_detailsTimeLine = new QTimeLine(400, this);
    m_detailsTimeLine->setUpdateInterval(40);
    connect(m_detailsTimeLine, &QTimeLine::valueChanged, this, &TListWidget::showDetailsUpdateStep);
    connect(m_detailsTimeLine, &QTimeLine::finished, this, &TListWidget::animationFinished);

    if (m_mode == 1)
        installEventFilter(this);
}

TListItemView *TListWidget::makeRow(int position)
{
    auto *row = new TListItemView(this, m_items.value(m_topIndex + position), false);
    row->setGeometry(0, rowHeight * position + (m_offset % rowHeight), m_rowWidth, rowHeight);
    if (m_mode == 1)
        row->installEventFilter(this);
    return row;
}

void TListWidget::addColumn(TListColumnDesc *column)
{
    column->setParent(this);
    m_columns << column;
}

void TListWidget::addItem(TListItem *item, bool notify)
{
    addItems({item}, notify);
}

void TListWidget::addItems(const QList<TListItem *> &items, bool notify)
{
    for (TListItem *item : items) {
        const int n = m_items.size();
        m_items << item;
        const int range = m_items.size() - m_visibleRows;
        if (range >= 1) {
            m_scrollBar->setRange(0, range);
            m_scrollBar->show();
        }
        if (m_rowWidgets.size() + m_topIndex > n && n - m_topIndex >= 0)
            m_rowWidgets[n - m_topIndex]->setItem(item);
    }
    update();
    m_rowArea->update();
    if (notify)
        emit numberOfItemsModified();
}

TListItem *TListWidget::findItem(int id) const
{
    for (TListItem *item : m_items)
        if (item->id() == id)
            return item;
    return nullptr;
}

void TListWidget::setEmptyListText(const QString &text)
{
    m_emptyListText = text;
    update();
    m_rowArea->update();
}

bool TListWidget::isItemCheckable(TListItem *)
{
    return true;
}

bool TListWidget::isSliding() const
{
    return m_slideTimeLine->state() == QTimeLine::Running;
}

void TListWidget::updateViewGeometry()
{
    m_visibleRows = m_rowArea->height() / rowHeight;
    m_rowWidth = m_rowArea->width();
    m_scrollBar->setPageStep(m_visibleRows);
    const int range = m_items.size() - m_visibleRows;
    if (range >= 1) {
        if (m_scrollValue > range) {
            m_scrollValue = range;
            m_slideTimeLine->stop();
            m_targetOffset = -(range * rowHeight);
            m_startOffset = m_offset;
            slideUpdateStep(1.0);
        }
        m_scrollBar->setRange(0, range);
    } else {
        m_scrollBar->setRange(0, 0);
    }
    m_scrollBar->setVisible(range >= 1);
    for (TListItemView *row : qAsConst(m_rowWidgets))
        row->resize(m_rowWidth, rowHeight);
    emit viewResized();
}

void TListWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int needed = height() / rowHeight + 2;
    while (m_rowWidgets.size() < needed)
        m_rowWidgets << makeRow(m_rowWidgets.size());
    if (m_buttonBar && !m_buttonBar->isFullyShown())
        placeButtonBarOverPage();
}

// ---- scrolling -------------------------------------------------------------

void TListWidget::registerAnimation()
{
    if (TMainWindow::instance() && !m_registered) {
        TMainWindow::instance()->addAnimatingWidget(this, SLOT(instantAnimationEnd()));
        m_registered = true;
    }
}

void TListWidget::unregisterAnimation()
{
    if (m_registered) {
        m_registered = false;
        if (TMainWindow::instance())
            TMainWindow::instance()->removeAnimatingWidget(this, SLOT(instantAnimationEnd()));
    }
}

void TListWidget::scrollHandler(int value)
{
    if (value == m_scrollValue)
        return;
    m_scrollValue = value;
    m_slideTimeLine->stop();
    m_targetOffset = -(value * rowHeight);
    m_startOffset = m_offset;
    m_slideTimeLine->setCurrentTime(0);
    registerAnimation();
    m_slideTimeLine->start();
}

void TListWidget::slideUpdateStep(qreal val)
{
    m_offset = int((m_targetOffset - m_startOffset) * val + m_startOffset);
    const int newTop = -(m_offset / rowHeight);
    const int k = m_rowWidgets.size();
    auto rebind = [this](TListItemView *row, int index) {
        if (row->hasFocus())
            setFocus(Qt::OtherFocusReason);
        TListItem *item = (index >= 0 && index < m_items.size()) ? m_items[index] : nullptr;
        row->setItem(item);
        if (item && item == m_currentItem && hasFocus())
            row->setFocus(Qt::OtherFocusReason);
        return item != nullptr;
    };
    if (newTop < m_topIndex) {
        const int m = qMin(m_topIndex - newTop, k);
        for (int i = newTop + m - 1; i >= newTop; --i) {
            TListItemView *row = m_rowWidgets.takeLast();
            if (rebind(row, i))
                m_rowWidgets.prepend(row);
            else
                m_rowWidgets.append(row);
        }
    } else if (newTop > m_topIndex) {
        const int m = qMin(newTop - m_topIndex, k);
        for (int i = newTop + k - m; i <= newTop + k - 1; ++i) {
            TListItemView *row = m_rowWidgets.takeFirst();
            rebind(row, i);
            m_rowWidgets.append(row);
        }
    }
    m_topIndex = newTop;
    placeRows();
}

void TListWidget::placeRows()
{
    for (int j = 0; j < m_rowWidgets.size(); ++j)
        m_rowWidgets[j]->setGeometry(0, rowHeight * j + (m_offset % rowHeight), m_rowWidth, rowHeight);
}

void TListWidget::instantAnimationEnd()
{
    if (isSliding()) {
        m_slideTimeLine->stop();
        m_slideTimeLine->setCurrentTime(0);
        slideUpdateStep(m_slideTimeLine->direction() == QTimeLine::Forward ? 1.0 : 0.0);
    }
    if (isShowingDetails()) {
        m_detailsTimeLine->stop();
        m_detailsTimeLine->setCurrentTime(0);
        showDetailsUpdateStep(m_detailsTimeLine->direction() == QTimeLine::Forward ? 1.0 : 0.0);
    }
    if (!isSliding() && !isShowingDetails())
        unregisterAnimation();
}

void TListWidget::animationFinished()
{
    if (!isSliding() && !isShowingDetails())
        unregisterAnimation();
}

void TListWidget::ensureItemVisible(TListItem *item, bool animated)
{
    const int index = m_items.indexOf(item);
    if (index < 0)
        return;
    const int position = m_scrollBar->sliderPosition();
    int target;
    if (m_visibleRows >= 1) {
        if (index >= position && index <= position + m_visibleRows - 1)
            return;
        target = index > position ? index - m_visibleRows + 1 : index;
    } else {
        target = index;
    }
    if (target < 0)
        return;
    m_scrollBar->setSliderPosition(target);
    if (!animated)
        instantAnimationEnd();
}

// ---- current item and keys -------------------------------------------------

bool TListWidget::takesListKeys() const
{
    return m_listPage->isVisible() && (hasFocus() || focusPolicy() == Qt::NoFocus);
}

void TListWidget::setCurrentItem(TListItem *item, bool animated)
{
    if (item && m_items.contains(item) && item != m_currentItem) {
        m_currentItem = item;
        if (takesListKeys()) {
            TListItemView *shown = nullptr;
            for (TListItemView *row : qAsConst(m_rowWidgets))
                if (row->item() == item)
                    shown = row;
            if (shown)
                shown->setFocus(Qt::OtherFocusReason);
            else if (!hasFocus())
                setFocus(Qt::OtherFocusReason);
        }
        ensureItemVisible(item, animated);
        if (m_previewWidget) {
            m_previewWidget->updateDetails(item);
            if (m_previewContainer)
                m_previewContainer->show();
            update();
        } else if (m_mode == 3) {
            update();
        }
        for (TListItemView *row : qAsConst(m_rowWidgets))
            row->update();
        emit itemSelected(item);
        return;
    }
    if (!item) {
        m_currentItem = nullptr;
        if ((m_mode == 2 || m_mode == 3) && !m_items.isEmpty()) {
            setCurrentItem(m_items.first(), true);
        } else if ((m_mode == 2 || m_mode == 3) && m_previewWidget) {
            if (m_previewContainer)
                m_previewContainer->hide();
            m_previewWidget->rowWidget()->setItem(nullptr);
        }
        if (!m_currentItem)
            emit itemSelected(nullptr);
    }
}

bool TListWidget::moveCurrent(int step)
{
    // An empty list has nothing to move to: Tab and the arrows pass on.
    if (m_items.isEmpty())
        return false;
    const int old = m_items.indexOf(m_currentItem);
    const int result = qBound(0, old + step, m_items.size() - 1);
    if (result != old && result >= 0) {
        setCurrentItem(m_items[result], true);
        return true;
    }
    return false;
}

void TListWidget::keyPressEvent(QKeyEvent *event)
{
    if (!takesListKeys()) {
        event->ignore();
        return;
    }
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up: step = -1; break;
    case Qt::Key_Down: step = 1; break;
    case Qt::Key_PageUp: step = -m_visibleRows; break;
    case Qt::Key_PageDown: step = m_visibleRows; break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Select:
        event->accept();
        return;
    default:
        event->ignore();
        return;
    }
    if (step == 0) {
        event->accept();
        return;
    }
    if (moveCurrent(step) || m_mode != 1)
        event->accept();
    else
        event->ignore();
}

void TListWidget::keyReleaseEvent(QKeyEvent *event)
{
    if (isDetailsPageShown() && m_detailsTimeLine->direction() == QTimeLine::Forward) {
        if (event->key() == Qt::Key_Escape) {
            closeDetailsPage();
            event->accept();
        } else {
            event->ignore();
        }
        return;
    }
    if (!takesListKeys()) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        event->accept();
        return;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Select:
        if (!event->isAutoRepeat() && m_currentItem)
            ensureItemVisible(m_currentItem, true);
        event->accept();
        return;
    default:
        event->ignore();
    }
}

bool TListWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (m_mode == 1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
            return moveCurrent(key == Qt::Key_Tab ? 1 : -1);
    }
    return QWidget::eventFilter(watched, event);
}

void TListWidget::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (!isEnabled())
        return;
    if (isDetailsPageShown() && m_detailWidget) {
        m_detailWidget->rowWidget()->setFocus(event->reason());
        return;
    }
    if (m_mode == 1 && !m_items.isEmpty() && !m_currentItem) {
        const int position = m_scrollBar->value();
        if (event->reason() == Qt::TabFocusReason) {
            if (position < m_items.size())
                setCurrentItem(m_items[position], true);
        } else if (event->reason() == Qt::BacktabFocusReason) {
            // A list too low for one whole row still starts at the first visible item.
            const int index = qBound(0, m_visibleRows + position - 1, m_items.size() - 1);
            setCurrentItem(m_items[index], true);
        }
    }
    if (!m_currentItem && m_items.size() > m_scrollValue) {
        setCurrentItem(m_items[m_scrollValue], true);
        return;
    }
    for (TListItemView *row : qAsConst(m_rowWidgets))
        if (m_currentItem && row->item() == m_currentItem)
            row->setFocus(Qt::OtherFocusReason);
}

// ---- clicks ----------------------------------------------------------------

bool TListWidget::isOutOfSight(TListItemView *view) const
{
    return view->y() >= m_rowArea->height();
}

void TListWidget::handleViewClicked(TListItemView *pItemView)
{
    TListItem *item = pItemView->item();
    if (!item || !m_items.contains(item))
        return;
    setCurrentItem(item, true);
    if (isOutOfSight(pItemView))
        return;
    if (m_detailWidget) {
        if (pItemView == m_detailWidget->rowWidget()) {
            if (m_detailsWindow)
                m_detailsWindow->close();
            else if (m_detailsGhost)
                closeDetailsPage();
        } else if (m_detailsWindow) {
            m_detailWidget->updateDetails(item);
            qDebug() << "TListWidget::handleViewClicked: About to run pDetailsWindow->showWindow(pItemView), where (void*) pItemView="
                     << static_cast<void *>(pItemView) << ", this=" << static_cast<void *>(this);
            m_detailsWindow->showWindow(static_cast<QWidget *>(pItemView));
        } else if (m_detailsGhost) {
            openDetailsPage(pItemView, item);
        }
    }
    emit itemClicked(item);
}

void TListWidget::handleViewCheckClicked(TListItemView *pItemView)
{
    TListItem *item = pItemView->item();
    if (!item || !m_items.contains(item))
        return;
    setCurrentItem(item, true);
    if (isOutOfSight(pItemView) || !isItemCheckable(item))
        return;
    if (item->isCheckInvalid())
        emit checkedItemInvalid(item);
    else
        item->setChecked(!item->isChecked());
}

void TListWidget::handleItemToggled(TListItem *pItem)
{
    if (!m_items.contains(pItem))
        return;
    emit itemToggled(pItem);
    emit itemsCheckUpdate();
}

void TListWidget::setCheckable(bool checkable)
{
    m_checkable = checkable;
    if (!checkable)
        uncheckAll();
    update();
    for (TListItemView *row : qAsConst(m_rowWidgets))
        row->update();
}

void TListWidget::checkAll()
{
    for (TListItem *item : qAsConst(m_items))
        item->m_checked = true;
    emit itemsCheckUpdate();
    for (TListItemView *row : qAsConst(m_rowWidgets))
        row->update();
}

void TListWidget::uncheckAll()
{
    for (TListItem *item : qAsConst(m_items))
        item->m_checked = false;
    emit itemsCheckUpdate();
    for (TListItemView *row : qAsConst(m_rowWidgets))
        row->update();
}

void TListWidget::paintEmptyListText(QWidget *area)
{
    // Drawn on the row area, above the list page's style-sheet background.
    if (!m_items.isEmpty() || m_emptyListText.isEmpty())
        return;
    QPainter painter(area);
    QRect r = rect().translated(-area->mapTo(this, QPoint(0, 0)));
    r.setTop(r.top() + r.height() / 3);
    painter.drawText(r, Qt::AlignHCenter | Qt::AlignTop, m_emptyListText);
}

// ---- item details ------------------------------------------------------------

void TListWidget::setDetailsPage(TAbstractListItemDetailWidget *pDetailWidget)
{
    if (!m_detailsPage) {
        m_detailsPage = new QWidget(this);
        m_detailsPage->setObjectName(QStringLiteral("listDetailsPage"));
        // The list stays in sight around the growing ghost.
        m_detailsPage->setStyleSheet(QStringLiteral("QWidget#listDetailsPage { background: transparent; }"));
        m_detailsGhost = new QWidget(m_detailsPage);
        m_detailsGhost->setObjectName(QStringLiteral("listDetailsGhost"));
        m_stackedLayout->addWidget(m_detailsPage);
        m_detailsPage->hide();
        m_stackedLayout->setCurrentWidget(m_listPage);
    }
    m_detailWidget = pDetailWidget;
    m_detailsWindow = nullptr;
    if (pDetailWidget)
        pDetailWidget->setParent(m_detailsGhost);
}

void TListWidget::setDetailsWindow(TAbstractSubWindow *pWindow, TAbstractListItemDetailWidget *pDetailWidget)
{
    m_detailsWindow = pWindow;
    m_detailWidget = pDetailWidget;
}

void TListWidget::setPreview(TAbstractListItemDetailWidget *pPreview, QWidget *pContainer)
{
    m_previewWidget = pPreview;
    m_previewContainer = pContainer;
}

void TListWidget::setButtonBar(TButtonBar *pButtonBar)
{
    if (m_buttonBar)
        disconnect(m_buttonBar, &TButtonBar::fullyShown, this, &TListWidget::handleButtonBarFullyShown);
    m_buttonBar = pButtonBar;
    if (!pButtonBar)
        return;
    pButtonBar->setParent(m_listPage);
    connect(pButtonBar, &TButtonBar::fullyShown, this, &TListWidget::handleButtonBarFullyShown);
    handleButtonBarFullyShown(pButtonBar->isFullyShown());
    pButtonBar->show();
}

TAbstractListItemDetailWidget *TListWidget::detailWidget() const
{
    return m_detailWidget;
}

QWidget *TListWidget::detailsPage() const
{
    return m_detailsPage;
}

QWidget *TListWidget::detailsGhost() const
{
    return m_detailsGhost;
}

bool TListWidget::isDetailsPageShown() const
{
    return m_detailsPage && m_stackedLayout->currentWidget() == m_detailsPage;
}

bool TListWidget::isShowingDetails() const
{
    return m_detailsTimeLine->state() == QTimeLine::Running;
}

void TListWidget::openDetailsPage(TListItemView *row, TListItem *item)
{
    const bool hadFocus = row->hasFocus();
    m_detailsTimeLine->stop();
    m_detailsTimeLine->setDirection(QTimeLine::Forward);
    m_sourceRow = row;
    const QPoint p = row->mapTo(m_listPage, QPoint(0, 0));
    m_detailsPage->setGeometry(m_listPage->geometry());
    m_detailsGhost->setGeometry(p.x(), p.y(), m_detailsPage->width(), rowHeight);
    m_detailWidget->setGeometry(0, 0, m_detailsPage->width(), m_detailsPage->height());
    m_detailWidget->show();
    m_detailWidget->rowWidget()->setDetailFlag(true);
    m_detailWidget->updateDetails(item);
    m_listPage->setEnabled(false);
    m_stackedLayout->setCurrentWidget(m_detailsPage);
    m_detailsPage->show();
    if (hadFocus)
        m_detailWidget->rowWidget()->setFocus(Qt::OtherFocusReason);
    m_detailsTimeLine->setCurrentTime(0);
    registerAnimation();
    m_detailsTimeLine->start();
}

void TListWidget::closeDetailsPage()
{
    TListItemView *header = m_detailWidget ? m_detailWidget->rowWidget() : nullptr;
    if (isShowingDetails()) {
        // Turn round where the animation stands.
        m_detailsTimeLine->stop();
        const bool opening = m_detailsTimeLine->direction() == QTimeLine::Forward;
        if (header)
            header->setDetailFlag(!opening);
        m_detailsTimeLine->setDirection(opening ? QTimeLine::Backward : QTimeLine::Forward);
        if (opening)
            m_listPage->show();
        m_detailsTimeLine->resume();
        return;
    }
    if (header)
        header->setDetailFlag(false);
    m_detailsTimeLine->setDirection(QTimeLine::Backward);
    m_listPage->show();
    registerAnimation();
    m_detailsTimeLine->start();
}

void TListWidget::showDetailsUpdateStep(qreal val)
{
    if (!isDetailsPageShown() || !m_sourceRow)
        return;
    const QPoint p = m_sourceRow->mapTo(m_listPage, QPoint(0, 0));
    const int top = int((1 - val) * p.y() - 0.5);
    const int height = int(val * (m_detailsPage->height() - rowHeight) + rowHeight + 0.5);
    m_detailsGhost->setGeometry(p.x(), top, m_detailsPage->width(), height);
    if (val <= 0 && m_detailsTimeLine->direction() == QTimeLine::Backward) {
        const bool hadFocus = m_detailWidget && m_detailWidget->rowWidget()->hasFocus();
        m_detailsPage->hide();
        m_listPage->setEnabled(true);
        m_stackedLayout->setCurrentWidget(m_listPage);
        m_listPage->show();
        if (hadFocus)
            m_sourceRow->setFocus(Qt::OtherFocusReason);
    } else if (val >= 1 && m_detailsTimeLine->direction() == QTimeLine::Forward) {
        m_listPage->hide();
    }
}

void TListWidget::placeButtonBarOverPage()
{
    m_buttonBar->setGeometry(0, m_listPage->height() - m_buttonBar->minimumHeight(), m_buttonBar->minimumWidth(),
                             m_buttonBar->minimumHeight());
    m_buttonBar->raise();
}

void TListWidget::handleButtonBarFullyShown(bool fullyShown)
{
    if (!m_buttonBar)
        return;
    auto *pageLayout = static_cast<QVBoxLayout *>(m_listPage->layout());
    if (fullyShown) {
        if (pageLayout->indexOf(m_buttonBar) < 0)
            pageLayout->addWidget(m_buttonBar);
    } else {
        pageLayout->removeWidget(m_buttonBar);
        placeButtonBarOverPage();
    }
    QResizeEvent resize(size(), size());
    QApplication::sendEvent(this, &resize);
}
