#pragma once

#include "tbasetouchkeypad.h"

#include <QLineEdit>

class TCharSetValidator;
class TIconButton;

// Single-line text field of the touch framework. It works with an on-screen
// keypad, moves the focus to its neighbours with the arrow keys and when a
// fixed-length entry is complete, pads its text on leaving and warns when a
// Cyrillic key is refused.
class TLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    TLineEdit(TBaseTouchKeypad *pKeypad, bool keyboardButton, QWidget *parent = nullptr,
              bool selectAllOnFocus = false);

    void setPreviousFocusWidget(QWidget *widget);
    void setNextFocusWidget(QWidget *widget);
    void setNextFocusWidget(QWidget *widget, int key1, int key2);
    void setPadding(QChar fillChar, int position);
    void setZeroPadding(int position);

    QWidget *nextFocusWidget() const { return m_nextWidget; }
    TCharSetValidator *charSetValidator() const { return m_charSetValidator; }
    TIconButton *keyboardButton() const { return m_keyboardButton; }

signals:
    void touchKeyboardSelected();

private slots:
    void handleKeyboardButtonPressed();
    void keyboardHiddingHandler(THiddingReason reason);
    void keyboardShowingHandler();
    void textEditedHandler(const QString &text);
    void hideKeyboardButton(bool bFade);
    void showKeyboardButton(bool bFade);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool keypadHidden() const;
    void applyKeypadCharacterSet();

    TIconButton *m_keyboardButton = nullptr;
    TBaseTouchKeypad *m_keypad;
    TCharSetValidator *m_charSetValidator;
    QWidget *m_previousWidget = nullptr;
    QWidget *m_nextWidget = nullptr;
    int m_paddingPosition = 0;
    QChar m_fillChar;
    bool m_selectAll;
    int m_extraKey1 = Qt::Key_unknown;
    int m_extraKey2 = Qt::Key_unknown;
};
