#pragma once

class QWidget;
class TOption;
class TOptionMenuWindow;

// What an option menu window needs of the button that opened it.
class TAbstractMenuShower
{
public:
    // Where the sub-menu opens relative to the button.
    enum Direction { Up = 0, Down = 1, ToTheLeft = 2, ToTheRight = 3 };

    virtual ~TAbstractMenuShower() = default;
    // The widget shown over the opening button while the menu is open; none
    // when the menu must not open.
    virtual QWidget *createMenuButton(TOptionMenuWindow *window, int direction) = 0;
    void setDirection(int direction) { m_direction = direction; }
    int direction() const { return m_direction; }
    TOption *option() const { return m_option; }
    bool openedByKeyboard() const { return m_openedByKeyboard; }
    // The button itself, so that a menu window can check it still exists.
    virtual QWidget *showerWidget() = 0;

    static const char *directionName(int direction)
    {
        switch (direction) {
        case Up: return "dropUpMenuButton";
        case Down: return "dropDownMenuButton";
        case ToTheLeft: return "toTheLeftMenuButton";
        default: return "toTheRightMenuButton";
        }
    }

protected:
    bool m_openedByKeyboard = false;
    TOption *m_option = nullptr;
    int m_direction = 0;
};
