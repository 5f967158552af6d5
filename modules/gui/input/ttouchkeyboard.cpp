#include "ttouchkeyboard.h"

#include "tcontrolkeydata.h"
#include "ticonbutton.h"
#include "tmainwindow.h"
#include "tstandardkeydata.h"
#include "tstylesheet.h"
#include "ttouchkey.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QTimeLine>
#include <QVBoxLayout>

namespace {

bool s_savedCapsLock = false;

// Marks a blank key in the layout tables below.
const QChar blank(0x00B7);

// Letter and symbol keys with twelve descriptions: lower, upper, Cyrillic
// lower, Cyrillic upper, symbols 1, symbols 2, radiotelex symbols, 5-bit
// symbols, 7-bit Cyrillic symbols 1 and 2, digit only, digit plus.
const char *const row1Keys[] = {
    "qQйЙ1[111·11", "··цЦ········", "··уУ········", "wWкК2]222·22", "eEеЕ3{333{33", "rRнН4}444}44",
    "tTгГ5\\555·55", "yYшШ6^666·66", "uUщЩ7_777·77", "iIзЗ8|888|88", "oOхХ9~999~99",
};
// Key 11 has one description per state (blank in the radiotelex Cyrillic states).
const char *const key11 = "pPъЪ··0`000`00";
const char *const row2Keys[] = {
    "aAфФ!···!···", "··ыЫ········", "··вВ········", "sSаА\"···\"···", "dDпП#··##···", "fFрР$··$$···",
    "gGоО%··%%···", "hHлЛ&···&···", "jJдД/·///···", "kKжЖ(·(((···", "lLэЭ)·)))···",
};
const char *const starKeyChars = "····*···*···";
const char *const row3Keys[] = {
    "··яЯ········", "··чЧ········", "zZсС=·=·=···", "xXмМ?·???···", "cCиИ+·+++··+",
    "vVтТ-·---···", "bBьЬ;···;···", "nNбБ:·:::···", "mMюЮ'·'''···",
};
const char *const atKeyChars = "····@··@····";
// Comma and full stop: lower, upper, symbols 1, symbols 2, radiotelex, 5-bit, digit only, digit plus.
const char *const commaKey = ",,<·····";
const char *const stopKey = "..>·····";

} // namespace

TTouchKeyboard::TTouchKeyboard(bool userHideable, QWidget *parent)
    : TBaseTouchKeypad(parent)
    , m_userHideable(userHideable)
{
    setFrameShape(QFrame::NoFrame);
    setFrameShadow(QFrame::Plain);
    setMinimumHeight(0);
    setMaximumHeight(0);
    setMinimumWidth(800);
    setMaximumWidth(800);
    hide();
    m_slideTimeLine = new QTimeLine(300, this);
    m_slideTimeLine->setUpdateInterval(40);
    connect(m_slideTimeLine, &QTimeLine::valueChanged, this, &TTouchKeyboard::updateShowKeyboardStep);
    connect(m_slideTimeLine, &QTimeLine::finished, this, &TTouchKeyboard::showKeyboardFinished);
}

TTouchKeyboard::~TTouchKeyboard() = default;

bool TTouchKeyboard::savedCapsLock()
{
    return s_savedCapsLock;
}

void TTouchKeyboard::setUserHideable(bool hideable)
{
    m_userHideable = hideable;
}

bool TTouchKeyboard::isKeypadVisible() const
{
    return isVisible()
           && !(m_slideTimeLine->state() == QTimeLine::Running && m_slideTimeLine->direction() == QTimeLine::Backward);
}

bool TTouchKeyboard::isOwnKeyEvent(QEvent *e)
{
    if (TBaseTouchKeypad::isOwnKeyEvent(e))
        return true;
    if (m_userHideable)
        hideKeyboard(HIDDING_REASON_OWN_KEY_EVENT_MISSING);
    return false;
}

bool TTouchKeyboard::isSliding() const
{
    return m_slideTimeLine->state() == QTimeLine::Running;
}

const QList<TBaseKeyData *> &TTouchKeyboard::keyDataList(int state) const
{
    return m_keyDataLists[(state >= 1 && state <= stateCount) ? state - 1 : 0];
}

// ---- building -------------------------------------------------------------

TBaseKeyData *TTouchKeyboard::own(TBaseKeyData *data)
{
    m_ownedKeyData.emplace_back(data);
    return data;
}

TBaseKeyData *TTouchKeyboard::character(QChar c)
{
    if (c == blank)
        return nullptr;
    if (TBaseKeyData *known = m_characterData.value(c))
        return known;
    int code;
    const ushort u = c.unicode();
    if (u >= 0x0400 && u <= 0x04FF)
        code = Qt::Key_A;
    else if (c.isLetter())
        code = c.toUpper().unicode();
    else
        code = u;
    TBaseKeyData *data = own(new TStandardKeyData(code, QString(c)));
    m_characterData.insert(c, data);
    return data;
}

TTouchKey *TTouchKeyboard::createKey(QHBoxLayout *row, int width, bool smallFont, const QList<TBaseKeyData *> &perState)
{
    auto *key = new TTouchKey(this, width, smallFont);
    registerKey(key);
    for (int s = 0; s < stateCount; ++s)
        m_keyDataLists[s].append(perState.value(s));
    row->addWidget(key);
    return key;
}

TTouchKey *TTouchKeyboard::createKey(QHBoxLayout *row, int width, bool smallFont, TBaseKeyData *fixed)
{
    QList<TBaseKeyData *> perState;
    for (int s = 0; s < stateCount; ++s)
        perState << fixed;
    return createKey(row, width, smallFont, perState);
}

TTouchKey *TTouchKeyboard::createKey8(QHBoxLayout *row, int width, bool smallFont, const QString &chars)
{
    // lower 1, 3, 5; upper 2, 4, 6; symbols 1 to 7 and 11; symbols 2 to 8 and 12; then 9, 10, 13, 14.
    static const int source[stateCount] = {0, 1, 0, 1, 0, 1, 2, 3, 4, 5, 2, 3, 6, 7};
    QList<TBaseKeyData *> perState;
    for (int s = 0; s < stateCount; ++s)
        perState << character(chars.at(source[s]));
    return createKey(row, width, smallFont, perState);
}

TTouchKey *TTouchKeyboard::createKey12(QHBoxLayout *row, int width, bool smallFont, const QString &chars)
{
    // Cyrillic lower to 3 and 5, Cyrillic upper to 4 and 6, the others one each.
    static const int source[stateCount] = {0, 1, 2, 3, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    QList<TBaseKeyData *> perState;
    for (int s = 0; s < stateCount; ++s)
        perState << character(chars.at(source[s]));
    return createKey(row, width, smallFont, perState);
}

TTouchKey *TTouchKeyboard::createKey14(QHBoxLayout *row, int width, bool smallFont, const QString &chars)
{
    QList<TBaseKeyData *> perState;
    for (int s = 0; s < stateCount; ++s)
        perState << character(chars.at(s));
    return createKey(row, width, smallFont, perState);
}

TIconButton *TTouchKeyboard::makeIconButton(const QString &imageName, QWidget *parent)
{
    return new TIconButton(QString(), imageName, parent);
}

void TTouchKeyboard::initContentFrame()
{
    if (m_contentFrame)
        return;
    qDebug() << "TTouchKeyboard::initContentFrame: Start of function.";
    m_contentFrame = new QFrame(this);
    m_contentFrame->setObjectName(QStringLiteral("keyboardFrame"));
    m_contentFrame->setGeometry(0, 0, 800, fullHeight);
    auto *outer = new QHBoxLayout(m_contentFrame);
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *inner = new QVBoxLayout;
    inner->setSpacing(0);
    inner->setContentsMargins(0, 4, 0, 4);
    outer->addLayout(inner);

    m_hideButtonUpperRight = makeIconButton(QStringLiteral("zkgui_close_cross"), m_contentFrame);
    m_hideButtonLowerRight = makeIconButton(QStringLiteral("zkgui_close_cross"), m_contentFrame);
    connect(m_hideButtonUpperRight, &TIconButton::clicked, this, [this] { hideKeyboard(); });
    connect(m_hideButtonLowerRight, &TIconButton::clicked, this, [this] { hideKeyboard(); });

    for (int r = 0; r < 4; ++r) {
        m_rowLayouts[r] = new QHBoxLayout;
        m_rowLayouts[r]->setSpacing(1);
        m_rowLayouts[r]->setContentsMargins(0, 0, 0, 0);
        inner->addLayout(m_rowLayouts[r]);
    }
    for (int r = 0; r < 3; ++r)
        m_rowSpacers[r] = new QSpacerItem(r == 0 ? 0 : 58, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_row4Spacer = new QSpacerItem(61, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);

    const auto utf8 = [](const char *text) { return QString::fromUtf8(text); };

    // Row 1.
    QHBoxLayout *row = m_rowLayouts[0];
    row->addSpacerItem(m_rowSpacers[0]);
    m_arrowUpButton = makeIconButton(QStringLiteral("zkgui_selecter_arrow_up"), m_contentFrame);
    m_arrowUpButton->setFixedWidth(60);
    connect(m_arrowUpButton, &TIconButton::clicked, this, &TTouchKeyboard::symbolArrowUpKeyClickedHandler);
    row->addWidget(m_arrowUpButton);
    for (int i = 0; i < 11; ++i) {
        TTouchKey *key = createKey12(row, 58, false, utf8(row1Keys[i]));
        if (i == 1 || i == 2)
            m_cyrillicExtraKeys << key;
    }
    createKey14(row, 58, false, utf8(key11));
    createKey(row, 87, true,
              own(new TStandardKeyData(Qt::Key_Backspace, QString(), tr("Back\nspace"),
                                       QStringLiteral("zkgui_key_backspace"), true)));
    row->addStretch();
    row->addWidget(m_hideButtonUpperRight);

    // Row 2.
    row = m_rowLayouts[1];
    row->addSpacerItem(m_rowSpacers[1]);
    m_pageLabel = new QLabel(m_contentFrame);
    m_pageLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_pageLabel->setFixedWidth(60);
    row->addWidget(m_pageLabel);
    for (int i = 0; i < 11; ++i) {
        TTouchKey *key = createKey12(row, i == 0 ? 87 : 58, false, utf8(row2Keys[i]));
        if (i == 1 || i == 2)
            m_cyrillicExtraKeys << key;
    }
    createKey(row, 117, true,
              own(new TStandardKeyData(Qt::Key_Enter, QString(), tr("Enter"), QStringLiteral("zkgui_key_enter"))));
    row->addStretch();

    // Row 3.
    row = m_rowLayouts[2];
    row->addSpacerItem(m_rowSpacers[2]);
    m_arrowDownButton = makeIconButton(QStringLiteral("zkgui_selecter_arrow_down"), m_contentFrame);
    m_arrowDownButton->setFixedWidth(60);
    connect(m_arrowDownButton, &TIconButton::clicked, this, &TTouchKeyboard::symbolArrowDownKeyClickedHandler);
    row->addWidget(m_arrowDownButton);
    m_capsLockKey = createKey(row, 58, true, own(new TControlKeyData(Qt::Key_CapsLock, tr("Caps\nLock"))));
    m_starKey = createKey12(row, 58, false, utf8(starKeyChars));
    for (int i = 0; i < 9; ++i) {
        TTouchKey *key = createKey12(row, 58, false, utf8(row3Keys[i]));
        if (i < 2)
            m_cyrillicExtraKeys << key;
    }
    createKey8(row, 58, false, utf8(commaKey));
    createKey8(row, 58, false, utf8(stopKey));
    m_shiftKey = createKey(row, 87, true,
                           own(new TControlKeyData(Qt::Key_Shift, tr("Shift"), QStringLiteral("zkgui_key_shift"))));
    m_atKey = createKey12(row, 87, false, utf8(atKeyChars));
    row->addStretch();

    // Row 4.
    row = m_rowLayouts[3];
    row->addSpacerItem(m_row4Spacer);
    m_cyrillicToggleKey = createKey(row, 58, true, own(new TControlKeyData(cyrillicToggleKeyCode, tr("[CY]"))));
    m_symbolsKey = createKey(row, 147, true, own(new TControlKeyData(symbolsKeyCode, tr("123, symbols"))));
    m_blankKey = createKey(row, 147, false, static_cast<TBaseKeyData *>(nullptr));
    createKey(row, 294, true, own(new TStandardKeyData(Qt::Key_Space, QStringLiteral(" "), tr("Space"))));
    const int arrows[4] = {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down};
    const char *const arrowImages[4] = {"zkgui_key_arrow_left", "zkgui_key_arrow_up", "zkgui_key_arrow_right",
                                        "zkgui_key_arrow_down"};
    for (int i = 0; i < 4; ++i)
        createKey(row, 58, false,
                  own(new TStandardKeyData(arrows[i], QString(), QString(), QLatin1String(arrowImages[i]), true)));
    row->addStretch();
    row->addWidget(m_hideButtonLowerRight);

    finishCharacterSetLayout();
    updateSymbolPageControls();
}

void TTouchKeyboard::finishCharacterSetLayout()
{
    if (m_characterSet == KEYBOARD_CHARACTER_SET_INM_C_7BIT_CYRILLIC
        || m_characterSet == KEYBOARD_CHARACTER_SET_INM_C_8BIT_CYRILLIC) {
        qDebug() << "TTouchKeyboard::initContentFrame: characterSet==KEYBOARD_CHARACTER_SET_INM_C_8BIT_CYRILLIC "
                    "(or 7bit cyrillic)";
        m_row4Spacer->changeSize(2, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_cyrillicToggleKey->show();
    } else {
        qDebug() << "TTouchKeyboard::initContentFrame: characterSet!=KEYBOARD_CHARACTER_SET_INM_C_8BIT_CYRILLIC and "
                    "Not 7BIT cyrillic. It is: "
                 << m_characterSet;
        m_row4Spacer->changeSize(61, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_cyrillicToggleKey->hide();
        m_cyrillicToggleKey->setChecked(false);
    }
}

// ---- states ----------------------------------------------------------------

void TTouchKeyboard::applyKeyData(int state)
{
    const QList<TBaseKeyData *> &list = keyDataList(state);
    for (int i = 0; i < m_keys.size() && i < list.size(); ++i)
        m_keys[i]->setKeyData(list[i]);
}

void TTouchKeyboard::setState(TKeyboardState newState)
{
    if (newState == m_state)
        return;
    m_state = newState;
    initContentFrame();
    applyKeyData(newState);
    const int s = (newState >= 1 && newState <= stateCount) ? int(newState) : int(LOWER_CASE);
    showExtraKeysForCyrillicSupport(s >= 3 && s <= 6);

    const bool letters = s <= 6;
    const bool digits = s >= 13;
    if (letters) {
        m_symbolPage = 0;
        const bool upper = s == 2 || s == 4 || s == 6;
        if (!upper)
            m_capsLockKey->setChecked(false);
        m_shiftKey->setChecked(upper);
        m_symbolsKey->setChecked(false);
        m_cyrillicToggleKey->setChecked(s >= 3);
    } else {
        m_symbolPage = (s == 7 || s == 11) ? 1 : (s == 8 || s == 12) ? 2 : 0;
        m_capsLockKey->setChecked(false);
        m_shiftKey->setChecked(false);
        m_symbolsKey->setChecked(true);
    }
    m_capsLockKey->setVisible(letters);
    m_shiftKey->setVisible(letters);
    m_starKey->setVisible(!letters);
    m_atKey->setVisible(!letters);
    m_symbolsKey->setVisible(!digits);
    m_blankKey->setVisible(digits);
    updateSymbolPageControls();
}

void TTouchKeyboard::showExtraKeysForCyrillicSupport(bool show)
{
    qDebug() << "TTouchKeyboard::showExtraKeysForCyrillicSupport: Start of function. This function sets "
                "pHideButtonLower/UpperRight->setVisible(true && userHideable).";
    for (TTouchKey *key : qAsConst(m_cyrillicExtraKeys))
        key->setVisible(show);
    m_hideButtonUpperRight->setVisible(!show && m_userHideable);
    m_hideButtonLowerRight->setVisible(show && m_userHideable);
}

void TTouchKeyboard::updateSymbolPageControls()
{
    if (!m_contentFrame)
        return;
    const bool paged = m_symbolPage == 1 || m_symbolPage == 2;
    m_arrowUpButton->setVisible(paged);
    m_arrowDownButton->setVisible(paged);
    m_pageLabel->setVisible(paged);
    if (paged) {
        for (QSpacerItem *spacer : m_rowSpacers)
            spacer->changeSize(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_pageLabel->setText(tr("Page") + QLatin1Char('\n') + (m_symbolPage == 1 ? tr("1 of 2") : tr("2 of 2")));
    } else {
        const int width = (m_state >= 3 && m_state <= 6) ? 2 : 61;
        for (QSpacerItem *spacer : m_rowSpacers)
            spacer->changeSize(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    for (QHBoxLayout *row : m_rowLayouts)
        row->invalidate();
}

void TTouchKeyboard::symbolPageArrowClicked()
{
    const bool cyrillic7 = m_characterSet == KEYBOARD_CHARACTER_SET_INM_C_7BIT_CYRILLIC;
    if (m_symbolPage == 2)
        setState(cyrillic7 ? INM_C_SYMBOLS_7BIT_CYRILLIC_1 : ASCII_SYMBOLS_1);
    else
        setState(cyrillic7 ? INM_C_SYMBOLS_7BIT_CYRILLIC_2 : ASCII_SYMBOLS_2);
}

void TTouchKeyboard::symbolArrowUpKeyClickedHandler()
{
    symbolPageArrowClicked();
}

void TTouchKeyboard::symbolArrowDownKeyClickedHandler()
{
    symbolPageArrowClicked();
}

void TTouchKeyboard::setKeyboardCharacterSet(TKeyboardCharacterSet characterSet)
{
    initContentFrame();
    qDebug() << "TTouchKeyboard::setKeyboardCharacterSet: this->characterSet=" << m_characterSet << characterSet;
    if (characterSet == m_characterSet)
        return;
    m_characterSet = characterSet;
    m_row4Spacer->changeSize(61, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_cyrillicToggleKey->hide();
    switch (characterSet) {
    case KEYBOARD_CHARACTER_SET_ASCII:
    case KEYBOARD_CHARACTER_SET_INM_C_5BIT_LATIN:
    case KEYBOARD_CHARACTER_SET_RADIOTELEX_LATIN:
        setState(LOWER_CASE);
        break;
    case KEYBOARD_CHARACTER_SET_DIGIT_ONLY:
        setState(DIGIT_ONLY);
        break;
    case KEYBOARD_CHARACTER_SET_DIGIT_PLUS:
        setState(DIGIT_PLUS);
        break;
    case KEYBOARD_CHARACTER_SET_INM_C_7BIT_CYRILLIC:
    case KEYBOARD_CHARACTER_SET_INM_C_8BIT_CYRILLIC:
        m_row4Spacer->changeSize(2, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_cyrillicToggleKey->show();
        qDebug() << "TTouchKeyboard::setKeyboardCharacterSet: About to set state to LOWER_CASE_CYRILLIC.";
        setState(INM_C_LOWER_CASE_CYRILLIC);
        break;
    case KEYBOARD_CHARACTER_SET_RADIOTELEX_CYRILLIC:
        m_row4Spacer->changeSize(2, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_cyrillicToggleKey->show();
        setState(LOWER_CASE);
        break;
    default:
        break;
    }
    updateSymbolPageControls();
}

void TTouchKeyboard::goToLetterState(bool upper)
{
    if (!m_cyrillicToggleKey->isChecked()) {
        setState(upper ? UPPER_CASE : LOWER_CASE);
        return;
    }
    switch (m_characterSet) {
    case KEYBOARD_CHARACTER_SET_INM_C_7BIT_CYRILLIC:
    case KEYBOARD_CHARACTER_SET_INM_C_8BIT_CYRILLIC:
        setState(upper ? INM_C_UPPER_CASE_CYRILLIC : INM_C_LOWER_CASE_CYRILLIC);
        break;
    case KEYBOARD_CHARACTER_SET_RADIOTELEX_CYRILLIC:
        setState(upper ? RADIOTELEX_UPPER_CASE_CYRILLIC : RADIOTELEX_LOWER_CASE_CYRILLIC);
        break;
    default:
        qWarning() << "TTouchKeyboard::keyClickedHandler: WARNING: Unexpected characterset =" << m_characterSet;
        break;
    }
}

void TTouchKeyboard::keyClickedHandler(TBaseKeyData *pKeyData)
{
    if (!pKeyData)
        return;
    if (pKeyData->isCheckable()) {
        switch (pKeyData->key()) {
        case symbolsKeyCode:
            if (m_symbolsKey->isChecked()) {
                s_savedCapsLock = m_capsLockKey->isChecked();
                m_symbolPage = 1;
                switch (m_characterSet) {
                case KEYBOARD_CHARACTER_SET_ASCII:
                case KEYBOARD_CHARACTER_SET_INM_C_8BIT_CYRILLIC:
                    setState(ASCII_SYMBOLS_1);
                    break;
                case KEYBOARD_CHARACTER_SET_INM_C_7BIT_CYRILLIC:
                    setState(INM_C_SYMBOLS_7BIT_CYRILLIC_1);
                    break;
                case KEYBOARD_CHARACTER_SET_INM_C_5BIT_LATIN:
                    setState(INM_C_SYMBOLS_5BIT_LATIN);
                    break;
                case KEYBOARD_CHARACTER_SET_RADIOTELEX_LATIN:
                case KEYBOARD_CHARACTER_SET_RADIOTELEX_CYRILLIC:
                    setState(RADIOTELEX_SYMBOLS);
                    break;
                default:
                    qDebug() << "TTouchKeyboard::keyClickedHandler: Character set not supported yet. characterSet="
                             << m_characterSet;
                    break;
                }
            } else if (s_savedCapsLock) {
                goToLetterState(true);
                m_capsLockKey->setChecked(true);
                m_shiftKey->setChecked(true);
            } else {
                goToLetterState(false);
            }
            break;
        case Qt::Key_Shift:
        case cyrillicToggleKeyCode:
            goToLetterState(m_shiftKey->isChecked());
            break;
        case Qt::Key_CapsLock:
            if (!m_capsLockKey->isChecked())
                goToLetterState(false);
            else if (!m_shiftKey->isChecked())
                goToLetterState(true);
            break;
        default:
            break;
        }
        return;
    }
    const bool shift = m_shiftKey && m_shiftKey->isChecked();
    sendKeyEvent(pKeyData, shift ? Qt::ShiftModifier : Qt::NoModifier);
    const int code = pKeyData->key();
    const bool arrow = code >= Qt::Key_Left && code <= Qt::Key_Down;
    if (shift && !m_capsLockKey->isChecked() && !arrow) {
        m_shiftKey->setChecked(false);
        goToLetterState(false);
    }
}

// ---- sliding ---------------------------------------------------------------

void TTouchKeyboard::setCurrentHeight(int height)
{
    m_currentHeight = height;
    setMinimumHeight(height);
    setMaximumHeight(height);
    emit heightChanged(height);
}

void TTouchKeyboard::registerAnimation()
{
    if (TMainWindow::instance() && !m_registered) {
        TMainWindow::instance()->addAnimatingWidget(this, "1instantAnimationEnd()");
        m_registered = true;
    }
}

void TTouchKeyboard::unregisterAnimation()
{
    if (m_registered) {
        m_registered = false;
        if (TMainWindow::instance())
            TMainWindow::instance()->removeAnimatingWidget(this, "1instantAnimationEnd()");
    }
}

void TTouchKeyboard::showKeyboard(bool animatedShow)
{
    qDebug() << "TTouchKeyboard::showKeyboard: Start of function.";
    initContentFrame();
    if (isKeypadVisible())
        return;
    switch (m_characterSet) {
    case KEYBOARD_CHARACTER_SET_DIGIT_ONLY:
        setState(DIGIT_ONLY);
        break;
    case KEYBOARD_CHARACTER_SET_DIGIT_PLUS:
        setState(DIGIT_PLUS);
        break;
    case KEYBOARD_CHARACTER_SET_INM_C_7BIT_CYRILLIC:
    case KEYBOARD_CHARACTER_SET_INM_C_8BIT_CYRILLIC:
        if (m_state != INM_C_LOWER_CASE_CYRILLIC)
            setState(m_state == INM_C_UPPER_CASE_CYRILLIC || m_cyrillicToggleKey->isChecked()
                         ? INM_C_LOWER_CASE_CYRILLIC
                         : LOWER_CASE);
        break;
    case KEYBOARD_CHARACTER_SET_RADIOTELEX_CYRILLIC:
        if (m_state != RADIOTELEX_LOWER_CASE_CYRILLIC)
            setState(m_state == RADIOTELEX_UPPER_CASE_CYRILLIC || m_cyrillicToggleKey->isChecked()
                         ? RADIOTELEX_LOWER_CASE_CYRILLIC
                         : LOWER_CASE);
        break;
    default:
        setState(LOWER_CASE);
        break;
    }
    m_slideTimeLine->setDirection(QTimeLine::Forward);
    if (animatedShow) {
        m_slideTimeLine->stop();
        if (!isVisible()) {
            m_slideTimeLine->setCurrentTime(0);
            setCurrentHeight(0);
        }
        registerAnimation();
        m_slideTimeLine->start();
    } else {
        if (isSliding()) {
            m_slideTimeLine->stop();
            m_slideTimeLine->setCurrentTime(0);
            unregisterAnimation();
        }
        setCurrentHeight(fullHeight);
    }
    setVisible(true);
    emit showing();
}

void TTouchKeyboard::hideKeyboard(THiddingReason reason)
{
    // A key held down stops repeating as soon as the keyboard starts to go.
    for (TTouchKey *key : keys())
        key->cancelPress();
    if (isKeypadVisible()) {
        m_slideTimeLine->setDirection(QTimeLine::Backward);
        m_slideTimeLine->stop();
        registerAnimation();
        m_slideTimeLine->start();
    } else {
        m_slideTimeLine->setDirection(QTimeLine::Backward);
        if (isVisible() && !isSliding()) {
            registerAnimation();
            m_slideTimeLine->start();
        }
    }
    emit hidding(reason);
}

void TTouchKeyboard::instantAnimationEnd()
{
    if (isSliding()) {
        const bool forward = m_slideTimeLine->direction() == QTimeLine::Forward;
        m_slideTimeLine->stop();
        m_slideTimeLine->setCurrentTime(0);
        setCurrentHeight(forward ? fullHeight : 0);
        if (!forward)
            hide();
    }
    unregisterAnimation();
}

void TTouchKeyboard::updateShowKeyboardStep(qreal val)
{
    setCurrentHeight(int(val * fullHeight));
}

void TTouchKeyboard::showKeyboardFinished()
{
    if (m_slideTimeLine->direction() == QTimeLine::Backward)
        setVisible(false);
    unregisterAnimation();
}
