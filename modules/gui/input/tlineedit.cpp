#include "tlineedit.h"

#include "tcharsetvalidator.h"
#include "ticonbutton.h"
#include "tmessagewindow.h"

#include <QDebug>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

TLineEdit::TLineEdit(TBaseTouchKeypad *pKeypad, bool keyboardButton, QWidget *parent, bool selectAllOnFocus)
    : QLineEdit(parent)
    , m_keypad(pKeypad)
    , m_selectAll(selectAllOnFocus)
{
    setMinimumHeight(58);
    m_charSetValidator = new TCharSetValidator(8, this);
    setValidator(m_charSetValidator);
    if (keyboardButton) {
        m_keyboardButton = new TIconButton(QString(), QStringLiteral("zkgui_keyboard"), this);
        m_keyboardButton->resize(m_keyboardButton->minimumSize());
        m_keyboardButton->hide();
        connect(m_keyboardButton, &QToolButton::clicked, this, &TLineEdit::handleKeyboardButtonPressed);
        if (m_keypad)
            connect(m_keyboardButton, SIGNAL(clicked()), m_keypad, SLOT(showKeyboard()));
        connect(m_keyboardButton, &QToolButton::clicked, this, &TLineEdit::touchKeyboardSelected);
        if (m_keypad) {
            connect(m_keypad, &TBaseTouchKeypad::hidding, this, &TLineEdit::keyboardHiddingHandler);
            connect(m_keypad, &TBaseTouchKeypad::showing, this, &TLineEdit::keyboardShowingHandler);
        }
    }
    connect(this, &QLineEdit::textEdited, this, &TLineEdit::textEditedHandler);
}

void TLineEdit::setPreviousFocusWidget(QWidget *widget)
{
    m_previousWidget = widget;
}

void TLineEdit::setNextFocusWidget(QWidget *widget)
{
    m_nextWidget = widget;
}

void TLineEdit::setNextFocusWidget(QWidget *widget, int key1, int key2)
{
    m_nextWidget = widget;
    m_extraKey1 = key1;
    m_extraKey2 = key2;
}

void TLineEdit::setPadding(QChar fillChar, int position)
{
    m_fillChar = fillChar;
    m_paddingPosition = position;
}

void TLineEdit::setZeroPadding(int position)
{
    setPadding(QLatin1Char('0'), position);
}

bool TLineEdit::keypadHidden() const
{
    return !m_keypad || !m_keypad->isKeypadVisible();
}

void TLineEdit::showKeyboardButton(bool bFade)
{
    if (!m_keyboardButton)
        return;
    const QMargins m = textMargins();
    setTextMargins(m.left(), m.top(), m_keyboardButton->width(), m.bottom());
    if (bFade) {
        qDebug() << "TLineEdit::showKeyboardButton: pkeyboardButton->fadeShow()";
        m_keyboardButton->fadeShow();
    } else {
        qDebug() << "TLineEdit::showKeyboardButton: pkeyboardButton->show()";
        m_keyboardButton->show();
    }
}

void TLineEdit::hideKeyboardButton(bool bFade)
{
    if (!m_keyboardButton)
        return;
    const QMargins m = textMargins();
    setTextMargins(m.left(), m.top(), 0, m.bottom());
    if (bFade) {
        qDebug() << "TLineEdit::hideKeyboardButton: pkeyboardButton->fadeHide()";
        m_keyboardButton->fadeHide();
    } else {
        qDebug() << "TLineEdit::hideKeyboardButton: pkeyboardButton->hide()";
        m_keyboardButton->hide();
    }
}

void TLineEdit::handleKeyboardButtonPressed()
{
    setFocus(Qt::MouseFocusReason);
    hideKeyboardButton(false);
}

void TLineEdit::keyboardShowingHandler()
{
    hideKeyboardButton(false);
}

void TLineEdit::keyboardHiddingHandler(THiddingReason reason)
{
    if (reason == HIDDING_REASON_OWN_KEY_EVENT_MISSING)
        hideKeyboardButton(true);
    else if (hasFocus())
        showKeyboardButton(true);
}

void TLineEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (keypadHidden())
        showKeyboardButton(true);
    if (m_selectAll && event->button() == Qt::LeftButton)
        selectAll();
}

void TLineEdit::mouseMoveEvent(QMouseEvent *event)
{
    QLineEdit::mouseMoveEvent(event);
    if (m_selectAll && (event->buttons() & Qt::LeftButton))
        selectAll();
}

void TLineEdit::applyKeypadCharacterSet()
{
    if (!m_keypad)
        return;
    TKeyboardCharacterSet set;
    switch (m_charSetValidator->mode()) {
    case 1: set = KEYBOARD_CHARACTER_SET_RADIOTELEX_LATIN; break;
    case 2: set = KEYBOARD_CHARACTER_SET_INM_C_5BIT_LATIN; break;
    case 16: set = KEYBOARD_CHARACTER_SET_DIGIT_ONLY; break;
    case 32: set = KEYBOARD_CHARACTER_SET_DIGIT_PLUS; break;
    case 64: set = KEYBOARD_CHARACTER_SET_INM_C_7BIT_CYRILLIC; break;
    case 128:
    case 256: set = KEYBOARD_CHARACTER_SET_INM_C_8BIT_CYRILLIC; break;
    case 512: set = KEYBOARD_CHARACTER_SET_RADIOTELEX_CYRILLIC; break;
    default: set = KEYBOARD_CHARACTER_SET_ASCII; break;
    }
    m_keypad->setKeyboardCharacterSet(set);
}

void TLineEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    qDebug() << "TLineEdit::focusInEvent:" << event->reason();
    if ((event->reason() == Qt::MouseFocusReason || event->reason() == Qt::OtherFocusReason) && keypadHidden())
        showKeyboardButton(false);
    if (m_selectAll)
        selectAll();
    applyKeypadCharacterSet();
}

void TLineEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    hideKeyboardButton(false);
    // Only a field of fixed length is padded: a line edit's default maximum
    // length means no length was set.
    static const int defaultMaxLength = 32767;
    if (m_paddingPosition == 0 || maxLength() >= defaultMaxLength)
        return;
    const int n = maxLength() - text().length();
    if (n < 1)
        return;
    const QString fill(n, m_fillChar);
    if (m_paddingPosition == 1)
        setText(fill + text());
    else if (m_paddingPosition == 2)
        setText(text() + fill);
}

void TLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_keypad)
        m_keypad->isOwnKeyEvent(event);
    else
        hideKeyboardButton(true);

    const int key = event->key();
    if (m_nextWidget && (m_extraKey1 != Qt::Key_unknown || m_extraKey2 != Qt::Key_unknown)
        && ((m_extraKey1 != Qt::Key_unknown && key == m_extraKey1)
            || (m_extraKey2 != Qt::Key_unknown && key == m_extraKey2))) {
        m_nextWidget->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (key == Qt::Key_Left && m_previousWidget && cursorPosition() == 0) {
        m_previousWidget->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (key == Qt::Key_Right && m_nextWidget && cursorPosition() == text().length()) {
        m_nextWidget->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (key == Qt::Key_Return && event->isAutoRepeat())
        return;

    const int lengthBefore = text().length();
    QLineEdit::keyPressEvent(event);
    if (text().length() == lengthBefore && TCharSetValidator::isCyrillicKey(event))
        TMessageWindow::showWarning(tr("Illegal input character"),
                                    tr("Cyrillic characters not allowed. Switch between cyrillic and latin keyboard "
                                       "with ALT+SHIFT, or disable cyrillic in System Settings."),
                                    this, nullptr, nullptr);
}

void TLineEdit::textEditedHandler(const QString &)
{
    if (!m_nextWidget || cursorPosition() != maxLength())
        return;
    QWidget *next = m_nextWidget;
    QList<QWidget *> visited; // a chain of hidden fields may loop back
    while (next && !visited.contains(next)) {
        visited << next;
        if (next->isVisible()) {
            next->setFocus(Qt::OtherFocusReason);
            return;
        }
        auto *field = qobject_cast<TLineEdit *>(next);
        if (!field)
            return;
        next = field->m_nextWidget;
    }
}

void TLineEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    if (m_keyboardButton)
        m_keyboardButton->move(width() - m_keyboardButton->width(), height() - m_keyboardButton->height());
}
