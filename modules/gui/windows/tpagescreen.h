#pragma once

#include "tscreen.h"

#include <QPointer>

class QGridLayout;
#include <QLayout>
class QParallelAnimationGroup;
class QPropertyAnimation;
class TAnimationPixmapWidget;
class TButtonBar;
class TPage;
#include "ttouchkeyboard.h"

// A screen that shows one page at a time above a button bar and changes
// pages at once, by sliding, or by a zoom through a selected element.
class TPageScreen : public TScreen
{
    Q_OBJECT
    Q_PROPERTY(int movePosX READ movePosX WRITE setMovePosX)
public:
    enum AnimationState { NoAnimation = 0, SlideForward = 1, SlideBackward = 2, ZoomOut = 3, ZoomIn = 4 };

    explicit TPageScreen(const QString &heading, QWidget *parent = nullptr);

    void changePageNoAnimation(TPage *page);
    void changePageMovedToSide(TPage *page, bool fromLeft);
    void changePageFromPixmapScaled(TPage *page, const QPixmap &picture, bool zoomOut, const QRect &fromRect,
                                    const QRect &toRect);

    void activate() override;
    void deactivate() override;
    void hideTouchKeyboard();
    int getAnimationState() const;

    int movePosX() const { return m_movePosX; }
    void setMovePosX(int x);

    TButtonBar *buttonBar() const { return m_buttonBar; }
    TPage *currentPage() const { return m_currentPage; }
    TPage *previousPage() const { return m_previousPage; }
    QWidget *pageArea() const { return m_pageArea; }
    TAnimationPixmapWidget *pixmapWidget() const { return m_pixmapWidget; }
    QParallelAnimationGroup *zoomGroup() const { return m_group; }
    QPropertyAnimation *slideAnimation() const { return m_slide; }
    void setFirstPage(TPage *page) { m_firstPage = page; }
    TPage *firstPage() const { return m_firstPage; }
    void setTouchKeyboard(TTouchKeyboard *keyboard) { m_keyboard = keyboard; }
    void setPageButtonLayout(QLayout *layout) { m_pageButtonLayout = layout; }

signals:
    void animationCompleted();

public slots:
    void resetScreen() override;
    void refreshScreen() override;
    void handlePageSelected(TPage *pSelectedPage);
    void handleAnimationFinished();
    void instantAnimationEnd();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void finishChange(TPage *page);
    void adopt(TPage *page);
    static void refreshStyle(QWidget *page);
    bool isSliding() const;
    bool isZooming() const;
    void registerAnimating();
    void unregisterAnimating();

    TButtonBar *m_buttonBar;
    QPointer<TPage> m_firstPage;
    QPointer<TTouchKeyboard> m_keyboard;
    QPointer<TPage> m_currentPage;
    QPointer<TPage> m_previousPage;
    QFrame *m_separator;
    QGridLayout *m_grid;
    QWidget *m_pageArea;
    TAnimationPixmapWidget *m_pixmapWidget;
    QPropertyAnimation *m_frontOpacity;
    QPropertyAnimation *m_frontGeometry;
    QPropertyAnimation *m_middelGeometry;
    QParallelAnimationGroup *m_group;
    QPropertyAnimation *m_slide;
    int m_movePosX = 0;
    QPointer<QLayout> m_pageButtonLayout;
    int m_completionDepth = 0;
};
