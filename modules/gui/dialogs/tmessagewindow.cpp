#include "tmessagewindow.h"

#include "tbuttonbar.h"
#include "ticonwidget.h"
#include "toption.h"
#include "toptionbutton.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

TMessageWindow::TMessageWindow(MessageType type, const QString &header, const QString &description,
                               TButtonBar *pButtonBar, TOptionButton *pOptionButton)
    : TAbstractSubWindow(1, 0)
    , m_mainLayout(new QVBoxLayout(this))
    , m_descriptionText(description)
{
    qDebug() << "TMessageWindow::TMessageWindow: Constructor for TMessageWindow. this=" << static_cast<void *>(this)
             << ", header=" << header << ", description=" << description
             << ", (void*) TButtonBar=" << static_cast<void *>(pButtonBar)
             << ", (void*) TOptionButton=" << static_cast<void *>(pOptionButton);
    m_mainLayout->setContentsMargins(0, 0, 0, 0);
    m_mainLayout->setSpacing(2);

    m_typeImage = new TIconWidget(getIconName(type), this);
    m_header = new QLabel(header, this);
    m_header->setObjectName(QStringLiteral("Header"));
    m_header->setWordWrap(true);
    m_header->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_header->setAlignment(Qt::AlignCenter);
    m_header->setMinimumWidth(2 * (248 - m_typeImage->minimumWidth()));
    m_description = new QLabel(description, this);
    m_description->setObjectName(QStringLiteral("Description"));
    m_description->setWordWrap(true);
    m_description->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    m_description->setMinimumWidth(500);
    m_timeStamp = new QLabel(this);
    m_timeStamp->setObjectName(QStringLiteral("TimeStamp"));
    m_timeStamp->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_timeStamp->setFixedWidth(70);

    setMinimumSize(500, 150);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Minimum);

    auto *headerRow = new QHBoxLayout;
    headerRow->setContentsMargins(0, 0, 0, 0);
    headerRow->setSpacing(2);
    headerRow->addWidget(m_typeImage);
    headerRow->addWidget(m_header);
    headerRow->addSpacing(m_typeImage->maximumWidth());
    m_mainLayout->addLayout(headerRow);
    m_mainLayout->addWidget(m_description);

    if (!pButtonBar) {
        m_buttonBar = new TButtonBar(this, false);
        connect(m_buttonBar, &TButtonBar::leafSelected, this, &TMessageWindow::debugButtonBar);
        auto *ok = new TOption(tr("&OK"), this, SLOT(close()));
        setDefaultButton(m_buttonBar->addOption(ok, 0, Qt::AlignCenter));
    } else {
        m_buttonBar = pButtonBar;
        connect(m_buttonBar, &TButtonBar::leafSelected, this, &TMessageWindow::debugButtonBar);
        setDefaultButton(pOptionButton);
        connect(m_buttonBar, &TButtonBar::leafSelected, this, &QWidget::close);
    }
    if (type == Distress || type == NewDistressMessage)
        setDistress(1);
    m_mainLayout->addWidget(m_buttonBar);
    m_timeStamp->raise();
}

TMessageWindow::~TMessageWindow()
{
    qDebug() << "TMessageWindow::~TMessageWindow: Destructor for TMessageWindow with this=" << static_cast<void *>(this);
}

QString TMessageWindow::getIconName(int type)
{
    switch (type) {
    case Warning: return QStringLiteral("zkgui_message_warning");
    case Error: return QStringLiteral("zkgui_message_error");
    case Question: return QStringLiteral("zkgui_message_question");
    case NewMessage: return QStringLiteral("zkgui_message_new_message");
    case Distress: return QStringLiteral("zkgui_message_distress");
    case NewDistressMessage: return QStringLiteral("zkgui_message_new_distress_message");
    default: return QStringLiteral("zkgui_message_info");
    }
}

void TMessageWindow::showMessage(QWidget *pCommingFrom)
{
    qDebug() << "TMessageWindow::showMessage: Start of function. this=" << static_cast<void *>(this)
             << ", (void*) pCommingFrom=" << static_cast<void *>(pCommingFrom);
    if (!pCommingFrom) {
        setAnimationKind(1);
        showEventInfo();
    } else {
        setAnimationKind(2);
        qDebug() << "TMessageWindow::showMessage: About to run showWindow(pFromCenterOf) with header=" << getHeader()
                 << " and description=" << getDescription();
        showWindow(pCommingFrom);
    }
    qDebug() << "TMessageWindow::showMessage: End of function. this=" << static_cast<void *>(this);
}

TMessageWindow *TMessageWindow::openMessage(MessageType type, const QString &header, const QString &description,
                                            const QDateTime &timeStamp, QWidget *pCommingFrom,
                                            TButtonBar *pButtonBar, TOptionButton *pOptionButton)
{
    auto *window = new TMessageWindow(type, header, description, pButtonBar, pOptionButton);
    if (timeStamp.isValid())
        window->setTimeStamp(timeStamp);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showMessage(pCommingFrom);
    return window;
}

TMessageWindow *TMessageWindow::showWarning(const QString &header, const QString &description, QWidget *pCommingFrom,
                                            TButtonBar *pButtonBar, TOptionButton *pOptionButton)
{
    return openMessage(Warning, header, description, QDateTime(), pCommingFrom, pButtonBar, pOptionButton);
}

TMessageWindow *TMessageWindow::showError(const QString &header, const QString &description, QWidget *pCommingFrom,
                                          TButtonBar *pButtonBar, TOptionButton *pOptionButton)
{
    return openMessage(Error, header, description, QDateTime(), pCommingFrom, pButtonBar, pOptionButton);
}

TMessageWindow *TMessageWindow::yesNoQuestion(const QString &header, const QString &description, QWidget *pCommingFrom,
                                              QObject *pResponseHandler, const char *yesSlot, const char *noSlot)
{
    qDebug() << "TMessageWindow::yesNoQuestion: Constructor for TMessageWindow. header=" << header
             << ", description=" << description << "(void*) pCommingFrom=" << static_cast<void *>(pCommingFrom)
             << ", (void*) pResponseHandler=" << static_cast<void *>(pResponseHandler);
    auto *bar = new TButtonBar(nullptr, false);
    auto *yes = new TOption(tr("&Yes"), QStringLiteral("zkgui_option_ok"), bar, nullptr);
    if (pResponseHandler && yesSlot)
        connect(yes, SIGNAL(selected(QWidget*)), pResponseHandler, yesSlot);
    TOptionButton *yesButton = bar->addOption(yes, 0, Qt::AlignCenter);
    auto *no = new TOption(tr("&No"), QStringLiteral("zkgui_option_cancel"), bar, nullptr);
    if (pResponseHandler && noSlot)
        connect(no, SIGNAL(selected(QWidget*)), pResponseHandler, noSlot);
    bar->addOption(no, 0, Qt::AlignCenter);
    return openMessage(Question, header, description, QDateTime(), pCommingFrom, bar, yesButton);
}

void TMessageWindow::setTimeStamp(const QDateTime &timeStamp)
{
    m_timeStamp->setText(timeStamp.toUTC().toString(QStringLiteral("hh:mm ap")));
}

QString TMessageWindow::getHeader() const
{
    qDebug() << "TMessageWindow::getHeader: Start of function.";
    return m_header->text();
}

QString TMessageWindow::getDescription() const
{
    qDebug() << "TMessageWindow::getDescription: Start of function.";
    return m_description->text();
}

void TMessageWindow::startCountdown(int seconds)
{
    m_remaining = seconds;
    if (!m_countdownLabel) {
        m_countdownLabel = new QLabel(this);
        m_countdownLabel->setObjectName(QStringLiteral("CountDown"));
        m_countdownLabel->setAlignment(Qt::AlignCenter);
        m_mainLayout->insertWidget(m_mainLayout->indexOf(m_description) + 1, m_countdownLabel);
    }
    if (!m_countdownTimer) {
        m_countdownTimer = new QTimer(this);
        m_countdownTimer->setInterval(1000);
        connect(m_countdownTimer, &QTimer::timeout, this, &TMessageWindow::stepCountdown);
    }
    m_countdownLabel->setText(QString::number(m_remaining) + tr(" seconds"));
    m_countdownTimer->start();
}

void TMessageWindow::stepCountdown()
{
    if (!m_countdownTimer || !m_countdownTimer->isActive())
        return;
    --m_remaining;
    if (m_remaining < 1) {
        m_countdownTimer->stop();
        emit countDownCompleted();
    }
    if (m_countdownLabel)
        m_countdownLabel->setText(QString::number(qMax(0, m_remaining)) + tr(" seconds"));
}

void TMessageWindow::debugButtonBar()
{
    qDebug() << "TMessageWindow::debugButtonBar: Button bar leaf was selected. Will probably now close TMessageWindow with this="
             << static_cast<void *>(this);
}

void TMessageWindow::resizeEvent(QResizeEvent *event)
{
    TAbstractSubWindow::resizeEvent(event);
    // Inside the frame a message has when shown over a window of its own.
    const QRect inside = contentsRect();
    m_timeStamp->setGeometry(inside.right() + 1 - m_timeStamp->width(), inside.top(), m_timeStamp->width(),
                             m_timeStamp->height());
    m_timeStamp->raise();
}
