#include "twindowtoppanel.h"

#include "telidelabel.h"
#include "thelpcontrol.h"
#include "tactivitywidget.h"
#include "ticonwidget.h"
#include "toption.h"
#include "toptioniconbutton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

TWindowTopPanel::TWindowTopPanel(QWidget *parent, const QString &heading, const QString &iconName, bool withHelp,
                                 bool withClose, TOption *extraOption, QWidget *extraWidget)
    : QWidget(parent)
{
    QList<TOption *> options;
    if (extraOption)
        options << extraOption;
    if (withHelp) {
        // Bound to the help controller, owned by the panel: it goes with the window.
        auto *help = new TOption(tr("Help"), QStringLiteral("zkgui_help"), THelpControl::instance(), SLOT(show(QWidget*)));
        help->setParent(this);
        options << help;
    }
    if (withClose)
        options << new TOption(QStringLiteral("Close"), QStringLiteral("zkgui_close_cross"), parent, SLOT(close()));

    setFixedHeight(60);
    m_activity = new TActivityWidget(28, this);
    m_heading = new TElideLabel(this);
    m_heading->setObjectName(QStringLiteral("headingLabel"));
    m_heading->setMinimumWidth(250);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    outer->addLayout(row);
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("horizontalLineLeft"));
    line->setFixedHeight(2);
    outer->addWidget(line);
    row->addWidget(m_activity);
    row->addWidget(m_heading);
    if (extraWidget)
        row->addWidget(extraWidget);
    if (!extraWidget || !(extraWidget->sizePolicy().horizontalPolicy() & QSizePolicy::GrowFlag))
        row->addStretch();
    for (TOption *option : qAsConst(options)) {
        auto *button = new TOptionIconButton(option, this);
        button->setFixedWidth(58);
        button->setDirection(1);
        row->addWidget(button);
        m_buttons << button;
    }
    m_heading->setText(heading);
    m_activity->setIconName(iconName);
}

void TWindowTopPanel::setHeading(const QString &heading)
{
    m_heading->setText(heading);
}

void TWindowTopPanel::setIconName(const QString &iconName)
{
    m_activity->setIconName(iconName);
}

void TWindowTopPanel::setBusy(bool busy)
{
    m_activity->setActive(busy);
}

void TWindowTopPanel::setHeadingMinimumWidth(int width)
{
    m_heading->setMinimumWidth(width);
}

void TWindowTopPanel::setSideIcon(const QString &iconName)
{
    if (iconName.isEmpty()) {
        if (m_sideIcon) {
            m_sideIcon->deleteLater();
            m_sideIcon = nullptr;
        }
        return;
    }
    if (!m_sideIcon) {
        m_sideIcon = new TIconWidget(iconName, m_activity);
        m_sideIcon->setAlignment(Qt::AlignRight | Qt::AlignBottom);
        m_sideIcon->show();
    } else {
        m_sideIcon->setIconName(iconName);
    }
    m_sideIcon->setFixedSize(m_activity->size());
}

QSize TWindowTopPanel::sizeHint() const
{
    QSize hint = QWidget::sizeHint();
    const int beyondMinimum = m_heading->sizeHint().width() - m_heading->minimumWidth();
    if (beyondMinimum > 0)
        hint.rwidth() -= beyondMinimum;
    return hint;
}
