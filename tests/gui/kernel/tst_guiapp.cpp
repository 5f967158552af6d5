#include "guiapp.h"
#include "guitestsupport.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

namespace {

// Records the mouse and context-menu events it receives.
class Recorder : public QWidget
{
public:
    QList<QEvent::Type> types;
    QList<QPoint> positions;

protected:
    bool event(QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            types << e->type();
            positions << static_cast<QMouseEvent *>(e)->pos();
            break;
        case QEvent::ContextMenu:
            types << e->type();
            break;
        default:
            break;
        }
        return QWidget::event(e);
    }
};

} // namespace

class TestGuiApp : public QObject
{
    Q_OBJECT
private slots:
    void identityAndFonts()
    {
        QCOMPARE(GuiApp::instance(), qobject_cast<GuiApp *>(qApp));
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Vantor & Vantor"));
        QVERIFY(!QCoreApplication::organizationDomain().isEmpty());
        QCOMPARE(QApplication::font("default normal").family(), GuiApp::normalFontFamily());
        QCOMPARE(QApplication::font("default mono").family(), GuiApp::monoFontFamily());
        // The application-wide default font is left alone.
        QVERIFY(QApplication::font().family() != QStringLiteral("default normal"));
    }

    void inputFilter_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QList<int>>("expected"); // event types that reach the widget
        const int press = QEvent::MouseButtonPress;
        const int release = QEvent::MouseButtonRelease;
        QTest::newRow("left click") << int(Qt::LeftButton) << false << QList<int>{press, release};
        QTest::newRow("right click") << int(Qt::RightButton) << false << QList<int>{press, release};
        QTest::newRow("middle click swallowed") << int(Qt::MiddleButton) << false << QList<int>{};
        // Qt 5 delivers a quick second tap as press, release, double-click,
        // release: the double-click stands for the second press.
        QTest::newRow("double tap: two clicks")
            << int(Qt::LeftButton) << true << QList<int>{press, release, press, release};
        QTest::newRow("right double tap: two clicks")
            << int(Qt::RightButton) << true << QList<int>{press, release, press, release};
        QTest::newRow("middle double tap swallowed") << int(Qt::MiddleButton) << true << QList<int>{};
    }
    void inputFilter()
    {
        QFETCH(int, button);
        QFETCH(bool, doubleClick);
        QFETCH(QList<int>, expected);
        Recorder widget;
        widget.resize(100, 100);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        const auto b = Qt::MouseButton(button);
        if (doubleClick) {
            // Through the window, as the window system's events travel.
            QTest::mouseDClick(widget.windowHandle(), b, {}, QPoint(10, 10));
            QCOMPARE(GuiApp::instance()->lastPressedObject(), nullptr);
        } else {
            QTest::mouseClick(&widget, b, {}, QPoint(10, 10));
        }
        QList<int> got;
        for (QEvent::Type t : widget.types)
            got << int(t);
        QCOMPARE(got, expected);
    }

    // Double-tapping a button clicks it twice.
    void doubleTapClicksTwice()
    {
        QPushButton button(QStringLiteral("l"));
        button.resize(80, 40);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QSignalSpy clicked(&button, &QPushButton::clicked);
        QTest::mouseDClick(button.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicked.count(), 2);
    }

    void contextMenuSwallowed()
    {
        Recorder widget;
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5));
        QVERIFY(QApplication::sendEvent(&widget, &event));
        QVERIFY(widget.types.isEmpty());
    }

    void cancelMousePress()
    {
        GuiApp *app = GuiApp::instance();
        Recorder widget;
        widget.resize(100, 100);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        // No press under way: nothing is sent.
        app->cancelMousePress();
        QVERIFY(widget.types.isEmpty());

        QTest::mousePress(&widget, Qt::RightButton, {}, QPoint(20, 20));
        QCOMPARE(app->lastPressedObject(), &widget);
        app->cancelMousePress();
        QCOMPARE(widget.types, (QList<QEvent::Type>{QEvent::MouseButtonPress, QEvent::MouseButtonRelease}));
        QCOMPARE(widget.positions.last(), QPoint(-1, -1));
        QCOMPARE(app->lastPressedObject(), nullptr);
        // The real release still arrives.
        QTest::mouseRelease(&widget, Qt::RightButton, {}, QPoint(20, 20));
        QCOMPARE(widget.types.size(), 3);
        QCOMPARE(widget.positions.last(), QPoint(20, 20));
    }

    void keyPressTrace()
    {
        QWidget widget;
        widget.setObjectName(QStringLiteral("traced"));
        guitest::MessageCapture capture;
        QKeyEvent altEscape(QEvent::KeyPress, Qt::Key_Escape, Qt::AltModifier);
        QApplication::sendEvent(&widget, &altEscape);
        QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(&widget, &a);
        QCOMPARE(capture.count(QStringLiteral("KeyPress: AltModifier pressed for receiver=.")), 1);
        QCOMPARE(capture.count(QStringLiteral("KeyPress: Escape pressed for receiver=.")), 1);
        QCOMPARE(capture.count(QStringLiteral("KeyPress: key->text()=a, key=65 for receiver=QWidget(traced)")), 1);
    }

    // Visible top-level windows and hidden "MainScreen" windows take a new sheet;
    // other hidden windows keep theirs.
    void changeStyleSheet()
    {
        QWidget visible;
        visible.show();
        QWidget hidden;
        hidden.setStyleSheet(QStringLiteral("QWidget { color: green; }"));
        QWidget child(&visible);
        const QString sheet = QStringLiteral("QWidget { color: blue; }");
        GuiApp::instance()->changeStyleSheet(sheet);
        QCOMPARE(visible.styleSheet(), sheet);
        QCOMPARE(hidden.styleSheet(), QStringLiteral("QWidget { color: green; }"));
        QCOMPARE(child.styleSheet(), QString());
    }
};

ZEL_GUI_TEST_MAIN(TestGuiApp)

#include "tst_guiapp.moc"
