#pragma once

#include <QWebView>

class TWebViewScroll;

// The web view inside a TWebViewScroll: scrolling keys and the wheel go to
// the scroll area.
class TWebView : public QWebView
{
    Q_OBJECT
public:
    explicit TWebView(TWebViewScroll *parent);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};
