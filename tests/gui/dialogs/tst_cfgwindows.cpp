#include "guiapp.h"
#include "guitestsupport.h"
#include "tabstractcfgwindow.h"
#include "tbuttonbar.h"
#include "tcfgfield.h"
#include "tcfgfielditem.h"
#include "tlineedit.h"
#include "tmainwindow.h"
#include "tmessagewindow.h"
#include "toption.h"
#include "toptionbutton.h"
#include "tpasswordreqwindow.h"
#include "tstatusdescription.h"
#include "tstylesheet.h"
#include "tsubwindowview.h"
#include "tbasekeydata.h"
#include "ttouchkey.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A configuration window that counts its refreshes and stores.
class CountingCfgWindow : public TAbstractCfgWindow
{
public:
    CountingCfgWindow() : TAbstractCfgWindow(QStringLiteral("Settings"), false)
    {
        (new QVBoxLayout(editingFrame()))->addWidget(new QLabel(QStringLiteral("editor"), editingFrame()));
    }
    int updates = 0;
    int stores = 0;
    void updateData() override
    {
        ++updates;
    }
    void storeData() override
    {
        ++stores;
        emit stored();
        close();
    }
};

// A field that counts how often its window would open.
class CountingField : public TCfgField
{
public:
    using TCfgField::TCfgField;
    int opened = 0;
    void showCfgWindow() override { ++opened; }
};

} // namespace

class TestCfgWindows : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;
    QWidget *m_host = nullptr;

    bool settle() { return QTest::qWaitFor([this] { return !m_main->isAnimating(); }, 5000); }
    TSubWindowView *topView() const { return qobject_cast<TSubWindowView *>(m_main->topView()); }

private slots:
    void init()
    {
        m_main = new TMainWindow(nullptr, QStringLiteral("MainWindowView"), false);
        m_main->resize(800, 600);
        m_host = new QWidget(m_main);
        m_host->setGeometry(0, 0, 800, 600);
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

    // Every showing refreshes the editors; OK stores, Cancel does not.
    void refreshOnShowStoreOnOk()
    {
        CountingCfgWindow window;
        QCOMPARE(window.okButton(), window.defaultButton());
        window.showWindow(m_host);
        QVERIFY(settle());
        QCOMPARE(window.updates, 1);
        window.cancelButton()->click();
        QVERIFY(settle());
        QCOMPARE(window.stores, 0);
        QVERIFY(!window.view());
        QSignalSpy stored(&window, &TAbstractCfgWindow::stored);
        window.showWindow(m_host);
        QVERIFY(settle());
        QCOMPARE(window.updates, 2);
        window.okButton()->click();
        QCOMPARE(window.stores, 1);
        QCOMPARE(stored.count(), 1);
    }

    void statusPage()
    {
        CountingCfgWindow window;
        window.showStatusDescription(QStringLiteral("Data not available"), QStringLiteral("later"));
        QVERIFY(window.isStatusShown());
        QVERIFY(!window.okOption()->isEnabled());
        QVERIFY(!window.okButton()->isEnabled());
        TStatusDescription *panel = window.statusDescription();
        QCOMPARE(panel->status(), int(TStatusDescription::Warning));
        window.showEditingFrame();
        QVERIFY(!window.isStatusShown());
        QVERIFY(window.okButton()->isEnabled());
        window.showStatusDescription(QStringLiteral("Again"), QString());
        QCOMPARE(window.statusDescription(), panel);
        QCOMPARE(panel->heading(), QStringLiteral("Again"));
        QVERIFY(!panel->descriptionLabel());
    }

    void fieldMargins_data()
    {
        QTest::addColumn<QString>("icon");
        QTest::addColumn<int>("left");
        QTest::newRow("no icon") << QString() << 10;
        QTest::newRow("icon") << "zkgui_settings_power_battery"
                              << TStyleSheet::instance()->getButtonPixmap(QStringLiteral("zkgui_settings_power_battery"), 0).width();
    }
    void fieldMargins()
    {
        QFETCH(QString, icon);
        QFETCH(int, left);
        TCfgField field(QStringLiteral("Battery"), icon, nullptr, false);
        QCOMPARE(field.columnLayout()->contentsMargins().left(), left);
        if (!icon.isEmpty())
            QVERIFY(field.minimumSizeHint().height() >= TStyleSheet::instance()->getButtonPixmap(icon, 0).height());
    }

    // Press, drag out and release: no click; drag back in before releasing: a click.
    void fieldMouse()
    {
        auto *field = new CountingField(QStringLiteral("Battery"), QString(), m_host, false);
        field->setGeometry(10, 10, 300, 100);
        field->show();
        QSignalSpy clicked(field, &TCfgField::clicked);
        QTest::mousePress(field, Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(field->isDown());
        QMouseEvent out(QEvent::MouseMove, QPoint(400, 50), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(field, &out);
        QVERIFY(!field->isDown());
        QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(400, 50));
        QCOMPARE(clicked.count(), 0);

        QTest::mousePress(field, Qt::LeftButton, {}, QPoint(50, 50));
        QCoreApplication::sendEvent(field, &out);
        QMouseEvent back(QEvent::MouseMove, QPoint(60, 50), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(field, &back);
        QVERIFY(field->isDown());
        QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(60, 50));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(field->opened, 1);
        QVERIFY(!field->isDown());
    }

    // With its status shown a field is never down and never clicked.
    void fieldWithStatusIsInert()
    {
        auto *field = new CountingField(QStringLiteral("Battery"), QString(), m_host, false);
        field->setGeometry(10, 10, 300, 100);
        field->show();
        QSignalSpy clicked(field, &TCfgField::clicked);
        field->showStatus(QStringLiteral("Data not available"), QString());
        QVERIFY(!field->isSelectable());
        QVERIFY(field->rowsWidget()->isHidden());
        QCOMPARE(field->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::keyClick(field, Qt::Key_Space);
        QVERIFY(!field->isDown());
        QCOMPARE(clicked.count(), 0);
        field->clearStatus();
        QVERIFY(field->isSelectable());
        QVERIFY(!field->statusDescription());
        QTest::keyClick(field, Qt::Key_Space);
        QCOMPARE(clicked.count(), 1);
        // An auto-repeated press or release does nothing.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(field, &press);
        QVERIFY(!field->isDown());
    }

    void rowLabelColumn_data()
    {
        QTest::addColumn<int>("labelWidth");
        QTest::addColumn<int>("rowWidth");
        QTest::addColumn<int>("column");
        QTest::newRow("fits") << 100 << 320 << 100;
        QTest::newRow("too wide: half") << 300 << 320 << 150;
        QTest::newRow("unset: half") << -1 << 321 << 150;
    }
    void rowLabelColumn()
    {
        QFETCH(int, labelWidth);
        QFETCH(int, rowWidth);
        QFETCH(int, column);
        TCfgFieldItem row(QStringLiteral("Label"), nullptr, TCfgFieldItem::TextRow, labelWidth);
        QCOMPARE(row.labelColumnWidth(rowWidth), column);
    }

    void rowChecked_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("value");
        QTest::newRow("check row, true") << 2 << true << "zkgui_check_ok";
        QTest::newRow("check row, false") << 2 << false << "zkgui_check_fail";
        QTest::newRow("text row, true") << 0 << true << "zkgui_mark_checked";
        QTest::newRow("mark row, false") << 1 << false << "zkgui_mark_normal";
    }
    void rowChecked()
    {
        QFETCH(int, kind);
        QFETCH(bool, checked);
        QFETCH(QString, value);
        TCfgFieldItem row(QStringLiteral("Label"), nullptr, kind, -1);
        row.setChecked(checked);
        QCOMPARE(row.value(), value);
        QCOMPARE(row.sizeHint().width(), 20 + 2 * row.fontMetrics().horizontalAdvance(value));
    }

    void password_data()
    {
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("default password") << QString() << "3958" << true;
        QTest::newRow("trailing blank") << QString() << "3958 " << false;
        QTest::newRow("empty, default") << QString() << "" << false;
        QTest::newRow("expected password") << "secrets" << "secrets" << true;
        QTest::newRow("default refused when one is expected") << "secrets" << "3958" << false;
        QTest::newRow("case matters") << "secrets" << "Secrets" << false;
        QTest::newRow("empty, expected") << "secrets" << "" << false;
    }
    void password()
    {
        QFETCH(QString, expected);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QPointer<TPasswordReqWindow> window = new TPasswordReqWindow(QStringLiteral("Password needed"),
                                                                     QStringLiteral("Configuration password"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setPassword(expected);
        QSignalSpy correct(window.data(), &TPasswordReqWindow::correctPassword);
        window->showWindow(m_host);
        QVERIFY(settle());
        QCOMPARE(window->keyboardMode(), 1);
        window->passwordEdit()->setText(typed);
        window->okButton()->click();
        QCOMPARE(correct.count(), accepted ? 1 : 0);
        QVERIFY(settle());
        if (accepted) {
            QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
            return;
        }
        QVERIFY(window);
        QVERIFY(window->passwordEdit()->text().isEmpty());
        auto *warning = qobject_cast<TMessageWindow *>(topView()->window());
        QVERIFY(warning);
        QCOMPARE(warning->getHeader(), QStringLiteral("Access denied"));
        QCOMPARE(warning->getDescription(), QStringLiteral("Incorrect password"));
        warning->defaultButton()->click();
        QVERIFY(settle());
        QVERIFY(window->passwordEdit()->hasFocus());
        window->passwordEdit()->setText(QStringLiteral("typed"));
        window->close();
    }

    // Enter confirms like OK: the on-screen keyboard's Enter key (a press
    // alone, sent to the edit) and the keypad's Enter key.
    void passwordEnter_data()
    {
        QTest::addColumn<bool>("onScreen");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("on-screen Enter, right") << true << "3958" << true;
        QTest::newRow("on-screen Enter, wrong") << true << "3959" << false;
        QTest::newRow("keypad Enter, right") << false << "3958" << true;
        QTest::newRow("keypad Enter, wrong") << false << "3959" << false;
    }
    void passwordEnter()
    {
        QFETCH(bool, onScreen);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QPointer<TPasswordReqWindow> window = new TPasswordReqWindow(QStringLiteral("Password needed"),
                                                                     QStringLiteral("Configuration password"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        QSignalSpy correct(window.data(), &TPasswordReqWindow::correctPassword);
        window->showWindow(m_host);
        QVERIFY(settle());
        window->passwordEdit()->setText(typed);
        if (onScreen) {
            TTouchKey *enter = nullptr;
            for (TTouchKey *key : m_main->findChildren<TTouchKey *>())
                if (key->isVisible() && key->keyData() && key->keyData()->key() == Qt::Key_Enter)
                    enter = key;
            QVERIFY(enter);
            QTest::mouseClick(enter, Qt::LeftButton);
        } else {
            QTest::keyClick(window->passwordEdit(), Qt::Key_Enter, Qt::KeypadModifier);
        }
        QCOMPARE(correct.count(), accepted ? 1 : 0);
        QVERIFY(settle());
        if (accepted) {
            QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
            return;
        }
        // One refusal, and the window stays for another try.
        QVERIFY(window);
        int warnings = 0;
        for (QWidget *w : QApplication::allWidgets())
            if (auto *message = qobject_cast<TMessageWindow *>(w); message && message->isVisible() && !message->isClosing())
                ++warnings;
        QCOMPARE(warnings, 1);
        qobject_cast<TMessageWindow *>(topView()->window())->defaultButton()->click();
        QVERIFY(settle());
        window->close();
        QVERIFY(settle());
    }

    // Reopening starts empty; no more than 100 characters can be typed.
    void passwordEdit()
    {
        TPasswordReqWindow window(QStringLiteral("Password needed"), QStringLiteral("Configuration password"));
        window.showWindow(m_host);
        QVERIFY(settle());
        QTest::keyClicks(window.passwordEdit(), QString(120, QLatin1Char('x')));
        QCOMPARE(window.passwordEdit()->text().size(), 100);
        QCOMPARE(window.passwordEdit()->echoMode(), QLineEdit::Password);
        window.close();
        QVERIFY(settle());
        window.showWindow(m_host);
        QVERIFY(window.passwordEdit()->text().isEmpty());
        window.close();
    }

    // A protected field asks first; the right password opens its window.
    void protectedField()
    {
        auto *field = new CountingField(QStringLiteral("Battery"), QString(), m_host, true);
        field->setGeometry(10, 10, 300, 100);
        field->show();
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(50, 50));
        QPointer<TPasswordReqWindow> window = field->passwordWindow();
        QVERIFY(window);
        QCOMPARE(field->opened, 0);
        guitest::MessageCapture capture;
        field->showPasswordReqWindow(); // a second request reuses the open window
        QCOMPARE(capture.count(QStringLiteral("pPasswordReqWindow was not NULL")), 1);
        QCOMPARE(field->passwordWindow(), window.data());
        QVERIFY(settle());
        window->passwordEdit()->setText(QStringLiteral("3958"));
        window->okButton()->click();
        QCOMPARE(field->opened, 1);
        QVERIFY(QTest::qWaitFor([&] { return !window && !field->passwordWindow(); }, 3000));
    }
};

ZEL_GUI_TEST_MAIN(TestCfgWindows)
#include "tst_cfgwindows.moc"
