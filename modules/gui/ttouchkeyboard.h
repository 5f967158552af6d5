#pragma once

#include "tbasetouchkeypad.h"

class QTimeLine;

// The on-screen keyboard of a sub-window view. It slides in and out over
// 300 ms (its height follows the slide, up to 240 px) and tells its view the
// height at every step. The keys themselves are built on first use.
class TTouchKeyboard : public TBaseTouchKeypad
{
    Q_OBJECT
public:
    static constexpr int fullHeight = 240;

    TTouchKeyboard(bool userHideable, QWidget *parent = nullptr);

    void setUserHideable(bool hideable);
    bool isUserHideable() const { return m_userHideable; }

    bool isOwnKeyEvent(QEvent *e) override;
    void setKeyboardCharacterSet(TKeyboardCharacterSet characterSet) override;
    TKeyboardCharacterSet keyboardCharacterSet() const { return m_characterSet; }

    int currentHeight() const { return m_currentHeight; }
    bool isSliding() const;

signals:
    void heightChanged(int currentHeight);

public slots:
    void showKeyboard(bool animatedShow);
    void showKeyboard() { showKeyboard(true); }
    void hideKeyboard(THiddingReason reason);
    void hideKeyboard() { hideKeyboard(HIDDING_REASON_REQUEST); }
    void instantAnimationEnd();
    void updateShowKeyboardStep(qreal val);
    void showKeyboardFinished();

private:
    void buildKeys();
    void setCurrentHeight(int height);

    bool m_userHideable;
    TKeyboardCharacterSet m_characterSet = KEYBOARD_CHARACTER_SET_ASCII;
    QTimeLine *m_slideTimeLine;
    QFrame *m_contentFrame = nullptr;
    int m_currentHeight = 0;
    bool m_registered = false;
};
