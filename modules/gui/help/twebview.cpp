#include "twebview.h"

#include "twebviewscroll.h"

#include <QKeyEvent>

TWebView::TWebView(TWebViewScroll *parent)
    : QWebView(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform
                   | QPainter::HighQualityAntialiasing);
}

void TWebView::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

static bool isScrollKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

void TWebView::keyPressEvent(QKeyEvent *event)
{
    if (isScrollKey(event->key())) {
        event->ignore();
        return;
    }
    QWebView::keyPressEvent(event);
}

void TWebView::keyReleaseEvent(QKeyEvent *event)
{
    if (isScrollKey(event->key())) {
        event->ignore();
        return;
    }
    QWebView::keyReleaseEvent(event);
}
