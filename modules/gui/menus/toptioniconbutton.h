#pragma once

#include "toptionbutton.h"

#include <QPointer>

#include "tflashanimator.h"

// Image-only option button of button bars and window top panels, with an
// optional text under the image and an optional flashing overlay.
class TOptionIconButton : public TOptionButton
{
    Q_OBJECT
public:
    enum TextFlag { DrawPanel = 1, DrawText = 2 };

    explicit TOptionIconButton(QWidget *parent = nullptr);
    TOptionIconButton(TOption *option, QWidget *parent);
    ~TOptionIconButton() override;

    int textFlags() const { return m_textFlags; }
    void setTextFlags(int flags);
    bool isFlashing() const { return m_flashing; }
    void setFlashing(bool flashing);
    TFlashAnimator *flashAnimator() const { return m_animator; }

    // The state suffix of the image for the current button state.
    QString imageState() const;

    QSize sizeHint() const override;
    QWidget *createMenuButton(TOptionMenuWindow *window, int direction) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void initIcon();

    int m_textFlags = DrawPanel;
    bool m_flashing = false;
    QPointer<TFlashAnimator> m_animator;
};
