#include "tproductmessagewindow.h"

#include "tbuttonbar.h"
#include "telidelabel.h"
#include "ticonwidget.h"
#include "toption.h"
#include "toptionbutton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TProductMessageWindow::TProductMessageWindow(const TProductMessage &message, TButtonBar *pButtonBar,
                                             TOptionButton *pOptionButton)
    : TAbstractSubWindow(1, 0)
    , m_descriptionText(message.description)
{
    setMinimumSize(500, 180);
    setMaximumWidth(500);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(2);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addSpacing(15);
    if (message.serviceIcon.isEmpty()) {
        m_image = new TIconWidget(message.severityIconBig, this);
    } else {
        m_image = new TIconWidget(message.serviceIcon, this);
        m_image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_severityMark = new TIconWidget(message.severityIconSmall, m_image);
        m_severityMark->setFixedSize(70, 58);
        m_severityMark->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    }
    m_image->setFixedSize(70, 58);
    top->addWidget(m_image);
    top->addSpacing(20);
    auto *heading = new QLabel(message.heading, this);
    heading->setObjectName(QStringLiteral("headingLabel"));
    heading->setMinimumHeight(58);
    heading->setWordWrap(true);
    heading->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    top->addWidget(heading);
    m_timeLabel = new QLabel(message.time.isValid() ? message.time.toUTC().toString(QStringLiteral("hh:mm")) : QString(), this);
    m_timeLabel->setObjectName(QStringLiteral("timeLabel"));
    m_timeLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_timeLabel->setFixedSize(m_image->minimumSize());
    top->addWidget(m_timeLabel);
    mainLayout->addLayout(top);

    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("horizontalLineLeft"));
    line->setFixedHeight(2);
    mainLayout->addWidget(line);

    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(5);
    auto *left = new QVBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    auto *product = new TIconWidget(message.productIcon, this);
    product->setFixedSize(100, 80);
    product->setOpacity(0.8);
    product->setAlignment(Qt::AlignJustify | Qt::AlignVCenter);
    left->addWidget(product);
    left->addStretch();
    bottom->addLayout(left);
    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 2, 0, 0);
    right->setSpacing(4);
    auto *productLabel = new TElideLabel(message.productName, Qt::ElideRight, this);
    productLabel->setObjectName(QStringLiteral("productLabel"));
    right->addWidget(productLabel);
    m_descriptionLabel = new QLabel(message.description, this);
    m_descriptionLabel->setObjectName(QStringLiteral("descriptionLabel"));
    m_descriptionLabel->setFixedWidth(395);
    m_descriptionLabel->setWordWrap(true);
    m_descriptionLabel->setAlignment(Qt::AlignTop);
    m_descriptionLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    right->addWidget(m_descriptionLabel);
    bottom->addLayout(right);
    mainLayout->addLayout(bottom);

    TButtonBar *bar = pButtonBar;
    if (!bar) {
        bar = new TButtonBar(this, false);
        auto *ok = new TOption(tr("&OK"), this, SLOT(close()));
        setDefaultButton(bar->addOption(ok, 0, Qt::AlignCenter));
    } else {
        setDefaultButton(pOptionButton);
        connect(bar, &TButtonBar::leafSelected, this, &QWidget::close);
    }
    mainLayout->addWidget(bar);
}

TProductMessageWindow *TProductMessageWindow::showMessage(const TProductMessage &message)
{
    auto *window = new TProductMessageWindow(message);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAnimationKind(1);
    window->showEventInfo();
    return window;
}
