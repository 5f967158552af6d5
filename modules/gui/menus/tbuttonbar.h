#pragma once

#include <QFrame>

class QBoxLayout;
class QHBoxLayout;
class TIconWidget;
class TOption;
class TOptionButton;
class TOptionIconButton;

// The strip of option buttons at the bottom of screens, pages and
// sub-windows. It relays every leaf selection of its buttons as one signal.
// Built with tools, it starts minimised to the tools button and unfolds to
// the full row when that is pressed.
class TButtonBar : public QFrame
{
    Q_OBJECT
public:
    explicit TButtonBar(QWidget *parent = nullptr, bool withTools = false);

    TOptionButton *addOption(TOption *option, int stretch = 0, Qt::Alignment alignment = Qt::Alignment());
    TOptionIconButton *addIconOption(TOption *option, int stretch = 0, Qt::Alignment alignment = Qt::Alignment());
    TIconWidget *addIcon(const QString &iconName, int stretch = 0, Qt::Alignment alignment = Qt::Alignment());
    void addStretch(int stretch = 0);
    void addSpacing(int size);
    void setAlignment(Qt::Alignment alignment);
    bool isFullyShown() const;
    bool isMinimized() const { return m_minimized; }

    TOptionIconButton *toolsButton() const { return m_toolsButton; }
    TOptionIconButton *closeToolsButton() const { return m_closeToolsButton; }
    QFrame *optionFrame() const { return m_optionFrame; }

    void setVisible(bool visible) override;

signals:
    void fullyShown(bool shown);
    void leafSelected();

public slots:
    void setMinimized();
    void setFullyShown();

private:
    bool focusInside() const;

    QHBoxLayout *m_mainLayout;
    QFrame *m_optionFrame;
    QBoxLayout *m_optionLayout;
    TOptionIconButton *m_toolsButton = nullptr;
    TOptionIconButton *m_closeToolsButton = nullptr;
    bool m_minimized = false;
};
