#pragma once
// Shared pieces of the device window tests: the application object, a main
// window to show sub-windows in, and finding the windows they open.

#include "guiapp.h"
#include "tabstractsubwindow.h"
#include "tmainwindow.h"

#include <QApplication>
#include <QPointer>
#include <QtTest>

namespace app2test {

inline bool settle(TMainWindow *main)
{
    return QTest::qWaitFor([main] { return !main->isAnimating(); }, 5000);
}

inline TMainWindow *makeMainWindow()
{
    auto *main = new TMainWindow(nullptr, QStringLiteral("MainWindowView"), false);
    main->resize(800, 600);
    main->show();
    if (!QTest::qWaitForWindowExposed(main))
        return nullptr;
    settle(main);
    return main;
}

// The shown windows of that class other than the given one.
template <typename T> QList<T *> openWindows(QWidget *except = nullptr)
{
    QList<T *> result;
    for (QWidget *widget : QApplication::allWidgets()) {
        auto *window = qobject_cast<T *>(widget);
        if (window && window != except && window->isVisible() && !window->isClosing())
            result << window;
    }
    return result;
}

} // namespace app2test

#define APP2_TEST_MAIN(TestClass)                                               \
    int main(int argc, char **argv)                                             \
    {                                                                           \
        GuiApp app(argc, argv);                                                 \
        app.setOrganizationName(QStringLiteral("Vantor & Vantor"));             \
        app.setApplicationName(QStringLiteral("ZEL"));                          \
        TestClass test;                                                         \
        return QTest::qExec(&test, argc, argv);                                 \
    }
