#pragma once

#include <QFrame>
#include <QList>

#include <memory>

class QEvent;
class QKeyEvent;
class TBaseKeyData;
class TTouchKey;

// Why a keypad hid: 1 = asked to (hideKeyboard()), 0 = it hid itself because
// a key event arrived that it had not sent.
enum THiddingReason { HIDDING_REASON_OWN_KEY_EVENT_MISSING = 0, HIDDING_REASON_REQUEST = 1 };

// The character sets that line edits hand to the keyboard.
enum TKeyboardCharacterSet {
    KEYBOARD_CHARACTER_SET_ASCII = 0,
    KEYBOARD_CHARACTER_SET_INM_C_5BIT_LATIN = 1,
    KEYBOARD_CHARACTER_SET_RADIOTELEX_LATIN = 2,
    KEYBOARD_CHARACTER_SET_DIGIT_ONLY = 3,
    KEYBOARD_CHARACTER_SET_DIGIT_PLUS = 4,
    KEYBOARD_CHARACTER_SET_INM_C_7BIT_CYRILLIC = 5,
    KEYBOARD_CHARACTER_SET_INM_C_8BIT_CYRILLIC = 6,
    KEYBOARD_CHARACTER_SET_RADIOTELEX_CYRILLIC = 7
};

// Common base of the touch keypads: what windows and line edits hold.
class TBaseTouchKeypad : public QFrame
{
    Q_OBJECT
public:
    explicit TBaseTouchKeypad(QWidget *parent = nullptr);
    ~TBaseTouchKeypad() override;

    virtual bool isKeypadVisible() const;
    virtual bool isOwnKeyEvent(QEvent *e);
    virtual void setKeyboardCharacterSet(TKeyboardCharacterSet characterSet);

    // Appends a key; its activations reach keyClickedHandler.
    void registerKey(TTouchKey *key);
    const QList<TTouchKey *> &keys() const { return m_keys; }

signals:
    void hidding(THiddingReason reason);
    void showing();

public slots:
    // Sends the key's event at once to the focus widget of this keypad's window.
    virtual void keyClickedHandler(TBaseKeyData *pKeyData);

protected:
    void sendKeyEvent(TBaseKeyData *pKeyData, Qt::KeyboardModifiers modifiers);

    QList<TTouchKey *> m_keys;
    // The key event the keypad sent last; only its identity is used. The
    // keypad keeps it alive until it sends the next one.
    QKeyEvent *m_lastKeyEvent = nullptr;

private:
    std::unique_ptr<QKeyEvent> m_lastKeyEventStore;
};

Q_DECLARE_METATYPE(THiddingReason)
