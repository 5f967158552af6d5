#include "twebviewscroll.h"

#include "tfadeboarder.h"
#include "twebview.h"

#include <QScrollBar>
#include <QStackedLayout>
#include <QWebFrame>
#include <QWebPage>
#include <QWebSettings>

QString TWebViewScroll::userStyleSheet()
{
    return QStringLiteral(
        "body { font-family: \"Droid Sans\"; font-size: 16px; color: #aaaaaa; background-color: #000000; }\n"
        "h1 { margin: 10px 0px 10px 0px; font-size: 28px; }\n"
        "h2 { margin: 10px 0px 10px 0px; font-size: 22px; }\n"
        "a { font-size: 22px; margin: 0px 0px 0px 0px; }\n"
        "a.block { display: block; }\n"
        "a:link, a:visited { color: #9db4bb; background-color: #000000; }\n"
        "a:hover { color: #9db4bb; background-color: #455c6e; }\n"
        "a:active { color: #455c6e; background-color: #9db4bb; }\n"
        "a h2 { font-size: 22px; }\n"
        "a:link h2, a:visited h2 { color: #9db4bb; background-color: #000000; }\n"
        "a:hover h2 { color: #9db4bb; background-color: #455c6e; }\n"
        "a:active h2 { color: #455c6e; background-color: #9db4bb; }\n");
}

TWebViewScroll::TWebViewScroll(const QUrl &url, QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::NoFocus);
    auto *stack = new QStackedLayout(viewport());
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setStackingMode(QStackedLayout::StackAll);
    m_webView = new TWebView(this);
    stack->addWidget(m_webView);
    m_mainFrame = m_webView->page()->mainFrame();
    m_webView->settings()->setUserStyleSheetUrl(QUrl(
        QStringLiteral("data:text/css;charset=utf-8;base64,") + QString::fromLatin1(userStyleSheet().toUtf8().toBase64())));
    m_mainFrame->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);
    m_mainFrame->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
    m_fadeBoarder = new TFadeBoarder(this);
    stack->addWidget(m_fadeBoarder);
    stack->setCurrentWidget(m_fadeBoarder);
    connect(m_mainFrame, &QWebFrame::contentsSizeChanged, this, &TWebViewScroll::handleContentsSizeChanged);
    connect(m_webView->page(), &QWebPage::scrollRequested, this, &TWebViewScroll::handleScrollRequested);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TWebViewScroll::slicderValueChanged);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &TWebViewScroll::slicderRangeChanged);
    // The fades follow the scroll bar from the start: a page that never
    // changes the empty range shows none.
    slicderRangeChanged(verticalScrollBar()->minimum(), verticalScrollBar()->maximum());
    m_webView->setUrl(url);
}

void TWebViewScroll::setUrl(const QUrl &url)
{
    m_webView->setUrl(url);
}

void TWebViewScroll::setFades(bool top, bool bottom)
{
    m_fadeBoarder->setTopFadeVisible(top);
    m_fadeBoarder->setBottomFadeVisible(bottom);
}

void TWebViewScroll::resizeEvent(QResizeEvent *)
{
    const int h = viewport()->height();
    verticalScrollBar()->setRange(0, m_mainFrame->contentsSize().height() - h);
    verticalScrollBar()->setPageStep(h - 50);
    verticalScrollBar()->setSingleStep(50);
}

void TWebViewScroll::handleContentsSizeChanged(const QSize &size)
{
    verticalScrollBar()->setRange(0, size.height() - viewport()->height());
    // A new page starts at its top (loading passes through an empty page
    // first); a change of width alone, as when the scroll bar appears, keeps
    // the reader where he is.
    if (size.height() != m_contentsHeight)
        verticalScrollBar()->setValue(0);
    m_contentsHeight = size.height();
}

void TWebViewScroll::scrollContentsBy(int dx, int dy)
{
    m_pendingScroll = dy;
    m_mainFrame->scroll(-dx, -dy);
}

void TWebViewScroll::handleScrollRequested(int, int dy, const QRect &)
{
    if (dy == m_pendingScroll)
        return;
    verticalScrollBar()->setValue(verticalScrollBar()->value() - dy);
    m_pendingScroll = 0;
}

void TWebViewScroll::slicderValueChanged(int value)
{
    setFades(value != verticalScrollBar()->minimum(), value != verticalScrollBar()->maximum());
}

void TWebViewScroll::slicderRangeChanged(int min, int max)
{
    const int v = verticalScrollBar()->value();
    setFades(min != v, max != v);
}
