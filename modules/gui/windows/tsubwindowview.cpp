#include "tsubwindowview.h"

#include "tabstractsubwindow.h"
#include "tmainwindow.h"
#include "tsubwindowborder.h"
#include "ttouchkeyboard.h"

#include <QCloseEvent>
#include <QDebug>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
const char instantEndSlot[] = "1instantAnimationEnd()";
}

QList<TSubWindowView *> &TSubWindowView::freeViews()
{
    static QList<TSubWindowView *> pool;
    return pool;
}

TSubWindowView::TSubWindowView()
    : TWindowView(nullptr)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_windowArea = new QFrame(this);
    m_windowArea->setObjectName(QStringLiteral("WindowArea"));
    m_windowArea->setFrameShape(QFrame::NoFrame);
    m_windowArea->setFrameShadow(QFrame::Plain);
    layout->addWidget(m_windowArea);
    m_keyboard = new TTouchKeyboard(false, this);
    layout->addWidget(m_keyboard);
    connect(m_keyboard, &TTouchKeyboard::heightChanged, this, &TSubWindowView::handleKeyboardHeightChanged);

    m_border = new TSubWindowBorder(m_windowArea);
    auto *grid = new QGridLayout(m_border);
    grid->setSpacing(0);
    grid->setContentsMargins(25, 25, 25, 25);
    m_scrollArea = new QScrollArea(m_border);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setFrameShadow(QFrame::Plain);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(m_scrollArea, 1, 1, 1, 1);
    m_scrollArea->setVisible(true);

    m_animation = new QPropertyAnimation(this, "frontGeometry", this);
    m_animation->setDuration(400);
    connect(m_animation, &QPropertyAnimation::finished, this, &TSubWindowView::updateShowFinished);
    hide();
}

TSubWindowView::~TSubWindowView()
{
    // A hosted window is a descendant and dies after this point.
    if (m_window) {
        disconnect(m_window, &QObject::destroyed, this, &TSubWindowView::handleWindowDestroy);
        m_window->m_view = nullptr; // so that it does not hand this view back to the pool
    }
    freeViews().removeAll(this);
}

void TSubWindowView::setWindow(TAbstractSubWindow *window)
{
    m_window = window;
    m_windowObject = window;
    connect(window, &QObject::destroyed, this, &TSubWindowView::handleWindowDestroy, Qt::UniqueConnection);
    m_scrollArea->setWidget(window);
    window->setVisible(true);
}

int TSubWindowView::isDistress() const
{
    return m_window ? m_window->isDistress() : 0;
}

bool TSubWindowView::hostsEventInfoWindow() const
{
    return m_window && TAbstractSubWindow::openEventInfoWindows().contains(m_window.data());
}

QPixmap TSubWindowView::renderBorder(const QRect &rect)
{
    m_border->setGeometry(rect);
    if (QLayout *layout = m_border->layout())
        layout->activate();
    QPixmap pixmap(rect.size().expandedTo(QSize(1, 1)));
    pixmap.fill(QColor(0, 0, 0, 0));
    m_border->render(&pixmap, QPoint(), QRegion(), QWidget::DrawChildren);
    return pixmap;
}

void TSubWindowView::showWindow(TAbstractSubWindow *window, const QPoint &start, const QPoint &end,
                                const QSize &size, QWidget *pExtra)
{
    setWindow(window);
    const int mode = window->keyboardMode();
    if (mode & 1) {
        m_keyboardInUse = true;
        m_keyboard->setUserHideable(false);
    } else if (mode & 2) {
        m_keyboardInUse = true;
        m_keyboard->setUserHideable(true);
    } else {
        m_keyboardInUse = false;
    }
    m_endRect = QRect(end.x() - 25, end.y() - 25, size.width() + 50, size.height() + 50);
    window->setParent(m_scrollArea->viewport());
    m_scrollArea->setWidget(window);
    window->setVisible(true);
    m_border->setDistress(window->isDistress() == 1);
    m_border->hide();

    const int kind = window->animationKind();
    switch (kind) {
    case 1:
        m_startRect = QRect(start.x() - 25, start.y() - 25, size.width() + 50, size.height() + 50);
        m_animation->setEasingCurve(QEasingCurve::OutQuad);
        break;
    case 2:
        m_startRect = QRect(start.x(), start.y(), 0, 0);
        m_animation->setEasingCurve(QEasingCurve::InQuad);
        break;
    case 3:
        m_startRect = window->isUnfoldDownwards()
            ? QRect(start.x() - 25, start.y() - 25, size.width() + 50, 50)
            : QRect(start.x() - 25, start.y() - 25, 50, size.height() + 50);
        m_animation->setEasingCurve(QEasingCurve::OutQuad);
        break;
    default:
        m_startRect = QRect();
        break;
    }

    if (m_extra)
        m_extra->deleteLater();
    m_extra = pExtra;
    if (pExtra) {
        const QRect geometry = pExtra->geometry();
        pExtra->setParent(this);
        pExtra->setGeometry(geometry);
        pExtra->show();
    }

    window->setGeometry(QRect(QPoint(0, 0), size));
    m_animation->stop();

    QPixmap rendered;
    if (kind != 0) {
        rendered = renderBorder(kind == 2 ? m_endRect : m_startRect);
        m_animation->setStartValue(m_startRect);
        m_animation->setEndValue(m_endRect);
    }

    TMainWindow *main = TMainWindow::instance();
    if (m_keyboardInUse && main && main->isTopViewKeyboardVisible())
        m_keyboard->showKeyboard(false);
    else
        m_keyboard->hide();

    if (kind != 0) {
        setFrontPixmap(QPixmap());
        setTranslucentOverlay();
        const bool onTop = main ? main->addSubWindowView(this, true) : true;
        if (onTop) {
            m_border->hide();
            setFrontPixmap(rendered);
            m_animation->start();
        } else {
            instantAnimationEnd();
        }
    } else {
        m_border->setGeometry(m_endRect);
        if (main)
            main->addSubWindowView(this, false);
        m_border->show();
    }
    window->setFocus(Qt::OtherFocusReason);
}

void TSubWindowView::setFrontGeometry(const QRect &rect)
{
    if (m_window && m_window->animationKind() == 3 && m_animation->state() == QAbstractAnimation::Running
        && rect.isValid())
        setFrontPixmap(renderBorder(rect));
    TWindowView::setFrontGeometry(rect);
}

void TSubWindowView::stopAnimation()
{
    if (m_animation->state() == QAbstractAnimation::Running) {
        m_animation->stop();
        if (TMainWindow::instance())
            TMainWindow::instance()->removeAnimatingWidget(this, instantEndSlot);
    }
}

void TSubWindowView::instantAnimationEnd()
{
    m_animation->stop();
    if (m_window && (m_window->keyboardMode() & 1))
        m_keyboard->showKeyboard(false);
    updateShowFinished();
}

void TSubWindowView::updateShowFinished()
{
    if (m_window && (m_window->keyboardMode() & 1) && !m_keyboard->isVisible())
        m_keyboard->showKeyboard(true);
    setFrontPixmap(QPixmap());
    setMiddelOpacity(1.0);
    m_border->setGeometry(m_endRect);
    m_border->show();
    if (TMainWindow::instance())
        TMainWindow::instance()->removeAnimatingWidget(this, instantEndSlot);
}

void TSubWindowView::handleKeyboardHeightChanged(int height)
{
    const QRect r = m_border->geometry();
    int y = r.y();
    int h = r.height();
    const int d = 613 - y - h - height;
    if (d < 0) {
        int overlap = -d;
        if (y > 37) {
            const int move = qMin(overlap, y - 37);
            y -= move;
            overlap -= move;
        }
        h -= overlap;
    } else if (m_endRect.height() > h) {
        h = qMin(h + d, m_endRect.height());
    }
    m_border->setGeometry(r.x(), y, r.width(), h);
    if (m_window) {
        if (!m_heightsFixed) {
            m_heightsFixed = true;
            m_savedMinimumHeight = m_window->minimumHeight();
            m_savedMaximumHeight = m_window->maximumHeight();
        }
        m_window->setMinimumHeight(h - 50);
        m_window->setMaximumHeight(h - 50);
    }
}

void TSubWindowView::restoreWindowHeights()
{
    // The keyboard fixed the window's height only for this showing.
    if (m_heightsFixed && m_window) {
        m_window->setMinimumHeight(m_savedMinimumHeight);
        m_window->setMaximumHeight(m_savedMaximumHeight);
    }
    m_heightsFixed = false;
}

void TSubWindowView::releaseKeyboard()
{
    if (m_keyboardInUse) {
        m_keyboard->hideKeyboard(HIDDING_REASON_REQUEST);
        m_keyboard->setKeyboardCharacterSet(KEYBOARD_CHARACTER_SET_ASCII);
    }
}

void TSubWindowView::handleWindowDestroy(QObject *object)
{
    qDebug() << "TSubWindowView::handleWindowDestroy:" << object;
    // Compared as a plain object: the window is no longer a sub-window here.
    if (m_windowObject && object != m_windowObject)
        return;
    if (TMainWindow::instance())
        TMainWindow::instance()->removeSubWindowView(this);
    // The window is being destroyed: the scroll area forgets it by itself, and
    // taking it out (which re-parents it) would touch a half-destroyed widget.
    stopAnimation();
    m_heightsFixed = false;
    m_window = nullptr;
    m_windowObject = nullptr;
    releaseKeyboard();
}

void TSubWindowView::closeEvent(QCloseEvent *event)
{
    m_closing = true;
    if (TAbstractSubWindow *window = m_window.data()) {
        if (TMainWindow::instance())
            TMainWindow::instance()->removeSubWindowView(this);
        m_scrollArea->takeWidget();
        stopAnimation();
        restoreWindowHeights();
        if (!window->isClosing())
            window->close();
        window->setParent(nullptr);
        disconnect(window, &QObject::destroyed, this, &TSubWindowView::handleWindowDestroy);
        m_window = nullptr;
        m_windowObject = nullptr;
        releaseKeyboard();
    }
    TWindowView::closeEvent(event);
    m_closing = false;
}

void TSubWindowView::keyPressEvent(QKeyEvent *event)
{
    // The keys of the hosted window, with Escape closing the view.
    if (m_window && m_window->isEnabled())
        event->setAccepted(m_window->handleWindowKey(event, this));
}

void TSubWindowView::keyReleaseEvent(QKeyEvent *event)
{
    if (m_window && m_window->isEnabled())
        event->setAccepted(m_window->handleWindowKey(event, this));
}

void TSubWindowView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_window && m_window->inherits("TOptionMenuWindow")) {
        close();
        return;
    }
    event->ignore();
}

void TSubWindowView::resizeEvent(QResizeEvent *event)
{
    TWindowView::resizeEvent(event);
    const QSize size = event->size();
    if (size.width() < 800 || event->oldSize().width() < 800)
        return;
    if (m_window && m_window->inherits("TOptionMenuWindow")) {
        close();
        qDebug() << "TSubWindowView::resizeEvent: Menu windows closed";
        return;
    }
    QRect r = m_border->geometry();
    bool moved = false;
    if (r.x() + r.width() - 13 > size.width()) {
        r.moveLeft(size.width() - r.width() + 13);
        moved = true;
    }
    if (r.y() + r.height() - 13 > size.height()) {
        r.moveTop(size.height() - r.height() + 13);
        moved = true;
    }
    if (moved) {
        m_border->setGeometry(r);
        qDebug() << "TSubWindowView::resizeEvent: Sub-windows moved to stay visible";
    }
}

void TSubWindowView::setBackgroundSnapshot(const QPixmap &pixmap)
{
    m_overlay = false;
    setBackgroundPixmap(pixmap);
    setMiddlePixmap(QPixmap());
}

void TSubWindowView::setTranslucentOverlay()
{
    m_overlay = true;
    setBackgroundPixmap(QPixmap());
    setMiddlePixmap(QPixmap());
}

void TSubWindowView::paintEvent(QPaintEvent *event)
{
    if (!m_overlay) {
        TWindowView::paintEvent(event);
        return;
    }
    if (!isEnabled())
        return;
    QPainter painter(this);
    painter.setPen(QColor(0, 0, 0, 160));
    painter.setBrush(QColor(0, 0, 0, 160));
    painter.drawRect(rect());
    // The front pixmap carries the opening animation.
    if (!frontPixmap().isNull())
        painter.drawPixmap(frontGeometry(), frontPixmap());
}
