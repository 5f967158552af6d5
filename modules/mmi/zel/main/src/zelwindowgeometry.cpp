#include "zelwindowgeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

static QRect availableAreaAt(const QPoint &point)
{
    QScreen *screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect ZelWindowGeometry::fitted(QRect rect, const QRect &area)
{
    if (!area.isValid())
        return rect;
    if (rect.height() > area.height())
        rect.setHeight(area.height());
    if (rect.width() > area.width())
        rect.setWidth(area.width());
    if (rect.left() < area.left())
        rect.moveLeft(area.left());
    if (rect.right() > area.right())
        rect.moveRight(area.right());
    if (rect.top() < area.top())
        rect.moveTop(area.top());
    if (rect.bottom() > area.bottom())
        rect.moveBottom(area.bottom());
    return rect;
}

QRect ZelWindowGeometry::restore(const QString &group)
{
    const QRect stored = QSettings().value(group + QLatin1String("/geometry"),
                                           QRect(QPoint(100, 100), QPoint(899, 699))).toRect();
    return fitted(stored, availableAreaAt(stored.center()));
}

bool ZelWindowGeometry::wasMaximized(const QString &group)
{
    return QSettings().value(group + QLatin1String("/isMaximized"), false).toBool();
}

void ZelWindowGeometry::store(QWidget *window, const QString &group)
{
    QRect rect = window->geometry();
    bool maximized = false;
    if (window->isMaximized()) {
        const QRect frame = window->frameGeometry();
        window->showNormal();
        const QRect area = availableAreaAt(rect.center());
        if (frame.contains(area)) {
            rect = window->geometry();
            maximized = true;
        }
    }
    QSettings settings;
    settings.setValue(group + QLatin1String("/geometry"), rect);
    settings.setValue(group + QLatin1String("/isMaximized"), maximized);
}
