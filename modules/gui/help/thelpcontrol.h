#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QWidget;
class THelpWindow;

// The process-wide help controller: windows register the help page that
// belongs to them while shown; show() picks the page and brings the one
// help window to the front.
class THelpControl : public QObject
{
    Q_OBJECT
public:
    static THelpControl *instance();

    void setHomeUrl(const QUrl &url) { m_homeUrl = url; }
    QUrl homeUrl() const { return m_homeUrl; }
    void addHelp(const QUrl &url, QWidget *widget);
    void removeHelp(QWidget *widget);
    // The page show() would load for a widget and a URL.
    QUrl pageFor(QWidget *pFrom, const QUrl &url) const;
    THelpWindow *helpWindow() const;

public slots:
    void show(QWidget *pFrom, QUrl url);
    void show(QWidget *pFrom);
    void show();

private:
    THelpControl() = default;
    // Forgets the pages of widgets that were destroyed without removing them.
    void dropDestroyed();
    // The page last added for exactly this widget, or an empty URL.
    QUrl registeredPage(QWidget *widget) const;

    struct HelpEntry {
        QPointer<QWidget> widget;
        QUrl url;
    };
    struct WindowEntry {
        QWidget *window;
        QList<HelpEntry> help;
    };

    // The current help window; it clears itself when that window is deleted.
    QPointer<THelpWindow> m_helpWindow;
    QUrl m_homeUrl;
    QList<WindowEntry> m_registry;
};
