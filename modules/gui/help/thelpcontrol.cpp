#include "thelpcontrol.h"

#include "thelpwindow.h"

#include <QApplication>
#include <QSettings>
#include <QWidget>

THelpControl *THelpControl::instance()
{
    static THelpControl *control = new THelpControl;
    return control;
}

THelpWindow *THelpControl::helpWindow() const
{
    return m_helpWindow;
}

void THelpControl::addHelp(const QUrl &url, QWidget *widget)
{
    if (!widget)
        return;
    QWidget *window = widget->window();
    dropDestroyed();
    for (WindowEntry &entry : m_registry) {
        if (entry.window == window) {
            entry.help.append({widget, url});
            return;
        }
    }
    m_registry.append({window, {{widget, url}}});
}

void THelpControl::removeHelp(QWidget *widget)
{
    if (!widget)
        return;
    // The widget may have moved to another window since it was added: look in all.
    for (int i = m_registry.size() - 1; i >= 0; --i) {
        QList<HelpEntry> &help = m_registry[i].help;
        for (int j = help.size() - 1; j >= 0; --j)
            if (help.at(j).widget == widget)
                help.removeAt(j);
        if (help.isEmpty())
            m_registry.removeAt(i);
    }
}

void THelpControl::dropDestroyed()
{
    for (int i = m_registry.size() - 1; i >= 0; --i) {
        QList<HelpEntry> &help = m_registry[i].help;
        for (int j = help.size() - 1; j >= 0; --j)
            if (!help.at(j).widget)
                help.removeAt(j);
        if (help.isEmpty())
            m_registry.removeAt(i);
    }
}

QUrl THelpControl::pageFor(QWidget *pFrom, const QUrl &url) const
{
    QUrl page = url;
    // Sub-windows share the main window: the page of the nearest registered
    // widget the help was asked from is the page of the window the user is in.
    for (QWidget *widget = pFrom; widget && page.isEmpty(); widget = widget->parentWidget())
        page = registeredPage(widget);
    if (page.isEmpty() && pFrom) {
        QWidget *window = pFrom->window();
        for (const WindowEntry &entry : m_registry) {
            if (entry.window != window)
                continue;
            // A widget destroyed without removing its page no longer counts.
            for (int i = entry.help.size() - 1; i >= 0 && page.isEmpty(); --i)
                if (entry.help.at(i).widget)
                    page = entry.help.at(i).url;
        }
    }
    if (page.isEmpty())
        page = m_homeUrl;
    return page;
}

QUrl THelpControl::registeredPage(QWidget *widget) const
{
    QUrl page;
    for (const WindowEntry &entry : m_registry)
        for (const HelpEntry &help : entry.help)
            if (help.widget == widget)
                page = help.url;
    return page;
}

void THelpControl::show(QWidget *pFrom, QUrl url)
{
    const QUrl page = pageFor(pFrom, url);
    if (!m_helpWindow || m_helpWindow->isClosingWindow()) {
        m_helpWindow = new THelpWindow(m_homeUrl);
        m_helpWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_helpWindow->setUrl(page);
    if (m_helpWindow->isVisible()) {
        if (!m_helpWindow->isMinimized())
            m_helpWindow->showTopLevel();
        else if (m_helpWindow->isMaximized())
            m_helpWindow->showTopLevelMaximized();
        else
            m_helpWindow->showNormal();
    } else {
        if (QSettings().value(QStringLiteral("THelpWindow/isMaximized"), false).toBool())
            m_helpWindow->showTopLevelMaximized();
        else
            m_helpWindow->showTopLevel();
        m_helpWindow->setFocus(Qt::OtherFocusReason);
    }
    QApplication::setActiveWindow(m_helpWindow);
}

void THelpControl::show(QWidget *pFrom)
{
    show(pFrom, QUrl());
}

void THelpControl::show()
{
    show(nullptr, QUrl());
}
