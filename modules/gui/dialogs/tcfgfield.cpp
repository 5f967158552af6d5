#include "tcfgfield.h"

#include "tabstractcfgwindow.h"
#include "tpasswordreqwindow.h"
#include "tstatusdescription.h"
#include "tstylesheet.h"

#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QVBoxLayout>

TCfgField::TCfgField(const QString &header, const QString &iconName, QWidget *parent, bool passwordRequired)
    : QWidget(parent)
    , m_dataFrame(new QFrame(this))
    , m_iconName(iconName)
    , m_header(new QLabel(header, this))
    , m_columnLayout(new QVBoxLayout)
    , m_rows(new QWidget(this))
    , m_passwordRequired(passwordRequired)
{
    m_dataFrame->setObjectName(QStringLiteral("pCfgDataFrame"));
    m_header->setObjectName(QStringLiteral("pCfgHeader"));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    int iconWidth = 10;
    int iconHeight = 0;
    if (!iconName.isEmpty()) {
        const QPixmap icon = TStyleSheet::instance()->getButtonPixmap(iconName, TStyleSheet::Normal);
        iconWidth = icon.width();
        iconHeight = icon.height();
    }
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addItem(new QSpacerItem(0, iconHeight, QSizePolicy::Minimum, QSizePolicy::Minimum));
    outer->addLayout(m_columnLayout);
    m_columnLayout->setContentsMargins(iconWidth, 10, 10, 10);
    m_columnLayout->setAlignment(Qt::AlignTop);
    m_columnLayout->setSpacing(0);

    auto *headerRow = new QHBoxLayout;
    headerRow->setContentsMargins(0, 0, 0, 0);
    headerRow->setSpacing(0);
    auto *headerColumn = new QVBoxLayout;
    headerColumn->setContentsMargins(0, 0, 0, 0);
    headerColumn->setSpacing(0);
    headerColumn->addWidget(m_header);
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("horizontalLineLeft"));
    line->setMinimumHeight(4);
    headerColumn->addWidget(line);
    headerRow->addLayout(headerColumn);
    headerRow->addStretch();
    m_columnLayout->addLayout(headerRow);

    auto *rowsLayout = new QVBoxLayout(m_rows);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(4);
    m_columnLayout->addWidget(m_rows);
    m_columnLayout->addWidget(m_dataFrame);

    if (passwordRequired)
        connect(this, &TCfgField::clicked, this, &TCfgField::showPasswordReqWindow);
    else
        connect(this, &TCfgField::clicked, this, &TCfgField::showCfgWindow);
}

void TCfgField::addDataWidget(QWidget *widget)
{
    m_rows->layout()->addWidget(widget);
}

void TCfgField::showStatus(const QString &heading, const QString &description)
{
    if (!m_statusDescription) {
        m_statusDescription = new TStatusDescription(TStatusDescription::Warning, heading, this, description, false);
        m_columnLayout->addWidget(m_statusDescription);
    } else {
        m_statusDescription->setHeading(heading);
        m_statusDescription->setDescription(description);
    }
    m_rows->hide();
    if (m_selectable) {
        m_selectable = false;
        setFocusPolicy(Qt::NoFocus);
        m_down = false;
        update();
    }
}

void TCfgField::clearStatus()
{
    if (m_statusDescription) {
        m_columnLayout->removeWidget(m_statusDescription);
        m_statusDescription->hide();
        m_statusDescription->deleteLater();
        m_statusDescription = nullptr;
    }
    m_rows->show();
    if (!m_selectable) {
        m_selectable = true;
        setFocusPolicy(Qt::TabFocus);
        update();
    }
}

void TCfgField::closeCfgWindow()
{
    if (m_passwordWindow) {
        m_passwordWindow->close();
        m_passwordWindow = nullptr;
    }
}

void TCfgField::setDown(bool down)
{
    if (down == m_down || !m_selectable)
        return;
    m_down = down;
    update();
}

void TCfgField::setSelectable(bool selectable)
{
    if (selectable == m_selectable)
        return;
    m_selectable = selectable;
    if (!selectable) {
        setFocusPolicy(Qt::NoFocus);
        m_down = false;
    } else {
        setFocusPolicy(Qt::TabFocus);
    }
    update();
}

void TCfgField::showCfgWindow()
{
    if (!m_cfgWindow)
        return;
    qDebug() << "TCfgField::showCfgWindow: About to run pCfgWindow->showWindow(this), where this=" << static_cast<void *>(this);
    m_cfgWindow->showWindow(this);
}

void TCfgField::showPasswordReqWindow()
{
    if (!m_passwordWindow) {
        m_passwordWindow = new TPasswordReqWindow(TPasswordReqWindow::tr("Password needed"),
                                                  TPasswordReqWindow::tr("Configuration password"));
        m_passwordWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_passwordWindow, &TPasswordReqWindow::correctPassword, this, &TCfgField::showCfgWindow);
        connect(m_passwordWindow, &QObject::destroyed, this, &TCfgField::handlePasswordReqWindowDestroyed);
    } else {
        qWarning() << "TCfgField::showPasswordReqWindow: Unexpected. pPasswordReqWindow was not NULL. Error?";
    }
    qDebug() << "TCfgField::showPasswordReqWindow: About to run pPasswordReqWindow->showWindow(this), where this=" << static_cast<void *>(this);
    m_passwordWindow->showWindow(this);
}

void TCfgField::updateData()
{
}

void TCfgField::handlePasswordReqWindowDestroyed()
{
    m_passwordWindow = nullptr;
}

void TCfgField::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->pos())) {
        if (m_selectable)
            m_down = true;
        update();
        event->accept();
        return;
    }
    event->ignore();
}

void TCfgField::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (m_down) {
        if (rect().contains(event->pos()))
            emit clicked();
        if (m_down && m_selectable) {
            m_down = false;
            update();
        }
    }
    event->accept();
}

void TCfgField::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    const bool inside = rect().contains(event->pos());
    if (m_down != inside && m_selectable) {
        m_down = !m_down;
        update();
    }
    event->accept();
}

void TCfgField::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        event->accept();
        break;
    case Qt::Key_Space:
    case Qt::Key_Select:
        if (!event->isAutoRepeat() && !m_down && m_selectable) {
            m_down = true;
            update();
        }
        event->accept();
        break;
    default:
        event->ignore();
        break;
    }
}

void TCfgField::keyReleaseEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        focusNextChild();
        event->accept();
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        focusPreviousChild();
        event->accept();
        break;
    case Qt::Key_Space:
    case Qt::Key_Select:
        if (!event->isAutoRepeat() && m_down) {
            emit clicked();
            if (m_down && m_selectable) {
                m_down = false;
                update();
            }
        }
        event->accept();
        break;
    default:
        event->ignore();
        break;
    }
}

void TCfgField::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled() && m_down && m_selectable) {
        m_down = false;
        update();
    }
    QWidget::changeEvent(event);
}

void TCfgField::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    if (m_down)
        opt.state |= QStyle::State_Sunken;
    if (!m_selectable)
        opt.state |= QStyle::State_Off;
    opt.features = QStyleOptionButton::None;
    p.drawControl(QStyle::CE_PushButton, opt);
    if (m_iconName.isEmpty())
        return;
    TStyleSheet *sheet = TStyleSheet::instance();
    const QPixmap icon = sheet->getButtonPixmap(m_iconName, m_down ? TStyleSheet::Pressed : TStyleSheet::Normal);
    p.drawPixmap(0, 0, icon);
    if (m_passwordRequired) {
        // Under the image and inside its column: the rows beside it paint
        // their own background and would cover anything wider.
        const QPixmap lock =
            sheet->getButtonPixmap(QStringLiteral("zkgui_lock"), m_down ? TStyleSheet::Pressed : TStyleSheet::Normal);
        const int x = qMax(0, (icon.width() - lock.width()) / 2) + (m_down ? -2 : 0);
        p.drawPixmap(qMax(0, x), icon.height() + (m_down ? 12 : 10), lock);
    }
}
