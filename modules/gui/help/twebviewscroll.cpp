#include "twebviewscroll.h"

#include "tfadeboarder.h"
#include "tstylesheet.h"
#include "twebview.h"

#include <QScrollBar>
#include <QStackedLayout>
#include <QWebFrame>
#include <QWebPage>
#include <QWebSettings>

QString TWebViewScroll::userStyleSheet(int mode)
{
    // The framework's colours of the mode: dark text on the light day
    // background, the red-tinted night look. The font falls back to one
    // every system has, so a page never shows in the browser's serif default.
    struct Colours
    {
        const char *text, *background, *link, *hover, *active;
    };
    const Colours day = {"#223355", "#f4f6f9", "#1b5fa8", "#dde6f2", "#b8c4d4"};
    const Colours night = {"#e07060", "#180808", "#f09080", "#301410", "#48181a"};
    const Colours &c = mode == 1 ? night : day;
    return QStringLiteral(
               "body { font-family: \"Droid Sans\", \"DejaVu Sans\", sans-serif; font-size: 16px; color: %1; "
               "background-color: %2; }\n"
               "h1 { margin: 10px 0px 10px 0px; font-size: 28px; }\n"
               "h2 { margin: 10px 0px 10px 0px; font-size: 22px; }\n"
               "a { font-size: 22px; margin: 0px 0px 0px 0px; }\n"
               "a.block { display: block; }\n"
               "a:link, a:visited { color: %3; background-color: %2; }\n"
               "a:hover { color: %3; background-color: %4; }\n"
               "a:active { color: %1; background-color: %5; }\n"
               "a h2 { font-size: 22px; }\n"
               "a:link h2, a:visited h2 { color: %3; background-color: %2; }\n"
               "a:hover h2 { color: %3; background-color: %4; }\n"
               "a:active h2 { color: %1; background-color: %5; }\n")
        .arg(QLatin1String(c.text), QLatin1String(c.background), QLatin1String(c.link), QLatin1String(c.hover),
             QLatin1String(c.active));
}

void TWebViewScroll::applyUserStyleSheet()
{
    const QString sheet = userStyleSheet(TStyleSheet::instance()->getMode());
    m_webView->settings()->setUserStyleSheetUrl(
        QUrl(QStringLiteral("data:text/css;charset=utf-8;base64,") + QString::fromLatin1(sheet.toUtf8().toBase64())));
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
    applyUserStyleSheet();
    connect(TStyleSheet::instance(), qOverload<const QString &>(&TStyleSheet::styleSheetChanged), this,
            &TWebViewScroll::applyUserStyleSheet);
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
