#include "tpagescreen.h"

#include "tabstractsubwindow.h"
#include "tanimationpixmapwidget.h"
#include "tbuttonbar.h"
#include "tmainwindow.h"
#include "tpage.h"
#include "tstylesheet.h"
#include "ttouchkeyboard.h"

#include <QAbstractButton>
#include <QDebug>
#include <QGridLayout>
#include <QKeyEvent>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QVBoxLayout>

TPageScreen::TPageScreen(const QString &heading, QWidget *parent)
    : TScreen(heading, QString(), parent)
{
    m_buttonBar = new TButtonBar(this, false);
    m_buttonBar->setFixedHeight(80);
    m_separator = new QFrame(this);
    m_separator->setObjectName(QStringLiteral("pixmapHorizontalLineCenter"));
    m_separator->setFixedHeight(3);
    m_grid = new QGridLayout(this);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setSpacing(0);
    m_pageArea = new QWidget(this);
    m_pageArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *areaLayout = new QVBoxLayout(m_pageArea);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->setSpacing(0);
    m_grid->addWidget(m_pageArea, 0, 0);
    m_grid->addWidget(m_separator, 1, 0);
    m_grid->addWidget(m_buttonBar, 2, 0, Qt::AlignBottom);

    m_pixmapWidget = new TAnimationPixmapWidget(this);
    m_pixmapWidget->setObjectName(QStringLiteral("PageScreenAnimationPixmapWidget"));
    m_pixmapWidget->hide();
    m_frontOpacity = new QPropertyAnimation(m_pixmapWidget, "frontOpacity", this);
    m_frontOpacity->setStartValue(0.0);
    m_frontOpacity->setEndValue(1.0);
    m_frontOpacity->setDuration(300);
    m_frontOpacity->setEasingCurve(QEasingCurve::InQuad);
    m_frontGeometry = new QPropertyAnimation(m_pixmapWidget, "frontGeometry", this);
    m_frontGeometry->setDuration(400);
    m_frontGeometry->setEasingCurve(QEasingCurve::InQuad);
    m_middelGeometry = new QPropertyAnimation(m_pixmapWidget, "middelGeometry", this);
    m_middelGeometry->setDuration(400);
    m_middelGeometry->setEasingCurve(QEasingCurve::InQuad);
    m_group = new QParallelAnimationGroup(this);
    m_group->addAnimation(m_frontOpacity);
    m_group->addAnimation(m_frontGeometry);
    m_group->addAnimation(m_middelGeometry);
    m_slide = new QPropertyAnimation(this, "movePosX", this);
    m_slide->setDuration(400);
    m_slide->setEasingCurve(QEasingCurve::OutQuad);
    connect(m_group, &QAbstractAnimation::finished, this, &TPageScreen::handleAnimationFinished);
    connect(m_slide, &QAbstractAnimation::finished, this, &TPageScreen::handleAnimationFinished);
}

bool TPageScreen::isSliding() const
{
    return m_slide->state() == QAbstractAnimation::Running;
}

bool TPageScreen::isZooming() const
{
    return m_group->state() == QAbstractAnimation::Running;
}

void TPageScreen::registerAnimating()
{
    if (TMainWindow *main = TMainWindow::instance())
        main->addAnimatingWidget(this, SLOT(instantAnimationEnd()));
}

void TPageScreen::unregisterAnimating()
{
    if (TMainWindow *main = TMainWindow::instance())
        main->removeAnimatingWidget(this, SLOT(instantAnimationEnd()));
}

void TPageScreen::refreshStyle(QWidget *page)
{
    page->setStyleSheet(TStyleSheet::instance()->getStyleSheet());
    page->setStyleSheet(QString());
}

void TPageScreen::adopt(TPage *page)
{
    if (page->parentWidget() != m_pageArea)
        page->setParent(m_pageArea);
    page->setPageScreen(this);
}

void TPageScreen::finishChange(TPage *page)
{
    m_currentPage = page;
    if (page) {
        page->setFocus();
        setPageHeading(page->title());
    }
}

void TPageScreen::changePageNoAnimation(TPage *page)
{
    qDebug() << "TPageScreen::changePageNoAnimation: Start of function.";
    if (isSliding() || isZooming())
        instantAnimationEnd();
    if (page && page == m_currentPage) {
        if (!page->isActive())
            page->activate();
        return;
    }
    if (m_currentPage) {
        m_currentPage->deactivate();
        m_pageArea->layout()->removeWidget(m_currentPage);
        m_currentPage->hide();
        m_previousPage = m_currentPage;
    }
    if (page) {
        adopt(page);
        page->activate();
        page->setGeometry(m_pageArea->rect());
        refreshStyle(page);
        m_pageArea->layout()->addWidget(page);
        page->show();
    }
    finishChange(page);
}

void TPageScreen::changePageMovedToSide(TPage *page, bool fromLeft)
{
    if (!page)
        return;
    if (page == m_currentPage) {
        if (!page->isActive())
            page->activate();
        return;
    }
    const bool opposite = isSliding()
        && ((m_slide->direction() == QAbstractAnimation::Backward && !fromLeft)
            || (m_slide->direction() == QAbstractAnimation::Forward && fromLeft));
    if (opposite && page == m_previousPage) {
        qDebug() << "TPageScreen::changePageMovedToSide: Change direction";
        m_slide->pause();
        m_currentPage->deactivate();
        m_previousPage = m_currentPage;
        m_slide->setDirection(fromLeft ? QAbstractAnimation::Backward : QAbstractAnimation::Forward);
        page->activate();
        page->show();
        m_currentPage = page;
        m_slide->resume();
    } else {
        if (isSliding() || isZooming())
            instantAnimationEnd();
        qDebug() << "TPageScreen::changePageMovedToSide: new page";
        const int W = m_pageArea->width();
        if (m_currentPage) {
            m_currentPage->deactivate();
            m_pageArea->layout()->removeWidget(m_currentPage);
            m_previousPage = m_currentPage;
        }
        m_slide->setStartValue(0);
        m_slide->setEndValue(-W);
        adopt(page);
        page->setGeometry(m_pageArea->rect().translated(fromLeft ? -W : W, 0));
        m_slide->setDirection(fromLeft ? QAbstractAnimation::Backward : QAbstractAnimation::Forward);
        page->activate();
        refreshStyle(page);
        page->show();
        m_currentPage = page;
        m_slide->start();
        registerAnimating();
    }
    finishChange(page);
}

void TPageScreen::setMovePosX(int x)
{
    m_movePosX = x;
    if (m_slide->state() == QAbstractAnimation::Stopped) {
        qDebug() << "TPageScreen::setMovePosX: not started";
        return;
    }
    TPage *current = m_currentPage;
    TPage *previous = m_previousPage;
    auto place = [](QWidget *w, int left) {
        if (w)
            w->setGeometry(left, w->y(), w->width(), w->height());
    };
    if (m_slide->direction() == QAbstractAnimation::Forward) {
        place(previous, x);
        place(current, x + (current ? current->width() : 0));
    } else {
        place(current, x);
        place(previous, x + (previous ? previous->width() : 0));
    }
}

void TPageScreen::changePageFromPixmapScaled(TPage *page, const QPixmap &picture, bool zoomOut, const QRect &fromRect,
                                             const QRect &toRect)
{
    if (!page)
        return;
    if (page == m_currentPage) {
        if (!page->isActive())
            page->activate();
        return;
    }
    const bool wasRunning = isZooming();
    if (isSliding())
        instantAnimationEnd();
    qDebug() << "TPageScreen::changePageFromPixmapScaled(TPage*, QPixmap, bool, QRect, QRect): zoomOut" << zoomOut;
    if (wasRunning)
        m_group->pause();

    const QRect R = m_currentPage ? m_currentPage->geometry() : QRect(0, 0, 800, 520);
    QPixmap oldShot(R.size());
    oldShot.fill(Qt::transparent);
    QRect S;
    if (m_currentPage) {
        m_currentPage->deactivate();
        m_currentPage->render(&oldShot, QPoint(), QRegion(), QWidget::DrawChildren);
        m_pageArea->layout()->removeWidget(m_currentPage);
        m_currentPage->hide();
        m_previousPage = m_currentPage;
        if (zoomOut)
            S = m_previousPage->getSelectedRect();
    }
    adopt(page);
    page->setGeometry(R);
    page->activate();
    refreshStyle(page);
    QPixmap newShot(R.size());
    newShot.fill(Qt::transparent);
    page->render(&newShot, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    page->render(&newShot, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    if (!zoomOut) {
        S = page->getSelectedRect();
        m_pixmapWidget->setPixmaps(oldShot, newShot);
        m_group->setDirection(QAbstractAnimation::Backward);
    } else {
        m_pixmapWidget->setPixmaps(newShot, oldShot);
        m_group->setDirection(QAbstractAnimation::Forward);
    }
    m_pixmapWidget->setMiddlePixmap(picture);
    m_frontGeometry->setStartValue(S);
    m_frontGeometry->setEndValue(R);
    m_middelGeometry->setStartValue(fromRect);
    m_middelGeometry->setEndValue(toRect);
    if (wasRunning) {
        m_group->resume();
    } else {
        if (!zoomOut) {
            m_pixmapWidget->setFrontGeometry(R);
            m_pixmapWidget->setMiddelGeometry(toRect);
            m_pixmapWidget->setFrontOpacity(1.0);
        } else {
            m_pixmapWidget->setFrontGeometry(S);
            m_pixmapWidget->setMiddelGeometry(fromRect);
            m_pixmapWidget->setFrontOpacity(0.0);
        }
        registerAnimating();
        m_group->start();
    }
    m_pageArea->layout()->addWidget(m_pixmapWidget);
    m_pixmapWidget->show();
    finishChange(page);
}

void TPageScreen::handleAnimationFinished()
{
    if (isSliding() || isZooming())
        return;
    unregisterAnimating();
    qDebug() << "TPageScreen::handleAnimationFinished: Animation completed";
    const bool before = isSliding() || isZooming();
    ++m_completionDepth;
    const int depth = m_completionDepth;
    emit animationCompleted();
    // A receiver that started a new change owns the arrangement now.
    if (depth != m_completionDepth || before != (isSliding() || isZooming()))
        return;
    qDebug() << "TPageScreen::handleAnimationFinished: animation stopped";
    if (m_currentPage) {
        m_pageArea->layout()->addWidget(m_currentPage);
        m_currentPage->show();
    }
    if (m_previousPage && m_previousPage != m_currentPage)
        m_previousPage->hide();
    m_pageArea->layout()->removeWidget(m_pixmapWidget);
    m_pixmapWidget->hide();
    // The settled page gets its place now, not at the next layout pass.
    m_pageArea->layout()->activate();
}

void TPageScreen::instantAnimationEnd()
{
    qDebug() << "TPageScreen::instantAnimationEnd: Start of function.";
    if (isSliding() || isZooming() || m_slide->state() == QAbstractAnimation::Paused
        || m_group->state() == QAbstractAnimation::Paused) {
        m_slide->stop();
        m_group->stop();
        handleAnimationFinished();
    }
    unregisterAnimating();
}

int TPageScreen::getAnimationState() const
{
    if (m_slide->state() != QAbstractAnimation::Stopped)
        return m_slide->direction() == QAbstractAnimation::Forward ? SlideForward : SlideBackward;
    if (m_group->state() != QAbstractAnimation::Stopped)
        return m_group->direction() == QAbstractAnimation::Forward ? ZoomOut : ZoomIn;
    return NoAnimation;
}

void TPageScreen::activate()
{
    if (m_firstPage && m_firstPage != m_currentPage)
        changePageNoAnimation(m_firstPage);
    else if (m_currentPage)
        m_currentPage->activate();
    TScreen::activate();
}

void TPageScreen::deactivate()
{
    if (m_currentPage)
        m_currentPage->deactivate();
    TScreen::deactivate();
}

void TPageScreen::refreshScreen()
{
    if (m_currentPage)
        m_currentPage->refreshPage();
    else
        resetScreen();
}

void TPageScreen::resetScreen()
{
    if (!m_firstPage)
        return;
    if (m_firstPage == m_currentPage)
        m_currentPage->resetPage();
    else
        changePageNoAnimation(m_firstPage);
}

void TPageScreen::hideTouchKeyboard()
{
    if (m_keyboard)
        m_keyboard->hideKeyboard(HIDDING_REASON_REQUEST);
}

void TPageScreen::handlePageSelected(TPage *pSelectedPage)
{
    if (!isEnabled()) {
        if (m_currentPage && m_currentPage->pageButton())
            m_currentPage->pageButton()->setChecked(true);
        return;
    }
    if (!pSelectedPage)
        return;
    if (pSelectedPage == m_currentPage) {
        m_currentPage->resetPage();
        m_currentPage->setFocus();
        return;
    }
    bool fromLeft = false;
    if (m_pageButtonLayout && m_currentPage && pSelectedPage->pageButton() && m_currentPage->pageButton())
        fromLeft = m_pageButtonLayout->indexOf(pSelectedPage->pageButton())
            < m_pageButtonLayout->indexOf(m_currentPage->pageButton());
    changePageMovedToSide(pSelectedPage, fromLeft);
}

void TPageScreen::focusInEvent(QFocusEvent *event)
{
    TScreen::focusInEvent(event);
    if (m_currentPage)
        m_currentPage->setFocus();
}

void TPageScreen::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_keyboard && m_keyboard->isVisible())
            m_keyboard->hideKeyboard(HIDDING_REASON_OWN_KEY_EVENT_MISSING);
        else
            handleHomeSelected();
        event->accept();
    } else if (const int step = TAbstractSubWindow::focusStep(event->key())) {
        event->setAccepted(focusNextPrevChild(step > 0));
    } else {
        if (m_keyboard && m_keyboard->isVisible())
            m_keyboard->isOwnKeyEvent(event);
        event->ignore();
    }
}

void TPageScreen::keyReleaseEvent(QKeyEvent *event)
{
    event->setAccepted(TAbstractSubWindow::isWindowKey(event->key()));
}
