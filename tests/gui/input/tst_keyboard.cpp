#include "guiapp.h"
#include "guitestsupport.h"
#include "tcontrolkeydata.h"
#include "tlineedit.h"
#include "tabstractsubwindow.h"
#include "tmainwindow.h"
#include "tsubwindowview.h"
#include "tstandardkeydata.h"
#include "ttouchkey.h"
#include "ttouchkeyboard.h"
#include "ttouchnumberkeypad.h"

#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include "ticonbutton.h"
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Records the key events it receives.
class KeySink : public QWidget
{
public:
    KeySink() { setFocusPolicy(Qt::StrongFocus); }
    struct Key
    {
        int code;
        QString text;
        Qt::KeyboardModifiers modifiers;
    };
    QList<Key> keys;
    QList<QEvent *> events;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        keys << Key{event->key(), event->text(), event->modifiers()};
        events << event;
    }
};

void click(TTouchKey *key)
{
    QTest::mouseClick(key, Qt::LeftButton, Qt::NoModifier, key->rect().center());
}

QString text(TBaseKeyData *data)
{
    auto *standard = dynamic_cast<TStandardKeyData *>(data);
    return standard ? standard->text() : QString();
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT
private:
    QWidget *m_window = nullptr;
    KeySink *m_sink = nullptr;
    TTouchKeyboard *m_keyboard = nullptr;

    // A window holding a key sink with the focus and a keyboard below it.
    void makeKeyboard(bool userHideable = false)
    {
        m_window = new QWidget;
        auto *layout = new QVBoxLayout(m_window);
        m_sink = new KeySink;
        layout->addWidget(m_sink);
        m_keyboard = new TTouchKeyboard(userHideable, m_window);
        layout->addWidget(m_keyboard);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        m_sink->setFocus();
    }
    TTouchKey *key(int index) const { return m_keyboard->keys().at(index); }

private slots:
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
    }

    // ---- single keys ----

    void standardAndControlKeys()
    {
        TStandardKeyData letter(Qt::Key_Q, QStringLiteral("q"));
        TControlKeyData shift(Qt::Key_Shift, QStringLiteral("Shift"));
        TTouchKey key(nullptr, 58, false);
        QCOMPARE(key.size(), QSize(58, 58));
        QCOMPARE(key.objectName(), QStringLiteral("key_large_font"));
        QCOMPARE(key.imageName(), QStringLiteral("zkgui_key58"));
        QCOMPARE(key.focusPolicy(), Qt::NoFocus);
        QSignalSpy activated(&key, &TTouchKey::keyActivated);

        // Without a description nothing happens.
        click(&key);
        QCOMPARE(activated.count(), 0);

        key.setKeyData(&letter);
        QCOMPARE(letter.getName(), QStringLiteral("q"));
        QTest::mousePress(&key, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QVERIFY(key.isDown());
        QCOMPARE(activated.count(), 0);
        QTest::mouseRelease(&key, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(activated.count(), 1);
        QVERIFY(!key.isChecked());
        QVERIFY(!key.isDown());

        key.setKeyData(&shift);
        QList<bool> checkedWhenEmitted;
        connect(&key, &TTouchKey::keyActivated, [&] { checkedWhenEmitted << key.isChecked(); });
        click(&key);
        click(&key);
        QCOMPARE(checkedWhenEmitted, (QList<bool>{true, false}));

        // The same description keeps the latch; another one always clears it.
        click(&key);
        key.setKeyData(&shift);
        QVERIFY(key.isChecked());
        key.setKeyData(&letter);
        key.setKeyData(&shift);
        QVERIFY(!key.isChecked());
        key.setChecked(true);
        key.setKeyData(&letter);
        key.setChecked(true);
        QVERIFY(!key.isChecked());
    }

    // A key whose activation deletes the keypad holding it.
    void activationMayDeleteTheKey_data()
    {
        QTest::addColumn<bool>("repeating");
        QTest::newRow("on release") << false;
        QTest::newRow("on press") << true;
    }
    void activationMayDeleteTheKey()
    {
        QFETCH(bool, repeating);
        TStandardKeyData data(Qt::Key_A, QStringLiteral("a"), QString(), QString(), repeating);
        auto *holder = new QWidget;
        QPointer<TTouchKey> key(new TTouchKey(holder, 58, false));
        key->setKeyData(&data);
        connect(key.data(), &TTouchKey::keyActivated, [&holder] {
            delete holder;
            holder = nullptr;
        });
        QMouseEvent press(QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(key.data(), &press);
        if (key) {
            QMouseEvent release(QEvent::MouseButtonRelease, QPoint(10, 10), Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            QApplication::sendEvent(key.data(), &release);
        }
        QVERIFY(key.isNull());
    }

    void slidingOffCancels()
    {
        TControlKeyData shift(Qt::Key_Shift, QStringLiteral("Shift"));
        TTouchKey key(nullptr, 58, true);
        key.setKeyData(&shift);
        key.show();
        QSignalSpy activated(&key, &TTouchKey::keyActivated);
        QTest::mousePress(&key, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QMouseEvent off(QEvent::MouseMove, QPoint(100, 10), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&key, &off);
        QVERIFY(!key.isDown());
        QTest::mouseRelease(&key, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
        QCOMPARE(activated.count(), 0);
        QVERIFY(!key.isChecked());
    }

    void autoRepeat()
    {
        TStandardKeyData backspace(Qt::Key_Backspace, QString(), QStringLiteral("Back"), QString(), true);
        TTouchKey key(nullptr, 87, true);
        key.setKeyData(&backspace);
        QVERIFY(key.hasRepeatTimer());
        auto *timer = key.findChild<QTimer *>();
        QVERIFY(timer);
        QSignalSpy activated(&key, &TTouchKey::keyActivated);

        QTest::mousePress(&key, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(activated.count(), 1); // at once
        QCOMPARE(timer->interval(), 500);
        QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 2, 2000);
        QCOMPARE(timer->interval(), 50); // then every 50 ms
        QTRY_VERIFY_WITH_TIMEOUT(activated.count() >= 4, 2000);
        QTest::mouseRelease(&key, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QVERIFY(!timer->isActive());
        const int afterRelease = activated.count();
        QTest::qWait(120);
        QCOMPARE(activated.count(), afterRelease); // the release emits nothing

        // Disabling a held key clears the pressed look and stops the repeat.
        QTest::mousePress(&key, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        key.setEnabled(false);
        QVERIFY(!key.isDown());
        QVERIFY(!timer->isActive());

        // A new description replaces the timer.
        TStandardKeyData plain(Qt::Key_A, QStringLiteral("a"));
        key.setKeyData(&plain);
        QVERIFY(!key.hasRepeatTimer());
    }

    // A repeat lives only as long as its press: a release outside the key
    // and a keyboard that hides both end it.
    void repeatEndsWithThePress()
    {
        TStandardKeyData backspace(Qt::Key_Backspace, QString(), QStringLiteral("Back"), QString(), true);
        TTouchKey key(nullptr, 87, true);
        key.setKeyData(&backspace);
        key.show();
        QSignalSpy activated(&key, &TTouchKey::keyActivated);
        QTest::mousePress(&key, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QMouseEvent off(QEvent::MouseMove, QPoint(200, 10), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&key, &off);
        QTest::mouseRelease(&key, Qt::LeftButton, Qt::NoModifier, QPoint(200, 10));
        QVERIFY(!key.isRepeating());
        // Sliding back after the release fires nothing.
        QMouseEvent back(QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&key, &back);
        const int before = activated.count();
        QTest::qWait(600);
        QCOMPARE(activated.count(), before);

        makeKeyboard(true);
        m_keyboard->showKeyboard(false);
        TTouchKey *held = nullptr;
        for (TTouchKey *k : m_keyboard->keys())
            if (k->isVisible() && k->hasRepeatTimer())
                held = k;
        QVERIFY(held);
        QTest::mousePress(held, Qt::LeftButton, Qt::NoModifier, held->rect().center());
        QVERIFY(held->isRepeating());
        m_keyboard->hideKeyboard();
        QVERIFY(!held->isRepeating());
        QVERIFY(!held->isDown());
        m_keyboard->instantAnimationEnd();
        QVERIFY(!m_keyboard->isVisible());
        const int sent = m_sink->keys.size();
        QTest::qWait(600);
        QCOMPARE(m_sink->keys.size(), sent);
    }

    // A quick second tap on a key types the character again.
    void doubleTapTypesTwice()
    {
        makeKeyboard();
        m_keyboard->showKeyboard(false);
        TTouchKey *letter = nullptr;
        for (TTouchKey *k : m_keyboard->keys())
            if (k->isVisible() && text(k->keyData()) == QStringLiteral("l"))
                letter = k;
        QVERIFY(letter);
        QTest::mouseDClick(m_window->windowHandle(), Qt::LeftButton, {},
                           letter->mapTo(m_window, letter->rect().center()));
        QStringList typed;
        for (const KeySink::Key &k : m_sink->keys)
            typed << k.text;
        QCOMPARE(typed, (QStringList{QStringLiteral("l"), QStringLiteral("l")}));
    }

    // ---- keyboard layouts ----

    void layouts_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name"); // label; empty for a blank key
        QTest::addColumn<QString>("text"); // sent text
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("visible");
        const auto u = [](const char *s) { return QString::fromUtf8(s); };
        QTest::newRow("1 q") << 1 << 0 << "q" << "q" << 0x51 << true;
        QTest::newRow("1 m") << 1 << 35 << "m" << "m" << 0x4d << true;
        QTest::newRow("1 comma") << 1 << 36 << "," << "," << 0x2c << true;
        QTest::newRow("1 extra hidden") << 1 << 1 << "" << "" << 0 << false;
        QTest::newRow("1 star hidden") << 1 << 26 << "" << "" << 0 << false;
        QTest::newRow("1 backspace") << 1 << 12 << "Back\nspace" << "" << int(Qt::Key_Backspace) << true;
        QTest::newRow("1 space") << 1 << 43 << "Space" << " " << int(Qt::Key_Space) << true;
        QTest::newRow("2 Q") << 2 << 0 << "Q" << "Q" << 0x51 << true;
        QTest::newRow("2 L") << 2 << 23 << "L" << "L" << 0x4c << true;
        QTest::newRow("3 short i") << 3 << 0 << u("й") << u("й") << 0x41 << true;
        QTest::newRow("3 tse") << 3 << 1 << u("ц") << u("ц") << 0x41 << true;
        QTest::newRow("3 hard sign") << 3 << 11 << u("ъ") << u("ъ") << 0x41 << true;
        QTest::newRow("3 ya") << 3 << 27 << u("я") << u("я") << 0x41 << true;
        QTest::newRow("4 Ef") << 4 << 13 << u("Ф") << u("Ф") << 0x41 << true;
        QTest::newRow("4 Hard sign") << 4 << 11 << u("Ъ") << u("Ъ") << 0x41 << true;
        QTest::newRow("5 no hard sign") << 5 << 11 << "" << "" << 0 << true;
        QTest::newRow("5 yu") << 5 << 35 << u("ю") << u("ю") << 0x41 << true;
        QTest::newRow("6 no Hard sign") << 6 << 11 << "" << "" << 0 << true;
        QTest::newRow("6 Che") << 6 << 28 << u("Ч") << u("Ч") << 0x41 << true;
        QTest::newRow("7 digit 1") << 7 << 0 << "1" << "1" << 0x31 << true;
        QTest::newRow("7 digit 0") << 7 << 11 << "0" << "0" << 0x30 << true;
        QTest::newRow("7 quote") << 7 << 16 << "\"" << "\"" << 0x22 << true;
        QTest::newRow("7 star") << 7 << 26 << "*" << "*" << 0x2a << true;
        QTest::newRow("7 less") << 7 << 36 << "<" << "<" << 0x3c << true;
        QTest::newRow("7 at") << 7 << 39 << "@" << "@" << 0x40 << true;
        QTest::newRow("7 caps hidden") << 7 << 25 << "Caps\nLock" << "" << int(Qt::Key_CapsLock) << false;
        QTest::newRow("8 bracket") << 8 << 0 << "[" << "[" << 0x5b << true;
        QTest::newRow("8 backslash") << 8 << 6 << "\\" << "\\" << 0x5c << true;
        QTest::newRow("8 grave") << 8 << 11 << "`" << "`" << 0x60 << true;
        QTest::newRow("8 row 2 blank") << 8 << 13 << "" << "" << 0 << true;
        QTest::newRow("9 slash") << 9 << 21 << "/" << "/" << 0x2f << true;
        QTest::newRow("9 no hash") << 9 << 17 << "" << "" << 0 << true;
        QTest::newRow("9 equals") << 9 << 29 << "=" << "=" << 0x3d << true;
        QTest::newRow("10 hash") << 10 << 17 << "#" << "#" << 0x23 << true;
        QTest::newRow("10 at") << 10 << 39 << "@" << "@" << 0x40 << true;
        QTest::newRow("10 no equals") << 10 << 29 << "" << "" << 0 << true;
        QTest::newRow("11 greater") << 11 << 37 << ">" << ">" << 0x3e << true;
        QTest::newRow("11 no at") << 11 << 39 << "" << "" << 0 << true;
        QTest::newRow("12 brace") << 12 << 4 << "{" << "{" << 0x7b << true;
        QTest::newRow("12 no bracket") << 12 << 0 << "" << "" << 0 << true;
        QTest::newRow("12 bar") << 12 << 9 << "|" << "|" << 0x7c << true;
        QTest::newRow("13 digit 5") << 13 << 6 << "5" << "5" << 0x35 << true;
        QTest::newRow("13 no plus") << 13 << 31 << "" << "" << 0 << true;
        QTest::newRow("13 symbols hidden") << 13 << 41 << "123, symbols" << "" << TTouchKeyboard::symbolsKeyCode
                                           << false;
        QTest::newRow("13 blank shown") << 13 << 42 << "" << "" << 0 << true;
        QTest::newRow("14 plus") << 14 << 31 << "+" << "+" << 0x2b << true;
        QTest::newRow("14 arrow") << 14 << 44 << "" << "" << int(Qt::Key_Left) << true;
    }
    void layouts()
    {
        QFETCH(int, state);
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, code);
        QFETCH(bool, visible);
        makeKeyboard();
        m_keyboard->showKeyboard(false);
        m_keyboard->setState(TTouchKeyboard::TKeyboardState(state));
        for (int s = 1; s <= TTouchKeyboard::stateCount; ++s)
            QCOMPARE(m_keyboard->keyDataList(s).size(), TTouchKeyboard::keyCount);
        QCOMPARE(m_keyboard->keys().size(), TTouchKeyboard::keyCount);
        TBaseKeyData *data = key(index)->keyData();
        QCOMPARE(key(index)->isVisibleTo(m_keyboard), visible);
        if (!visible && name.isEmpty())
            return;
        if (code == 0) {
            QCOMPARE(data, nullptr);
            return;
        }
        QVERIFY(data);
        QCOMPARE(data->getName(), name);
        QCOMPARE(data->key(), code);
        QCOMPARE(::text(data), text);
        if (!visible)
            return;
        click(key(index));
        if (data->isCheckable())
            return;
        QCOMPARE(m_sink->keys.size(), 1);
        QCOMPARE(m_sink->keys.first().code, code);
        QCOMPARE(m_sink->keys.first().text, text);
    }

    void digitStatesHoldOnlyDigits()
    {
        makeKeyboard();
        m_keyboard->showKeyboard(false);
        for (int state : {13, 14}) {
            QStringList others;
            for (TBaseKeyData *data : m_keyboard->keyDataList(state)) {
                const QString t = ::text(data);
                if (t.size() == 1 && !t.at(0).isDigit() && t != QLatin1String(" "))
                    others << t;
            }
            QCOMPARE(others, state == 13 ? QStringList() : QStringList{"+"});
        }
        // Repeating keys: Backspace and the arrows, not Enter and Space.
        for (int index : {12, 44, 45, 46, 47})
            QVERIFY(key(index)->hasRepeatTimer());
        for (int index : {24, 43})
            QVERIFY(!key(index)->hasRepeatTimer());
    }

    // ---- transitions ----

    void shiftIsOneShot()
    {
        makeKeyboard();
        m_keyboard->showKeyboard(false);
        click(m_keyboard->shiftKey());
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::UPPER_CASE);
        click(key(46)); // Right arrow keeps Shift
        QCOMPARE(m_sink->keys.last().modifiers, Qt::ShiftModifier);
        QVERIFY(m_keyboard->shiftKey()->isChecked());
        click(key(0));
        QCOMPARE(m_sink->keys.last().text, QStringLiteral("Q"));
        QCOMPARE(m_sink->keys.last().modifiers, Qt::ShiftModifier);
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::LOWER_CASE);
        click(key(0));
        QCOMPARE(m_sink->keys.last().text, QStringLiteral("q"));
        QCOMPARE(m_sink->keys.last().modifiers, Qt::NoModifier);

        // With Caps Lock on, Shift stays on.
        click(m_keyboard->capsLockKey());
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::UPPER_CASE);
        QVERIFY(m_keyboard->shiftKey()->isChecked());
        click(key(0));
        click(key(3));
        QCOMPARE(m_sink->keys.last().text, QStringLiteral("W"));
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::UPPER_CASE);
        click(m_keyboard->capsLockKey());
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::LOWER_CASE);
        QVERIFY(!m_keyboard->shiftKey()->isChecked());
    }

    void capsLockWhileShiftOn()
    {
        makeKeyboard();
        m_keyboard->showKeyboard(false);
        click(m_keyboard->shiftKey());
        click(m_keyboard->capsLockKey());
        QVERIFY(m_keyboard->capsLockKey()->isChecked());
        QVERIFY(m_keyboard->shiftKey()->isChecked());
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::UPPER_CASE);
    }

    void capsLockSurvivesSymbols()
    {
        makeKeyboard();
        m_keyboard->showKeyboard(false);
        click(m_keyboard->capsLockKey());
        click(m_keyboard->symbolsKey());
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::ASCII_SYMBOLS_1);
        QCOMPARE(m_keyboard->symbolPage(), 1);
        QVERIFY(m_keyboard->arrowUpButton()->isVisibleTo(m_keyboard));
        QCOMPARE(m_keyboard->pageLabel()->text(), QStringLiteral("Page\n1 of 2"));
        QVERIFY(!m_keyboard->capsLockKey()->isVisibleTo(m_keyboard));
        m_keyboard->symbolArrowDownKeyClickedHandler();
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::ASCII_SYMBOLS_2);
        QCOMPARE(m_keyboard->pageLabel()->text(), QStringLiteral("Page\n2 of 2"));
        m_keyboard->symbolArrowUpKeyClickedHandler();
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::ASCII_SYMBOLS_1);
        click(m_keyboard->symbolsKey());
        QCOMPARE(m_keyboard->state(), TTouchKeyboard::UPPER_CASE);
        QVERIFY(m_keyboard->capsLockKey()->isChecked());
        QVERIFY(m_keyboard->shiftKey()->isChecked());
        QVERIFY(!m_keyboard->arrowUpButton()->isVisibleTo(m_keyboard));
    }

    void characterSets_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("startState");
        QTest::addColumn<bool>("cyrillicKey");
        QTest::addColumn<int>("symbolsState");
        QTest::addColumn<int>("cyrillicState"); // after [CY] is switched (0: no [CY])
        QTest::newRow("ascii") << 0 << 1 << false << 7 << 0;
        QTest::newRow("5-bit latin") << 1 << 1 << false << 10 << 0;
        QTest::newRow("radiotelex latin") << 2 << 1 << false << 9 << 0;
        QTest::newRow("7-bit cyrillic") << 5 << 3 << true << 11 << 1;
        QTest::newRow("8-bit cyrillic") << 6 << 3 << true << 7 << 1;
        QTest::newRow("radiotelex cyrillic") << 7 << 1 << true << 9 << 5;
    }
    void characterSets()
    {
        QFETCH(int, set);
        QFETCH(int, startState);
        QFETCH(bool, cyrillicKey);
        QFETCH(int, symbolsState);
        QFETCH(int, cyrillicState);
        makeKeyboard();
        m_keyboard->setKeyboardCharacterSet(TKeyboardCharacterSet(set));
        m_keyboard->showKeyboard(false);
        QCOMPARE(int(m_keyboard->state()), startState);
        QCOMPARE(m_keyboard->cyrillicToggleKey()->isVisibleTo(m_keyboard), cyrillicKey);
        if (cyrillicState) {
            click(m_keyboard->cyrillicToggleKey());
            QCOMPARE(int(m_keyboard->state()), cyrillicState);
            click(m_keyboard->cyrillicToggleKey());
            QCOMPARE(int(m_keyboard->state()), startState);
        }
        click(m_keyboard->symbolsKey());
        QCOMPARE(int(m_keyboard->state()), symbolsState);
        // The same set again keeps the current state.
        m_keyboard->setKeyboardCharacterSet(TKeyboardCharacterSet(set));
        QCOMPARE(int(m_keyboard->state()), symbolsState);
        click(m_keyboard->symbolsKey());
        QCOMPARE(int(m_keyboard->state()), startState);
    }

    void setStateWithCurrentStateChangesNothing()
    {
        makeKeyboard();
        m_keyboard->showKeyboard(false);
        click(m_keyboard->symbolsKey());
        m_keyboard->pageLabel()->setText(QStringLiteral("marker"));
        m_keyboard->setState(TTouchKeyboard::ASCII_SYMBOLS_1);
        QCOMPARE(m_keyboard->pageLabel()->text(), QStringLiteral("marker"));
    }

    // ---- sliding ----

    void slide()
    {
        TMainWindow main(nullptr, QStringLiteral("MainWindowView"), false);
        makeKeyboard(true);
        QSignalSpy heights(m_keyboard, &TTouchKeyboard::heightChanged);
        QSignalSpy showing(m_keyboard, &TBaseTouchKeypad::showing);
        QSignalSpy hidding(m_keyboard, &TBaseTouchKeypad::hidding);

        m_keyboard->showKeyboard(false);
        QCOMPARE(heights.count(), 1);
        QCOMPARE(heights.at(0).at(0).toInt(), 240);
        QCOMPARE(m_keyboard->height(), 240);
        QCOMPARE(showing.count(), 1);
        m_keyboard->showKeyboard();
        QCOMPARE(showing.count(), 1); // already visible

        m_keyboard->hideKeyboard();
        QVERIFY(main.isAnimating());
        QVERIFY(!m_keyboard->isKeypadVisible());
        QCOMPARE(hidding.count(), 1);
        QCOMPARE(hidding.at(0).at(0).value<THiddingReason>(), HIDDING_REASON_REQUEST);
        QTRY_VERIFY(!m_keyboard->isVisible());
        QVERIFY(!main.isAnimating());
        QCOMPARE(heights.last().at(0).toInt(), 0);

        heights.clear();
        m_keyboard->showKeyboard(true);
        QTRY_VERIFY(!m_keyboard->isSliding());
        QVERIFY(heights.count() >= 3);
        QCOMPARE(heights.first().at(0).toInt(), 0);
        QCOMPARE(heights.last().at(0).toInt(), 240);
        for (int i = 1; i < heights.count(); ++i)
            QVERIFY(heights.at(i).at(0).toInt() >= heights.at(i - 1).at(0).toInt());
        QVERIFY(!main.isAnimating());

        // The main window's instant end finishes a running slide.
        m_keyboard->hideKeyboard();
        main.instantAnimationCompletion();
        QVERIFY(!m_keyboard->isSliding());
        QVERIFY(!m_keyboard->isVisible());
        QCOMPARE(m_keyboard->currentHeight(), 0);
        QVERIFY(!main.isAnimating());
    }

    void foreignKeysHideOnlyUserHideable_data()
    {
        QTest::addColumn<bool>("userHideable");
        QTest::newRow("user hideable") << true;
        QTest::newRow("fixed") << false;
    }
    void foreignKeysHideOnlyUserHideable()
    {
        QFETCH(bool, userHideable);
        makeKeyboard(userHideable);
        m_keyboard->showKeyboard(false);
        QVERIFY(m_keyboard->hideButtonUpperRight()->isVisibleTo(m_keyboard) == userHideable);
        QSignalSpy hidding(m_keyboard, &TBaseTouchKeypad::hidding);
        click(key(0));
        QVERIFY(m_keyboard->isOwnKeyEvent(m_sink->events.last()));
        QCOMPARE(hidding.count(), 0);
        QKeyEvent foreign(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QVERIFY(!m_keyboard->isOwnKeyEvent(&foreign));
        QCOMPARE(hidding.count(), userHideable ? 1 : 0);
        if (userHideable)
            QCOMPARE(hidding.at(0).at(0).value<THiddingReason>(), HIDDING_REASON_OWN_KEY_EVENT_MISSING);
        QCOMPARE(m_keyboard->isKeypadVisible(), !userHideable);
    }

    // ---- with a line edit ----

    void typingIntoLineEdit()
    {
        m_window = new QWidget;
        auto *layout = new QVBoxLayout(m_window);
        m_keyboard = new TTouchKeyboard(true, m_window);
        auto *field = new TLineEdit(m_keyboard, true, m_window);
        layout->addWidget(field);
        layout->addWidget(m_keyboard);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        m_keyboard->setKeyboardCharacterSet(KEYBOARD_CHARACTER_SET_DIGIT_ONLY);
        field->clearFocus();
        field->setFocus(Qt::MouseFocusReason);
        QCOMPARE(m_keyboard->keyboardCharacterSet(), KEYBOARD_CHARACTER_SET_ASCII); // from the field's validator
        QVERIFY(field->keyboardButton()->isVisible());
        QSignalSpy selected(field, &TLineEdit::touchKeyboardSelected);
        field->keyboardButton()->click();
        QCOMPARE(selected.count(), 1);
        QVERIFY(m_keyboard->isKeypadVisible());
        QVERIFY(!field->keyboardButton()->isVisible());
        m_keyboard->instantAnimationEnd();

        click(m_keyboard->shiftKey());
        click(key(0));
        click(key(3));
        click(key(43));
        click(key(12));
        click(key(4));
        QCOMPARE(field->text(), QStringLiteral("Qwe"));
        QVERIFY(m_keyboard->isKeypadVisible()); // its own keys do not hide it

        // A key from elsewhere hides it; the field hides its button.
        QTest::keyClick(field, Qt::Key_A);
        QVERIFY(!m_keyboard->isKeypadVisible());
        QTRY_VERIFY(!field->keyboardButton()->isVisible()); // faded out
    }

    // The keyboard of a sub-window view types into the field that has the focus in that window.
    void typingThroughSubWindowView()
    {
        TMainWindow main(nullptr, QStringLiteral("MainWindowView"), false);
        main.resize(800, 600);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        TAbstractSubWindow window(2, 1);
        auto *layout = new QVBoxLayout(&window);
        auto *field = new TLineEdit(nullptr, false, &window);
        layout->addWidget(field);
        window.setFocusWidget(field);
        window.showWindow(QPoint(400, 300));
        QVERIFY(QTest::qWaitFor([&] { return !main.isAnimating(); }, 5000));
        TTouchKeyboard *keyboard = window.view()->keyboard();
        QVERIFY(keyboard->isKeypadVisible());
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        click(keyboard->keys().at(3)); // w
        click(keyboard->symbolsKey());
        click(keyboard->keys().at(0)); // 1
        QCOMPARE(field->text(), QStringLiteral("w1"));
        window.close();
        QVERIFY(QTest::qWaitFor([&] { return !main.isAnimating(); }, 5000));
        TSubWindowView::freeViews().clear();
    }

    // ---- numeric keypad ----

    void numberKeypad()
    {
        m_window = new QWidget;
        auto *layout = new QHBoxLayout(m_window);
        m_sink = new KeySink;
        auto *keypad = new TTouchNumberKeypad(m_window);
        layout->addWidget(m_sink);
        layout->addWidget(keypad);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        m_sink->setFocus();
        QCOMPARE(keypad->size(), QSize(176, 232));
        QCOMPARE(keypad->keys().size(), 11);
        QCOMPARE(keypad->keys().at(6)->keyData()->getName(), QStringLiteral("7"));
        QCOMPARE(keypad->keys().at(9)->keyData()->getName(), QStringLiteral("0"));
        QCOMPARE(keypad->keys().at(10)->width(), 117);
        QCOMPARE(keypad->keys().at(10)->y(), keypad->keys().at(9)->y());

        click(keypad->keys().at(6));
        QCOMPARE(m_sink->keys.size(), 1);
        QCOMPARE(m_sink->keys.at(0).code, 0x37);
        QCOMPARE(m_sink->keys.at(0).text, QStringLiteral("7"));
        QCOMPARE(m_sink->keys.at(0).modifiers, Qt::NoModifier);
        QVERIFY(keypad->isOwnKeyEvent(m_sink->events.last()));
        QVERIFY(keypad->keys().at(10)->hasRepeatTimer());

        TStandardKeyData a(Qt::Key_A, QStringLiteral("a")), b(Qt::Key_B, QStringLiteral("b"));
        keypad->setKeyData({&a, nullptr, &b});
        QCOMPARE(keypad->keys().at(0)->keyData(), &a);
        QCOMPARE(keypad->keys().at(1)->keyData(), nullptr);
        QCOMPARE(keypad->keys().at(3)->keyData(), keypad->defaultKeyData().at(3));
        click(keypad->keys().at(1));
        QCOMPARE(m_sink->keys.size(), 1); // blank key
        keypad->restoreKeyData();
        for (int i = 0; i < 11; ++i)
            QCOMPARE(keypad->keys().at(i)->keyData(), keypad->defaultKeyData().at(i));
    }
};

ZEL_GUI_TEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
