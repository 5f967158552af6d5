#include "guiapp.h"
#include "guitestsupport.h"
#include "tcharsetvalidator.h"
#include "tlineedit.h"
#include "tmainwindow.h"
#include "tmessagewindow.h"
#include "tsubwindowview.h"
#include "tuintvalidator.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include "ticonbutton.h"
#include <QVBoxLayout>
#include <QtTest>

class TestInputFields : public QObject
{
    Q_OBJECT
private:
    QWidget *m_window = nullptr;

    // A shown window with three fields chained left to right.
    QList<TLineEdit *> makeFields(int count = 3)
    {
        m_window = new QWidget;
        auto *layout = new QVBoxLayout(m_window);
        QList<TLineEdit *> fields;
        for (int i = 0; i < count; ++i) {
            fields << new TLineEdit(nullptr, false, m_window, false);
            layout->addWidget(fields.last());
        }
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                fields[i]->setPreviousFocusWidget(fields[i - 1]);
            if (i + 1 < count)
                fields[i]->setNextFocusWidget(fields[i + 1]);
        }
        m_window->show();
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window))
            qWarning("window not active");
        fields[0]->setFocus();
        return fields;
    }

private slots:
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
    }

    void charSetModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("acceptable");
        QTest::newRow("digits + stop: ok") << 16 << "." << "12.5" << true;
        QTest::newRow("digits + stop: letter") << 16 << "." << "1a" << false;
        // Extra characters stand for themselves, even those the set syntax uses.
        QTest::newRow("digits + bracket: ok") << 16 << "]" << "12]" << true;
        QTest::newRow("digits + bracket: letter") << 16 << "]" << "1a" << false;
        QTest::newRow("digits + backslash") << 16 << "\\" << "1\\2" << true;
        QTest::newRow("digits + caret and dash") << 16 << "^-" << "1-2^" << true;
        QTest::newRow("any text") << 8 << "" << QString::fromUtf8("äö€ x") << true;
        QTest::newRow("radiotelex cyrillic: hard sign") << 512 << "" << QString(QChar(0x042A)) << false;
        QTest::newRow("radiotelex cyrillic: soft hard sign") << 512 << "" << QString(QChar(0x044A)) << false;
        QTest::newRow("radiotelex cyrillic: Yo") << 512 << "" << QString(QChar(0x0401)) << false;
        QTest::newRow("radiotelex cyrillic: letters") << 512 << "" << QString::fromUtf8("Ab1 дЯ") << true;
        QTest::newRow("7-bit cyrillic: at") << 64 << "" << "@" << false;
        QTest::newRow("7-bit cyrillic: brackets") << 64 << "" << "[" << false;
        QTest::newRow("7-bit cyrillic: underscore") << 64 << "" << "_" << false;
        QTest::newRow("7-bit cyrillic: grave, latin, cyrillic") << 64 << "" << QString::fromUtf8("`az жЖ") << true;
        QTest::newRow("8-bit cyrillic A: box drawing") << 128 << "" << QString(QChar(0x2550)) << true;
        QTest::newRow("8-bit cyrillic A: euro") << 128 << "" << QString(QChar(0x20AC)) << false;
        QTest::newRow("8-bit cyrillic B: euro") << 256 << "" << QString(QChar(0x20AC)) << true;
        QTest::newRow("digits and plus") << 32 << "" << "+4711" << true;
        QTest::newRow("7-bit ascii: umlaut") << 4 << "" << QString::fromUtf8("ä") << false;
        QTest::newRow("unknown mode: text") << 3 << "" << "a" << false;
        QTest::newRow("unknown mode: empty") << 3 << "" << "" << true;
    }
    void charSetModes()
    {
        QFETCH(int, mode);
        QFETCH(QString, extra);
        QFETCH(QString, input);
        QFETCH(bool, acceptable);
        TCharSetValidator validator(8);
        validator.setMode(mode, extra);
        QCOMPARE(validator.mode(), mode);
        int pos = 0;
        QString text = input;
        QCOMPARE(validator.validate(text, pos) == QValidator::Acceptable, acceptable);
    }

    void charSetFixup_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("fixed");
        QTest::newRow("digits keep order") << 16 << "." << "1a2.b3" << "12.3";
        QTest::newRow("digits keep the extra bracket") << 16 << "]" << "1a]b2" << "1]2";
        QTest::newRow("any text unchanged") << 8 << "" << "a\tb" << "a\tb";
        QTest::newRow("unknown mode unchanged") << 3 << "" << "abc" << "abc";
        QTest::newRow("7-bit cyrillic drops at") << 64 << "" << "a@b" << "ab";
    }
    void charSetFixup()
    {
        QFETCH(int, mode);
        QFETCH(QString, extra);
        QFETCH(QString, input);
        QFETCH(QString, fixed);
        TCharSetValidator validator(mode);
        validator.setMode(mode, extra);
        validator.fixup(input);
        QCOMPARE(input, fixed);
    }

    void cyrillicKey_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cyrillic");
        QTest::newRow("function key") << "" << false;
        QTest::newRow("latin") << "a" << false;
        QTest::newRow("zhe") << QString(QChar(0x0416)) << true;
        QTest::newRow("ya") << QString(QChar(0x044F)) << true;
        QTest::newRow("Yo") << QString(QChar(0x0401)) << false;
        QTest::newRow("hard sign") << QString(QChar(0x042A)) << false;
        QTest::newRow("small hard sign") << QString(QChar(0x044A)) << false;
        QTest::newRow("two characters") << QString::fromUtf8("жж") << false;
    }
    void cyrillicKey()
    {
        QFETCH(QString, text);
        QFETCH(bool, cyrillic);
        QKeyEvent event(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, text);
        QCOMPARE(TCharSetValidator::isCyrillicKey(&event), cyrillic);
    }

    void uintValidator_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("state");
        QTest::newRow("empty") << "" << int(QValidator::Intermediate);
        QTest::newRow("inside") << "25" << int(QValidator::Acceptable);
        QTest::newRow("below, may grow") << "1" << int(QValidator::Intermediate);
        QTest::newRow("above with two digits") << "50" << int(QValidator::Invalid); // Qt 5 alone: Intermediate
        QTest::newRow("above with three digits") << "500" << int(QValidator::Invalid);
        QTest::newRow("minus") << "-5" << int(QValidator::Invalid);
        QTest::newRow("plus") << "+5" << int(QValidator::Invalid);
        QTest::newRow("digit and letter") << "5a" << int(QValidator::Invalid);
        QTest::newRow("space") << " 5" << int(QValidator::Invalid);
    }
    void uintValidator()
    {
        QFETCH(QString, input);
        QFETCH(int, state);
        TUintValidator validator(2, 40);
        int pos = 0;
        QCOMPARE(int(validator.validate(input, pos)), state);
        if (state == QValidator::Invalid && !input.contains(QRegExp("^\\d*$")))
            QCOMPARE(pos, input.size());
    }

    void typingIntoField()
    {
        auto fields = makeFields(2);
        fields[0]->setValidator(new TUintValidator(0, 99, fields[0]));
        QTest::keyClicks(fields[0], QStringLiteral("1x2"));
        QCOMPARE(fields[0]->text(), QStringLiteral("12"));
        QTest::keyClicks(fields[0], QStringLiteral("3"));
        QCOMPARE(fields[0]->text(), QStringLiteral("12"));
    }

    void cyrillicWarning_data()
    {
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<bool>("digitsOnly");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("warned");
        QTest::newRow("cyrillic into full field") << 1 << false << QString(QChar(0x0416)) << true;
        QTest::newRow("cyrillic into digit field") << 10 << true << QString(QChar(0x0416)) << true;
        QTest::newRow("refused latin") << 10 << true << "a" << false;
        QTest::newRow("accepted cyrillic") << 10 << false << QString(QChar(0x0416)) << false;
        QTest::newRow("hard sign refused") << 10 << true << QString(QChar(0x042A)) << false;
    }
    void cyrillicWarning()
    {
        QFETCH(int, maxLength);
        QFETCH(bool, digitsOnly);
        QFETCH(QString, typed);
        QFETCH(bool, warned);
        auto fields = makeFields(1);
        TLineEdit *field = fields[0];
        field->setMaxLength(maxLength);
        if (digitsOnly)
            field->setValidator(new TUintValidator(0, 100000, field));
        if (maxLength == 1)
            field->setText(QStringLiteral("x"));
        TMainWindow main(nullptr, QStringLiteral("MainWindowView"), false);
        main.resize(800, 600);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, typed);
        QApplication::sendEvent(field, &press);
        // The fields stand in a window of their own: the warning opens over it.
        const auto windows = main.findChildren<TMessageWindow *>() + m_window->findChildren<TMessageWindow *>();
        QCOMPARE(windows.size(), warned ? 1 : 0);
        if (warned)
            QCOMPARE(windows.first()->parentWidget(), m_window);
        if (warned) {
            QCOMPARE(windows.first()->getHeader(), QStringLiteral("Illegal input character"));
            QVERIFY(windows.first()->getDescription().startsWith(QStringLiteral("Cyrillic characters not allowed.")));
            QVERIFY(windows.first()->testAttribute(Qt::WA_DeleteOnClose));
        }
        for (TWindowView *view : main.openViews())
            view->close();
        QTest::qWait(10);
        TSubWindowView::freeViews().clear();
    }

    void arrowKeysMoveFocusAtTheEdges()
    {
        auto fields = makeFields(3);
        TLineEdit *middle = fields[1];
        middle->setFocus();
        middle->setText(QStringLiteral("ab"));
        middle->setCursorPosition(1);
        QTest::keyClick(middle, Qt::Key_Left);
        QVERIFY(middle->hasFocus());
        QCOMPARE(middle->cursorPosition(), 0);
        QTest::keyClick(middle, Qt::Key_Left);
        QVERIFY(fields[0]->hasFocus());
        QCOMPARE(middle->cursorPosition(), 0);
        // No previous widget: the cursor stays at 0.
        fields[0]->setCursorPosition(0);
        QTest::keyClick(fields[0], Qt::Key_Left);
        QVERIFY(fields[0]->hasFocus());
        // Right at the end of an empty field moves on.
        QTest::keyClick(fields[0], Qt::Key_Right);
        QVERIFY(middle->hasFocus());
        middle->setCursorPosition(2);
        QTest::keyClick(middle, Qt::Key_Right);
        QVERIFY(fields[2]->hasFocus());
    }

    void extraKeysAndAutoAdvance()
    {
        auto fields = makeFields(3);
        fields[0]->setNextFocusWidget(fields[1], Qt::Key_Period, Qt::Key_Comma);
        QTest::keyClicks(fields[0], QStringLiteral("12."));
        QCOMPARE(fields[0]->text(), QStringLiteral("12"));
        QVERIFY(fields[1]->hasFocus());
        fields[0]->setFocus();
        fields[0]->setCursorPosition(2);
        QTest::keyClick(fields[0], Qt::Key_Comma, Qt::NoModifier);
        QVERIFY(fields[1]->hasFocus());

        // A full two-character field moves on; a hidden field in the chain is passed over.
        fields[1]->setMaxLength(2);
        fields[1]->setNextFocusWidget(fields[2]);
        QTest::keyClicks(fields[1], QStringLiteral("4"));
        QVERIFY(fields[1]->hasFocus());
        QTest::keyClicks(fields[1], QStringLiteral("5"));
        QVERIFY(fields[2]->hasFocus());

        fields[0]->setMaxLength(1);
        fields[0]->clear();
        fields[0]->setNextFocusWidget(fields[1]);
        fields[1]->hide();
        fields[0]->setFocus();
        QTest::keyClicks(fields[0], QStringLiteral("7"));
        QVERIFY(fields[2]->hasFocus());

        // Hidden fields that lead back to each other end the walk instead of looping.
        fields[2]->hide();
        fields[2]->setNextFocusWidget(fields[1]);
        fields[0]->clear();
        fields[0]->setFocus();
        QTest::keyClicks(fields[0], QStringLiteral("8"));
        QVERIFY(fields[0]->hasFocus());
    }

    void returnAutoRepeatDropped()
    {
        auto fields = makeFields(1);
        QSignalSpy returns(fields[0], &QLineEdit::returnPressed);
        QKeyEvent first(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), false);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(fields[0], &first);
        QApplication::sendEvent(fields[0], &repeat);
        QApplication::sendEvent(fields[0], &repeat);
        QCOMPARE(returns.count(), 1);
    }

    void paddingOnLeaving_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("maxLength"); // 0: left at the line edit's default
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("padded");
        QTest::newRow("zero in front") << 1 << 2 << "7" << "07";
        QTest::newRow("empty") << 1 << 2 << "" << "00";
        QTest::newRow("behind") << 2 << 2 << "7" << "70";
        QTest::newRow("full") << 1 << 2 << "12" << "12";
        QTest::newRow("none") << 0 << 2 << "7" << "7";
        QTest::newRow("no length set") << 1 << 0 << "7" << "7";
    }
    void paddingOnLeaving()
    {
        QFETCH(int, position);
        QFETCH(int, maxLength);
        QFETCH(QString, text);
        QFETCH(QString, padded);
        auto fields = makeFields(2);
        if (maxLength)
            fields[0]->setMaxLength(maxLength);
        fields[0]->setZeroPadding(position);
        fields[0]->setText(text);
        fields[1]->setFocus();
        QCOMPARE(fields[0]->text(), padded);
    }

    void keyboardButtonFollowsFocusReason()
    {
        m_window = new QWidget;
        auto *layout = new QVBoxLayout(m_window);
        auto *first = new TLineEdit(nullptr, false, m_window);
        auto *field = new TLineEdit(nullptr, true, m_window);
        layout->addWidget(first);
        layout->addWidget(field);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        first->setFocus();
        QVERIFY(field->keyboardButton());
        QVERIFY(!field->keyboardButton()->isVisible());
        QTest::keyClick(first, Qt::Key_Tab);
        QVERIFY(field->hasFocus());
        QVERIFY(!field->keyboardButton()->isVisible());
        first->setFocus();
        field->setFocus(Qt::OtherFocusReason);
        QVERIFY(field->keyboardButton()->isVisible());
        QCOMPARE(field->keyboardButton()->geometry().bottomRight(), field->rect().bottomRight());
        QCOMPARE(field->textMargins().right(), field->keyboardButton()->width());
        first->setFocus();
        QVERIFY(!field->keyboardButton()->isVisible());
        QCOMPARE(field->textMargins().right(), 0);
        QCOMPARE(field->minimumHeight(), 58);
    }
};

ZEL_GUI_TEST_MAIN(TestInputFields)
#include "tst_inputfields.moc"
