#include "tbuttonbar.h"

#include "ticonwidget.h"
#include "toption.h"
#include "toptionbutton.h"
#include "toptioniconbutton.h"

#include <QApplication>
#include <QHBoxLayout>

TButtonBar::TButtonBar(QWidget *parent, bool withTools)
    : QFrame(parent)
    , m_mainLayout(new QHBoxLayout(this))
{
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    setFixedHeight(58);
    m_mainLayout->setContentsMargins(0, 0, 0, 0);
    m_mainLayout->setSpacing(0);
    if (withTools) {
        m_minimized = true;
        m_toolsButton = new TOptionIconButton(new TOption(QString(), QStringLiteral("zkgui_tools"), this, nullptr), this);
        m_toolsButton->setFixedSize(58, 58);
        m_mainLayout->addWidget(m_toolsButton, 0, Qt::AlignLeft);
        connect(m_toolsButton, &QAbstractButton::clicked, this, &TButtonBar::setFullyShown);
        m_optionFrame = new QFrame(this);
        m_optionFrame->setObjectName(QStringLiteral("OptionFrame"));
        m_optionFrame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
        m_optionFrame->hide();
        m_mainLayout->addWidget(m_optionFrame);
        auto *optionLayout = new QHBoxLayout(m_optionFrame);
        optionLayout->setContentsMargins(0, 0, 0, 0);
        optionLayout->setSpacing(0);
        m_optionLayout = optionLayout;
        m_closeToolsButton = new TOptionIconButton(new TOption(QString(), QStringLiteral("zkgui_tools_close"), this, nullptr), m_optionFrame);
        m_closeToolsButton->setFixedSize(58, 58);
        m_optionLayout->addWidget(m_closeToolsButton, 0, Qt::AlignLeft);
        connect(m_closeToolsButton, &QAbstractButton::clicked, this, &TButtonBar::setMinimized);
        setMinimumWidth(m_toolsButton->width());
        setMaximumWidth(m_toolsButton->width());
    } else {
        m_optionFrame = this;
        setObjectName(QStringLiteral("OptionFrame"));
        m_optionLayout = m_mainLayout;
        setMaximumWidth(10000);
    }
}

TOptionButton *TButtonBar::addOption(TOption *option, int stretch, Qt::Alignment alignment)
{
    auto *button = new TOptionButton(option, this, TOptionButton::BarButton);
    m_optionLayout->addWidget(button, stretch, alignment);
    connect(button, &TOptionButton::leafSelected, this, &TButtonBar::leafSelected);
    return button;
}

TOptionIconButton *TButtonBar::addIconOption(TOption *option, int stretch, Qt::Alignment alignment)
{
    auto *button = new TOptionIconButton(option, this);
    m_optionLayout->addWidget(button, stretch, alignment);
    connect(button, &TOptionButton::leafSelected, this, &TButtonBar::leafSelected);
    return button;
}

TIconWidget *TButtonBar::addIcon(const QString &iconName, int stretch, Qt::Alignment alignment)
{
    auto *icon = new TIconWidget(iconName, this);
    m_optionLayout->addWidget(icon, stretch, alignment);
    return icon;
}

void TButtonBar::addStretch(int stretch)
{
    m_optionLayout->addStretch(stretch);
}

void TButtonBar::addSpacing(int size)
{
    m_optionLayout->addSpacing(size);
}

void TButtonBar::setAlignment(Qt::Alignment alignment)
{
    m_mainLayout->setAlignment(alignment);
    m_mainLayout->update();
}

bool TButtonBar::isFullyShown() const
{
    return !m_minimized && isVisible();
}

bool TButtonBar::focusInside() const
{
    QWidget *focus = QApplication::focusWidget();
    return focus && focusWidget() == focus && isAncestorOf(focus);
}

void TButtonBar::setMinimized()
{
    if (!m_toolsButton || m_minimized)
        return;
    const bool inside = focusInside();
    m_minimized = true;
    emit fullyShown(false);
    m_toolsButton->show();
    m_optionFrame->hide();
    setMaximumWidth(m_closeToolsButton->maximumWidth());
    if (inside)
        m_toolsButton->setFocus(Qt::OtherFocusReason);
}

void TButtonBar::setFullyShown()
{
    if (!m_toolsButton || !m_minimized)
        return;
    const bool inside = focusInside();
    m_minimized = false;
    if (isVisible())
        emit fullyShown(true);
    m_toolsButton->hide();
    m_optionFrame->show();
    setMaximumWidth(10000);
    if (inside)
        m_closeToolsButton->setFocus(Qt::OtherFocusReason);
}

void TButtonBar::setVisible(bool visible)
{
    if (visible != isVisible())
        emit fullyShown(visible && !m_minimized);
    QFrame::setVisible(visible);
}
