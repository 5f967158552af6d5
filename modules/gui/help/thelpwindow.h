#pragma once

#include "tabstractsubwindow.h"

#include <QUrl>

class TWebViewScroll;
class TWindowTopPanel;

// The help window: a top panel with Home and Close over a web view. It is
// shown as a top-level window of its own and remembers its geometry.
class THelpWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit THelpWindow(const QUrl &home);

    void setUrl(const QUrl &url);
    bool isClosingWindow() const { return m_closingWindow; }
    TWebViewScroll *webView() const { return m_webView; }
    TWindowTopPanel *topPanel() const { return m_topPanel; }

    // The stored rectangle brought into the available area of its screen.
    static QRect fitIntoArea(QRect rect, const QRect &area);

public slots:
    void handleHomeSelected();
    void handleLoadStarted();
    void handleLoadFinished(bool ok);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void restoreGeometryFromSettings();
    void saveGeometryToSettings();
    void forwardKey(QKeyEvent *event, bool &forwarding);

    TWebViewScroll *m_webView;
    QUrl m_home;
    TWindowTopPanel *m_topPanel;
    bool m_closingWindow = false;
};
