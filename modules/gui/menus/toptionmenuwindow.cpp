#include "toptionmenuwindow.h"

#include "tabstractmenushower.h"
#include "tmainwindow.h"
#include "toption.h"
#include "toptionbutton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDebug>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

QList<TOptionMenuWindow *> &TOptionMenuWindow::freeWindows()
{
    static QList<TOptionMenuWindow *> pool;
    return pool;
}

TOptionMenuWindow::TOptionMenuWindow()
    : TAbstractSubWindow(3, 0)
    , m_deferTimer(new QTimer(this))
    , m_headingLabel(new QLabel(this))
    , m_headingLine(new QFrame(this))
    , m_grid(new QGridLayout)
{
    m_deferTimer->setInterval(1);
    m_deferTimer->setSingleShot(true);
    connect(m_deferTimer, &QTimer::timeout, this, &TOptionMenuWindow::animateEndTimeoutHandler);
    m_headingLabel->setObjectName(QStringLiteral("headingLabel"));
    m_headingLabel->setWordWrap(true);
    m_headingLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    m_headingLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_headingLine->setObjectName(QStringLiteral("horizontalLineCenter"));
    m_headingLine->setFixedHeight(1);
    m_grid->setSpacing(0);
    m_grid->setContentsMargins(0, 0, 0, 0);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_headingLabel);
    layout->addWidget(m_headingLine);
    layout->addLayout(m_grid);
}

TOptionMenuWindow::~TOptionMenuWindow()
{
    freeWindows().removeAll(this);
    delete m_menuButton;
}

void TOptionMenuWindow::showMenu(TAbstractMenuShower *shower)
{
    QList<TOptionMenuWindow *> &pool = freeWindows();
    TOptionMenuWindow *window = pool.isEmpty() ? new TOptionMenuWindow : pool.takeLast();
    window->showOptions(shower);
}

void TOptionMenuWindow::abortShow()
{
    qDebug() << "TOptionMenuWindow::showOptions: Option window show aborted, free window";
    if (!freeWindows().contains(this))
        freeWindows().append(this);
}

QSize TOptionMenuWindow::gridShape(int n, int availableHeight)
{
    if (n <= 0)
        return QSize(1, 1);
    // A window lower than one entry still shows one row per column.
    const int fit = qMax(1, availableHeight / 58);
    const int columns = (n - 1) / fit + 1;
    const int rows = (n - 1) / columns + 1;
    return QSize(columns, rows);
}

void TOptionMenuWindow::showOptions(TAbstractMenuShower *shower)
{
    TMainWindow *main = TMainWindow::instance();
    if (main && main->isAnimating()) {
        if (m_pending == shower) {
            abortShow();
            return;
        }
        m_pending = shower;
        m_pendingWidget = shower->showerWidget();
        main->forceAnimationCompletion();
        m_deferTimer->start();
        return;
    }

    if (m_menuButton)
        m_menuButton->deleteLater();
    QWidget *copy = shower->createMenuButton(this, shower->direction());
    if (!copy) {
        abortShow();
        return;
    }
    m_menuButton = copy;
    const bool byKeyboard = shower->openedByKeyboard();
    TOption *option = shower->option();
    const QList<TOption *> children = option ? option->children() : QList<TOption *>();
    const int gx = copy->geometry().x();
    const int gy = copy->geometry().y();
    const int W = copy->width();
    const int H = copy->height();
    const int MW = main ? main->width() : 800;
    const int MH = main ? main->height() : 600;
    const int direction = shower->direction();

    QSize maxSize;
    if (direction == 0) {
        setMinimumSize(W, 0);
        maxSize = QSize(MW - 25, gy);
    } else if (direction == 1) {
        setMinimumSize(W, 0);
        maxSize = QSize(MW - 25, MH - gy - H);
    } else {
        setMinimumSize(0, H);
        maxSize = QSize(qMax(gx, MW - gx - W), MH - 25);
    }
    setMaximumSize(maxSize);

    int available = maxSize.height();
    if (option && !option->heading().isEmpty()) {
        m_headingLabel->setText(option->heading());
        m_headingLabel->show();
        m_headingLine->show();
        available -= m_headingLabel->sizeHint().height() + m_headingLine->height();
    } else {
        m_headingLabel->hide();
        m_headingLine->hide();
    }

    for (TOptionButton *entry : qAsConst(m_entries)) {
        entry->hide();
        entry->setOption(nullptr);
        m_grid->removeWidget(entry);
    }
    const QSize shape = gridShape(children.size(), available);
    m_columns = shape.width();
    m_rows = shape.height();
    for (int i = 0; i < children.size(); ++i) {
        TOptionButton *entry;
        if (i < m_entries.size()) {
            entry = m_entries.at(i);
            entry->setOption(children.at(i));
        } else {
            entry = new TOptionButton(children.at(i), this, TOptionButton::MenuButton);
            entry->setDirection(TAbstractMenuShower::ToTheRight);
            m_entries.append(entry);
            connect(entry, &TOptionButton::leafSelected, this, &QWidget::close);
        }
        m_grid->addWidget(entry, i % m_rows, i / m_rows);
        entry->show();
    }
    for (int c = 0; c < 4; ++c)
        m_grid->setColumnMinimumWidth(c, c < m_columns ? 180 : 0);

    const QSize size = windowSize();
    const int W2 = size.width();
    const int H2 = size.height();
    int x = gx;
    int y = gy;
    if (direction == 0 || direction == 1) {
        if (gx + W2 + 12 >= MW)
            x = MW - W2 - 12;
        if (x < 12)
            x = 12;
    } else {
        if (gy + H2 + 12 >= MH)
            y = MH - H2 - 12;
        if (y < 12)
            y = 12;
    }

    QPoint start, end;
    switch (direction) {
    case 0:
        end = QPoint(x, gy - H2);
        start = QPoint(x, gy);
        break;
    case 1:
        end = start = QPoint(x, gy + H);
        break;
    case 3:
        if (gx + W + W2 > MW) {
            delete m_menuButton;
            m_menuButton = shower->createMenuButton(this, TAbstractMenuShower::ToTheLeft);
            end = QPoint(gx - W2, y);
            start = QPoint(gx, y);
        } else {
            end = start = QPoint(gx + W, y);
        }
        break;
    default:
        if (gx - W2 < 0) {
            delete m_menuButton;
            m_menuButton = shower->createMenuButton(this, TAbstractMenuShower::ToTheRight);
            const int w2 = m_menuButton ? m_menuButton->width() : W;
            end = start = QPoint(gx + w2, y);
        } else {
            end = QPoint(gx - W2, y);
            start = QPoint(gx, y);
        }
        break;
    }
    setUnfoldDownwards(direction == 0 || direction == 1);
    showWindow(start, end, m_menuButton);
    if (byKeyboard && !m_entries.isEmpty() && !children.isEmpty())
        m_entries.first()->setFocus(Qt::OtherFocusReason);
}

void TOptionMenuWindow::animateEndTimeoutHandler()
{
    TAbstractMenuShower *shower = m_pending;
    if (shower && m_pendingWidget && QApplication::allWidgets().contains(m_pendingWidget.data()))
        showOptions(shower);
    else if (shower)
        abortShow();
    m_pending = nullptr;
    m_pendingWidget = nullptr;
}

void TOptionMenuWindow::clickMenuButton()
{
    if (auto *button = qobject_cast<QAbstractButton *>(m_menuButton.data()))
        button->animateClick(100);
    else
        close();
}

bool TOptionMenuWindow::focusedCell(int *row, int *column) const
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return false;
    const int index = m_grid->indexOf(focus);
    if (index < 0)
        return false;
    int rs, cs;
    m_grid->getItemPosition(index, row, column, &rs, &cs);
    return true;
}

void TOptionMenuWindow::keyPressEvent(QKeyEvent *event)
{
    int row = 0, column = 0;
    switch (event->key()) {
    case Qt::Key_Escape:
        clickMenuButton();
        break;
    case Qt::Key_Tab:
    case Qt::Key_Down:
        focusNextChild();
        break;
    case Qt::Key_Backtab:
    case Qt::Key_Up:
        focusPreviousChild();
        break;
    case Qt::Key_Right:
        if (focusedCell(&row, &column) && column + 1 < m_columns) {
            if (QLayoutItem *item = m_grid->itemAtPosition(row, column + 1))
                if (item->widget() && item->widget()->isVisible())
                    item->widget()->setFocus(Qt::OtherFocusReason);
        }
        break;
    case Qt::Key_Left: {
        QLayoutItem *item = nullptr;
        if (focusedCell(&row, &column) && column > 0)
            item = m_grid->itemAtPosition(row, column - 1);
        if (item && item->widget() && item->widget()->isVisible())
            item->widget()->setFocus(Qt::OtherFocusReason);
        else
            clickMenuButton();
        break;
    }
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void TOptionMenuWindow::keyReleaseEvent(QKeyEvent *event)
{
    // Return and Space belong to the focused entry.
    event->setAccepted(isWindowKey(event->key()));
}

void TOptionMenuWindow::closeEvent(QCloseEvent *event)
{
    TAbstractSubWindow::closeEvent(event);
    if (!freeWindows().contains(this)) {
        qDebug() << "TOptionMenuWindow::closeEvent: free option window";
        freeWindows().append(this);
    } else {
        qDebug() << "TOptionMenuWindow::closeEvent: !!!!!! Option window allready free";
    }
}
