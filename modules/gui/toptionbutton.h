#pragma once

#include <QToolButton>

// A touch button of button bars and menus; here only what sub-windows use:
// the default-button marking that the style sheet addresses.
class TOptionButton : public QToolButton
{
    Q_OBJECT
public:
    enum ButtonType { BarButton = 0, MenuButton = 1, ListButton = 2, OtherButton = 3 };

    explicit TOptionButton(QWidget *parent = nullptr, ButtonType type = BarButton);

    void setDefault(bool on);
    bool isDefault() const { return m_default; }
    ButtonType buttonType() const { return m_type; }

private:
    ButtonType m_type;
    Qt::Alignment m_textAlignment;
    bool m_default = false;
};
