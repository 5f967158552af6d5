#include "tabstractcfgwindow.h"

#include "tbuttonbar.h"
#include "toption.h"
#include "toptionbutton.h"
#include "tstatusdescription.h"

#include <QLabel>
#include <QStackedLayout>
#include <QVBoxLayout>

TAbstractCfgWindow::TAbstractCfgWindow(const QString &header, bool keyboard)
    : TAbstractSubWindow(2, keyboard ? 1 : 0)
{
    m_header = new QLabel(header, this);
    m_header->setObjectName(QStringLiteral("pCfgHeader"));
    m_header->setWordWrap(true);
    m_header->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    m_header->setAlignment(Qt::AlignCenter);
    m_editingFrame = new QFrame(this);
    m_editingFrame->setObjectName(QStringLiteral("pCfgEditingFrame"));
    m_editingFrame->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    m_buttonBar = new TButtonBar(this, false);
    m_okOption = new TOption(tr("&OK"), QStringLiteral("zkgui_option_ok"), this, SLOT(storeData()));
    m_cancelOption = new TOption(tr("&Cancel"), QStringLiteral("zkgui_option_cancel"), this, SLOT(close()));
    m_pages = new QStackedLayout;
    m_pages->setContentsMargins(0, 0, 0, 0);
    m_pages->addWidget(m_editingFrame);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_header);
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("horizontalLineCenter"));
    line->setMinimumHeight(5);
    line->setMaximumHeight(5);
    layout->addWidget(line);
    layout->addLayout(m_pages);
    layout->addWidget(m_buttonBar);
    m_okButton = m_buttonBar->addOption(m_okOption, 0, Qt::AlignCenter);
    m_cancelButton = m_buttonBar->addOption(m_cancelOption, 0, Qt::AlignCenter);
    setDefaultButton(m_okButton);
    connect(this, &TAbstractSubWindow::aboutToShow, this, &TAbstractCfgWindow::updateData);
}

QString TAbstractCfgWindow::getHeader() const
{
    return m_header->text();
}

bool TAbstractCfgWindow::isStatusShown() const
{
    return m_statusPage && m_pages->currentWidget() == m_statusPage;
}

void TAbstractCfgWindow::showEditingFrame()
{
    m_pages->setCurrentWidget(m_editingFrame);
    m_okOption->setEnabled(true);
}

void TAbstractCfgWindow::showStatusDescription(const QString &heading, const QString &description)
{
    if (!m_statusDescription) {
        m_statusPage = new QFrame(this);
        m_pages->addWidget(m_statusPage);
        auto *layout = new QVBoxLayout(m_statusPage);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setAlignment(Qt::AlignCenter);
        m_statusDescription = new TStatusDescription(TStatusDescription::Warning, heading, this, description, true);
        layout->addWidget(m_statusDescription, 0);
    } else {
        m_statusDescription->setHeading(heading);
        m_statusDescription->setDescription(description);
    }
    m_pages->setCurrentWidget(m_statusPage);
    m_okOption->setEnabled(false);
}
