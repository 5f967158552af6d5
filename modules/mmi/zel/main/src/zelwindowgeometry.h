#pragma once
// Restores and stores the geometry of a resizable top-level window under
// "<group>/geometry" and "<group>/isMaximized".

#include <QRect>
#include <QString>

class QWidget;

class ZelWindowGeometry
{
public:
    // The stored rectangle (default 800 x 600 at 100, 100) fitted into the
    // available area of the screen that holds its centre.
    static QRect restore(const QString &group);
    // Whether the window was last closed maximised.
    static bool wasMaximized(const QString &group);
    // Stores the window's geometry; a maximised window is shown normal first.
    static void store(QWidget *window, const QString &group);
    // The rectangle moved and cut to lie inside the area.
    static QRect fitted(QRect rect, const QRect &area);
};
