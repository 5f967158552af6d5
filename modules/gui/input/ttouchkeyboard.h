#pragma once

#include "tbasetouchkeypad.h"

#include <QHash>
#include <QList>

#include <memory>
#include <vector>

class QHBoxLayout;
class QLabel;
class QSpacerItem;
class QTimeLine;
class TIconButton;
class TBaseKeyData;
class TTouchKey;

// The on-screen keyboard of a sub-window view: 48 keys in four rows whose
// meaning follows the keyboard state (letters, Cyrillic, symbol pages,
// digits) within the character set chosen by the field being edited. It
// slides in and out over 300 ms and reports its height at every step.
class TTouchKeyboard : public TBaseTouchKeypad
{
    Q_OBJECT
public:
    enum TKeyboardState {
        LOWER_CASE = 1,
        UPPER_CASE = 2,
        INM_C_LOWER_CASE_CYRILLIC = 3,
        INM_C_UPPER_CASE_CYRILLIC = 4,
        RADIOTELEX_LOWER_CASE_CYRILLIC = 5,
        RADIOTELEX_UPPER_CASE_CYRILLIC = 6,
        ASCII_SYMBOLS_1 = 7,
        ASCII_SYMBOLS_2 = 8,
        RADIOTELEX_SYMBOLS = 9,
        INM_C_SYMBOLS_5BIT_LATIN = 10,
        INM_C_SYMBOLS_7BIT_CYRILLIC_1 = 11,
        INM_C_SYMBOLS_7BIT_CYRILLIC_2 = 12,
        DIGIT_ONLY = 13,
        DIGIT_PLUS = 14
    };
    Q_ENUM(TKeyboardState)

    static constexpr int fullHeight = 240;
    static constexpr int keyCount = 48;
    static constexpr int stateCount = 14;
    // Key codes of the mode keys that have no Qt key.
    static constexpr int cyrillicToggleKeyCode = 0x01100000;
    static constexpr int symbolsKeyCode = 0x01010000;

    TTouchKeyboard(bool userHideable, QWidget *parent = nullptr);
    ~TTouchKeyboard() override;

    void setUserHideable(bool hideable);
    bool isUserHideable() const { return m_userHideable; }

    bool isKeypadVisible() const override;
    bool isOwnKeyEvent(QEvent *e) override;
    void setKeyboardCharacterSet(TKeyboardCharacterSet characterSet) override;
    TKeyboardCharacterSet keyboardCharacterSet() const { return m_characterSet; }

    void setState(TKeyboardState newState);
    TKeyboardState state() const { return m_state; }
    int symbolPage() const { return m_symbolPage; }
    void showExtraKeysForCyrillicSupport(bool show);

    int currentHeight() const { return m_currentHeight; }
    bool isSliding() const;

    // Key lists by state (1..14) and the widgets whose visibility follows the state.
    const QList<TBaseKeyData *> &keyDataList(int state) const;
    QFrame *contentFrame() const { return m_contentFrame; }
    TTouchKey *capsLockKey() const { return m_capsLockKey; }
    TTouchKey *shiftKey() const { return m_shiftKey; }
    TTouchKey *symbolsKey() const { return m_symbolsKey; }
    TTouchKey *cyrillicToggleKey() const { return m_cyrillicToggleKey; }
    TTouchKey *starKey() const { return m_starKey; }
    TTouchKey *atKey() const { return m_atKey; }
    TTouchKey *blankKey() const { return m_blankKey; }
    TIconButton *hideButtonUpperRight() const { return m_hideButtonUpperRight; }
    TIconButton *hideButtonLowerRight() const { return m_hideButtonLowerRight; }
    TIconButton *arrowUpButton() const { return m_arrowUpButton; }
    QLabel *pageLabel() const { return m_pageLabel; }

    static bool savedCapsLock();

signals:
    void heightChanged(int currentHeight);

public slots:
    void showKeyboard(bool animatedShow);
    void showKeyboard() { showKeyboard(true); }
    void hideKeyboard(THiddingReason reason);
    void hideKeyboard() { hideKeyboard(HIDDING_REASON_REQUEST); }
    void instantAnimationEnd();
    void keyClickedHandler(TBaseKeyData *pKeyData) override;
    void updateShowKeyboardStep(qreal val);
    void showKeyboardFinished();
    void symbolArrowUpKeyClickedHandler();
    void symbolArrowDownKeyClickedHandler();

private:
    void initContentFrame();
    void updateSymbolPageControls();
    void applyKeyData(int state);
    void setCurrentHeight(int height);
    void registerAnimation();
    void unregisterAnimation();
    void goToLetterState(bool upper);
    void symbolPageArrowClicked();
    void finishCharacterSetLayout();

    // Key building.
    TBaseKeyData *own(TBaseKeyData *data);
    TBaseKeyData *character(QChar c);
    TTouchKey *createKey(QHBoxLayout *row, int width, bool smallFont, const QList<TBaseKeyData *> &perState);
    TTouchKey *createKey(QHBoxLayout *row, int width, bool smallFont, TBaseKeyData *fixed);
    TTouchKey *createKey8(QHBoxLayout *row, int width, bool smallFont, const QString &chars);
    TTouchKey *createKey12(QHBoxLayout *row, int width, bool smallFont, const QString &chars);
    TTouchKey *createKey14(QHBoxLayout *row, int width, bool smallFont, const QString &chars);
    TIconButton *makeIconButton(const QString &imageName, QWidget *parent);

    bool m_userHideable;
    TKeyboardCharacterSet m_characterSet = KEYBOARD_CHARACTER_SET_ASCII;
    TKeyboardState m_state = TKeyboardState(0);
    QTimeLine *m_slideTimeLine;
    QFrame *m_contentFrame = nullptr;
    int m_symbolPage = 0;
    QHBoxLayout *m_rowLayouts[4] = {};
    QList<TBaseKeyData *> m_keyDataLists[stateCount];
    std::vector<std::unique_ptr<TBaseKeyData>> m_ownedKeyData;
    QHash<QChar, TBaseKeyData *> m_characterData;
    TTouchKey *m_capsLockKey = nullptr;
    TTouchKey *m_starKey = nullptr;
    TTouchKey *m_symbolsKey = nullptr;
    TTouchKey *m_blankKey = nullptr;
    TTouchKey *m_shiftKey = nullptr;
    TTouchKey *m_atKey = nullptr;
    QList<TTouchKey *> m_cyrillicExtraKeys;
    TTouchKey *m_cyrillicToggleKey = nullptr;
    TIconButton *m_arrowUpButton = nullptr;
    TIconButton *m_arrowDownButton = nullptr;
    QLabel *m_pageLabel = nullptr;
    QSpacerItem *m_rowSpacers[3] = {};
    QSpacerItem *m_row4Spacer = nullptr;
    TIconButton *m_hideButtonUpperRight = nullptr;
    TIconButton *m_hideButtonLowerRight = nullptr;
    int m_currentHeight = 0;
    bool m_registered = false;
};
