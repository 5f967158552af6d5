#include "tlistitemview.h"

#include "tlistcolumndesc.h"
#include "tlistitem.h"
#include "tlistview.h"
#include "tlistwidget.h"
#include "tstylesheet.h"

#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

TListItemView::TListItemView(TListWidget *pList, TListItem *pItem, bool alternate)
    : TListItemView(pList, pItem, alternate, pList->rowArea())
{
}

TListItemView::TListItemView(TListWidget *pList, TListItem *pItem, bool alternate, QWidget *parent)
    : QWidget(parent)
    , m_alternate(alternate)
    , m_list(pList)
{
    setMinimumHeight(TListWidget::rowHeight);
    setMaximumHeight(TListWidget::rowHeight);
    setFocusPolicy(pItem ? Qt::TabFocus : Qt::NoFocus);
    setItem(pItem);
    setVisible(true);
}

void TListItemView::setItem(TListItem *pItem)
{
    if (pItem == m_item)
        return;
    if (m_item)
        disconnect(m_item, &TListItem::updated, this, QOverload<>::of(&QWidget::update));
    m_item = pItem;
    if (m_item)
        connect(m_item, &TListItem::updated, this, QOverload<>::of(&QWidget::update));
    // A row that shows nothing is no stop for Tab.
    setFocusPolicy(m_item ? Qt::TabFocus : Qt::NoFocus);
    update();
}

void TListItemView::setDetailFlag(bool detail)
{
    m_detail = detail;
    update();
}

QVector<QRect> TListItemView::columnRects() const
{
    return TListColumnDesc::layout(m_list->columns(), rect(), m_alternate, !m_hostedWidgets.isEmpty());
}

bool TListItemView::active() const
{
    return m_list && m_item && m_item->isEnabled();
}

void TListItemView::setPressState(int state)
{
    if (state == m_pressState)
        return;
    m_pressState = state;
    update();
}

void TListItemView::mousePressEvent(QMouseEvent *event)
{
    if (!active() || event->button() != Qt::LeftButton || !rect().contains(event->pos())) {
        event->ignore();
        return;
    }
    if (m_list->currentItem() != m_item)
        m_list->setCurrentItem(m_item, true);
    if (!m_item) { // the current-item change may have rebound this row
        event->accept();
        return;
    }
    const QVector<QRect> rects = columnRects();
    const int mode = m_list->mode();
    for (int i = 0; i < rects.size(); ++i) {
        if (rects[i].contains(event->pos()) && m_list->isCheckable()
            && (mode == 1 || m_list->columns().at(i)->type() == 4)) {
            m_hitRect = rects[i];
            setPressState(3);
            event->accept();
            return;
        }
    }
    if (mode < 1 || mode > 3) {
        m_hitRect = rect();
        setPressState(1);
    }
    event->accept();
}

void TListItemView::mouseMoveEvent(QMouseEvent *event)
{
    if (!active() || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    const bool inside = m_hitRect.contains(event->pos());
    if ((m_pressState == 1 || m_pressState == 3) && !inside)
        setPressState(m_pressState + 1);
    else if ((m_pressState == 2 || m_pressState == 4) && inside)
        setPressState(m_pressState - 1);
    event->accept();
}

void TListItemView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!active() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int state = m_pressState;
    setPressState(0);
    if (m_hitRect.contains(event->pos())) {
        if (state == 1)
            m_list->handleViewClicked(this);
        else if (state == 3 && m_list->isCheckable())
            m_list->handleViewCheckClicked(this);
    }
    event->accept();
}

void TListItemView::keyPressEvent(QKeyEvent *event)
{
    if (!active()) {
        event->ignore();
        return;
    }
    const int key = event->key();
    const int mode = m_list->mode();
    if (key == Qt::Key_Space || key == Qt::Key_Select || key == Qt::Key_Return) {
        if (event->isAutoRepeat()) {
            event->accept();
            return;
        }
        if (key == Qt::Key_Return) {
            if (!m_list->isCheckable()) {
                event->ignore();
                return;
            }
            setPressState(3);
        } else {
            setPressState((mode >= 1 && mode <= 3 && m_list->isCheckable()) ? 3 : 1);
        }
        event->accept();
        return;
    }
    event->ignore();
}

void TListItemView::keyReleaseEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (!active() || (key != Qt::Key_Space && key != Qt::Key_Select && key != Qt::Key_Return)
        || event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    const int state = m_pressState;
    setPressState(0);
    if (state == 3 && m_list->isCheckable())
        m_list->handleViewCheckClicked(this);
    else if (state == 1)
        m_list->handleViewClicked(this);
    event->accept();
}

void TListItemView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    m_list->setFocusPolicy(Qt::NoFocus);
}

void TListItemView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    m_list->setFocusPolicy(Qt::TabFocus);
}

void TListItemView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && m_pressState != 0)
        setPressState(0);
    QWidget::changeEvent(event);
}

void TListItemView::paintEvent(QPaintEvent *)
{
    if (!m_list || !m_item)
        return;
    QPainter painter(this);
    if (!m_item->isEnabled())
        painter.setOpacity(0.3);
    const int mode = m_list->mode();
    QStyleOptionButton option;
    option.initFrom(this);
    if (m_pressState == 1 || (m_pressState == 3 && mode == 1))
        option.state |= QStyle::State_Sunken;
    if (mode == 2 || mode == 3) {
        if (m_item == m_list->currentItem() && !m_alternate)
            option.state |= QStyle::State_On;
    } else if (m_detail) {
        option.state |= QStyle::State_On;
    }
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    if (m_item->isInvalid())
        painter.setOpacity(0.3);

    const QFont base = painter.font();
    QFont smallItalic = base;
    smallItalic.setPointSize(qMax(1, base.pointSize() - 4));
    smallItalic.setItalic(true);
    QFont large = base;
    large.setPointSize(18);
    QFont largeItalic = large;
    largeItalic.setPointSize(14);
    largeItalic.setItalic(true);
    QFont medium = base;
    medium.setPointSize(14);
    QFont mediumItalic = medium;
    mediumItalic.setPointSize(12);
    mediumItalic.setItalic(true);

    const QVector<QRect> rects = columnRects();
    const QStringList &texts = m_item->texts();
    int t = 0;
    for (int i = 0; i < rects.size(); ++i) {
        TListColumnDesc *column = m_list->columns().at(i);
        const QRect &r = rects[i];
        const int type = column->type();
        if (!column->isShown(m_alternate, !m_hostedWidgets.isEmpty())) {
            if (type != 4)
                ++t;
        } else if (type >= 0 && type <= 3) {
            if (t < texts.size()) {
                const QString text = texts[t++];
                if (type == 3) {
                    const QPixmap pixmap = TStyleSheet::instance()->getPixmap(text, true);
                    const int y = r.top() + (r.height() - pixmap.height()) / 2;
                    const int x = column->alignment() == 0 ? r.left() : r.left() + (r.width() - pixmap.width()) / 2;
                    painter.drawPixmap(x, y, pixmap);
                } else if (!(mode == 2 && m_alternate)) {
                    const bool empty = text.isEmpty();
                    const QFont fonts[3][2] = {{base, smallItalic}, {large, largeItalic}, {medium, mediumItalic}};
                    painter.setFont(fonts[type][empty ? 1 : 0]);
                    const QString shown = empty ? column->title() : text;
                    painter.drawText(r, column->alignment(),
                                     painter.fontMetrics().elidedText(shown, Qt::ElideRight, r.width()));
                    painter.setFont(base);
                }
            }
        } else if (type == 4) {
            if (m_list->isCheckable()) {
                const int pressed = m_pressState == 3 ? 1 : 0;
                const QPixmap box = TStyleSheet::instance()->getButtonPixmap(
                    QStringLiteral("zkgui_checkbox"), (m_item->isChecked() ? 2 : 0) + pressed, true);
                painter.drawPixmap(r.left(), r.top() + (r.height() - box.height()) / 2, box);
            }
        } else if (type == 5) {
            const int count = m_hostedWidgets.size();
            const int w = count ? r.width() / count : 0;
            for (int k = 0; k < count; ++k) {
                QWidget *hosted = m_hostedWidgets[k];
                hosted->setMinimumSize(w, r.height());
                hosted->setMaximumSize(w, r.height());
                hosted->setGeometry(r.left() + k * w, r.top(), w, r.height());
            }
        } else {
            qWarning() << "TListItemView::paintEvent: pColumnDesc->type is UNKNOWN!!!!!!!!!!!!!";
        }
        if (column->extraText())
            ++t;
    }
}
