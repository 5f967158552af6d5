#include "guiapp.h"
#include "guitestsupport.h"
#include "tbuttonbar.h"
#include "ticonwidget.h"
#include "tmainwindow.h"
#include "tmessagewindow.h"
#include "toptionbutton.h"
#include "tproductmessagewindow.h"
#include "tsubwindowview.h"

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

namespace {

class Responder : public QObject
{
    Q_OBJECT
public:
    int yes = 0;
public slots:
    void onYes() { ++yes; }
};

} // namespace

class TestMessageWindows : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;
    QWidget *m_origin = nullptr;

    bool settle() { return QTest::qWaitFor([this] { return !m_main->isAnimating(); }, 5000); }

private slots:
    void init()
    {
        m_main = new TMainWindow(nullptr, QStringLiteral("MainWindowView"), false);
        m_main->resize(800, 600);
        m_origin = new QWidget(m_main);
        m_origin->setGeometry(100, 100, 80, 40);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        QVERIFY(settle());
    }
    void cleanup()
    {
        for (TWindowView *view : m_main->openViews())
            view->close();
        QTest::qWait(10);
        delete m_main;
        m_main = nullptr;
        TSubWindowView::freeViews().clear();
    }

    void types_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("distress");
        QTest::newRow("warning") << 1 << "zkgui_message_warning" << 0;
        QTest::newRow("error") << 2 << "zkgui_message_error" << 0;
        QTest::newRow("question") << 3 << "zkgui_message_question" << 0;
        QTest::newRow("new message") << 4 << "zkgui_message_new_message" << 0;
        QTest::newRow("distress") << 5 << "zkgui_message_distress" << 1;
        QTest::newRow("new distress message") << 6 << "zkgui_message_new_distress_message" << 1;
        QTest::newRow("unknown") << 9 << "zkgui_message_info" << 0;
    }
    void types()
    {
        QFETCH(int, type);
        QFETCH(QString, image);
        QFETCH(int, distress);
        QCOMPARE(TMessageWindow::getIconName(type), image);
        TMessageWindow window(TMessageWindow::MessageType(type), QStringLiteral("Header"), QStringLiteral("Text"));
        QCOMPARE(window.isDistress(), distress);
        QVERIFY(window.defaultButton());
        QCOMPARE(window.getHeader(), QStringLiteral("Header"));
        QCOMPARE(window.getDescription(), QStringLiteral("Text"));
    }

    // Without an origin a warning joins the event cascade; with one it grows
    // from the origin. Its OK closes and deletes it.
    void warningOrigins()
    {
        QPointer<TMessageWindow> cascade = TMessageWindow::showWarning(QStringLiteral("W"), QStringLiteral("d"), nullptr);
        QVERIFY(TAbstractSubWindow::openEventInfoWindows().contains(cascade.data()));
        QCOMPARE(cascade->animationKind(), 1);
        QPointer<TMessageWindow> grown = TMessageWindow::showError(QStringLiteral("E"), QStringLiteral("d"), m_origin);
        QCOMPARE(grown->animationKind(), 2);
        QVERIFY(!TAbstractSubWindow::openEventInfoWindows().contains(grown.data()));
        QVERIFY(grown->view());
        QVERIFY(settle());
        grown->defaultButton()->click();
        cascade->defaultButton()->click();
        QVERIFY(QTest::qWaitFor([&] { return !grown && !cascade; }, 3000));
    }

    void yesNoQuestion_data()
    {
        QTest::addColumn<bool>("pressYes");
        QTest::newRow("yes") << true;
        QTest::newRow("no, no slot given") << false;
    }
    void yesNoQuestion()
    {
        QFETCH(bool, pressYes);
        Responder responder;
        QPointer<TMessageWindow> window = TMessageWindow::yesNoQuestion(
            QStringLiteral("Overwrite the existing file?"), QString(), m_origin, &responder, SLOT(onYes()), nullptr);
        QVERIFY(settle());
        QVERIFY(window->defaultButton());
        QCOMPARE(window->defaultButton()->text(), QStringLiteral("&Yes"));
        const QList<TOptionButton *> buttons = window->buttonBar()->findChildren<TOptionButton *>();
        QCOMPARE(buttons.size(), 2);
        TOptionButton *no = buttons.at(0) == window->defaultButton() ? buttons.at(1) : buttons.at(0);
        (pressYes ? window->defaultButton() : no)->click();
        QCOMPARE(responder.yes, pressYes ? 1 : 0);
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
    }

    // Times are shown in UTC: 14:05 at UTC+2 is 12:05.
    void timesInUtc()
    {
        const QDateTime local(QDate(2026, 6, 1), QTime(14, 5), Qt::OffsetFromUTC, 2 * 3600);
        TMessageWindow message(TMessageWindow::Information, QStringLiteral("H"), QStringLiteral("D"));
        message.setTimeStamp(local);
        QCOMPARE(message.timeStampLabel()->text(), QStringLiteral("12:05 pm"));
        TProductMessage event;
        event.time = local;
        TProductMessageWindow product(event);
        QCOMPARE(product.timeLabel()->text(), QStringLiteral("12:05"));
        TProductMessageWindow noTime{TProductMessage()};
        QVERIFY(noTime.timeLabel()->text().isEmpty());
    }

    void timeStampStaysTopRight()
    {
        TMessageWindow message(TMessageWindow::Warning, QStringLiteral("H"), QStringLiteral("D"));
        message.setTimeStamp(QDateTime::currentDateTimeUtc());
        for (int width : {520, 640}) {
            message.resize(width, 200);
            QCoreApplication::sendPostedEvents();
            message.show();
            QCOMPARE(message.timeStampLabel()->geometry().topRight(), QPoint(width - 1, 0));
        }
        message.hide();
    }

    void countDown()
    {
        TMessageWindow message(TMessageWindow::Information, QStringLiteral("H"), QStringLiteral("D"));
        QSignalSpy completed(&message, &TMessageWindow::countDownCompleted);
        message.stepCountdown(); // not started: nothing
        QCOMPARE(completed.count(), 0);
        message.startCountdown(2);
        message.stepCountdown();
        QCOMPARE(message.countdownLabel()->text(), QStringLiteral("1 seconds"));
        message.stepCountdown();
        message.stepCountdown(); // stopped: nothing more
        QCOMPARE(completed.count(), 1);
        QCOMPARE(message.countdownLabel()->text(), QStringLiteral("0 seconds"));
    }

    // The service image carries the small severity mark; without one the
    // large severity image stands alone. The pop-up cascades and deletes itself.
    void productMessage()
    {
        TProductMessage event;
        event.severity = 4;
        event.heading = QStringLiteral("Device lost");
        event.description = QStringLiteral("No answer");
        event.severityIconBig = QStringLiteral("zkgui_message_warning");
        event.severityIconSmall = QStringLiteral("zkgui_status_warning");
        TProductMessageWindow alone(event);
        QCOMPARE(alone.imageWidget()->iconName(), event.severityIconBig);
        QVERIFY(!alone.severityMark());
        event.serviceIcon = QStringLiteral("zkgui_message_info");
        QPointer<TProductMessageWindow> popUp = TProductMessageWindow::showMessage(event);
        QCOMPARE(popUp->imageWidget()->iconName(), event.serviceIcon);
        QVERIFY(popUp->severityMark());
        QCOMPARE(popUp->severityMark()->iconName(), event.severityIconSmall);
        QCOMPARE(popUp->severityMark()->parentWidget(), popUp->imageWidget());
        QVERIFY(TAbstractSubWindow::openEventInfoWindows().contains(popUp.data()));
        QVERIFY(settle());
        popUp->defaultButton()->click();
        QVERIFY(QTest::qWaitFor([&] { return !popUp; }, 3000));
    }
};

ZEL_GUI_TEST_MAIN(TestMessageWindows)
#include "tst_messagewindows.moc"
