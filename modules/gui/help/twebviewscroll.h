#pragma once

#include <QAbstractScrollArea>
#include <QUrl>

class QWebFrame;
class TFadeBoarder;
class TWebView;

// An HTML page in the framework's look: the web view's own scroll bars are
// off, the scroll area's vertical scroll bar follows the page, and fades at
// the upper and lower edge tell that more lies beyond.
class TWebViewScroll : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TWebViewScroll(const QUrl &url, QWidget *parent = nullptr);

    void setUrl(const QUrl &url);
    TWebView *webView() const { return m_webView; }
    QWebFrame *mainFrame() const { return m_mainFrame; }
    TFadeBoarder *fadeBoarder() const { return m_fadeBoarder; }
    // The style sheet every page is shown with, in the colours of the
    // style-sheet mode (0 day, 1 night).
    static QString userStyleSheet(int mode);

public slots:
    void handleContentsSizeChanged(const QSize &size);
    void handleScrollRequested(int dx, int dy, const QRect &rectToScroll);
    void slicderValueChanged(int value);
    void slicderRangeChanged(int min, int max);
    // Gives the pages the colours of the current mode.
    void applyUserStyleSheet();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void setFades(bool top, bool bottom);

    TWebView *m_webView;
    QWebFrame *m_mainFrame;
    int m_pendingScroll = 0;
    int m_contentsHeight = -1;
    TFadeBoarder *m_fadeBoarder = nullptr;
};
