#pragma once

#include "tabstractmenushower.h"

#include <QToolButton>

class TOption;
class QStyleOptionToolButton;

// The touch button through which an option is pressed: shows the option's
// text and image, follows its enabled state, opens its sub-menu in an option
// menu window and relays leaf selections as leafSelected().
class TOptionButton : public QToolButton, public TAbstractMenuShower
{
    Q_OBJECT
public:
    enum ButtonType { BarButton = 0, MenuButton = 1, ListButton = 2, OtherButton = 3 };

    explicit TOptionButton(QWidget *parent = nullptr, ButtonType type = BarButton);
    TOptionButton(TOption *option, QWidget *parent, ButtonType type = BarButton);
    // Lets go of the option first: a child option destroyed with the button
    // must not call back into a half-destroyed button.
    ~TOptionButton() override;

    void setOption(TOption *option);
    void setDefault(bool on);
    bool isDefault() const { return m_default; }
    void setElideMode(Qt::TextElideMode mode);
    Qt::TextElideMode elideMode() const { return m_elideMode; }
    Qt::Alignment textAlignment() const { return m_textAlignment; }
    ButtonType buttonType() const { return m_type; }

    QSize sizeHint() const override;
    QWidget *createMenuButton(TOptionMenuWindow *window, int direction) override;
    QWidget *showerWidget() override { return this; }

    // Name of the arrow image for a direction and checked state.
    static QString arrowImageName(int direction, bool checked);

signals:
    void leafSelected();

public slots:
    void clickHandler();
    void optionDestroyedHandler(QObject *object);
    void optionUpdatedHandler();
    void debugButtonPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

    void initOption(QStyleOptionToolButton *option, QRect *buttonRect, QRect *contentRect) const;
    // Hands a Space key event made from event to the tool button's handling.
    void actAsSpace(QKeyEvent *event, bool press);
    // Copies the settings common to every menu-button copy.
    void prepareMenuButton(TOptionButton *copy, TOptionMenuWindow *window, int direction, QRect rect);

private:
    void init();

    ButtonType m_type;
    Qt::Alignment m_textAlignment;
    bool m_default = false;
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
};
