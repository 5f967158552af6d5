#include "tstatusdescription.h"

#include "tstylesheet.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

TStatusDescription::TStatusDescription(int status, const QString &heading, QWidget *parent,
                                       const QString &description, bool large)
    : QWidget(parent)
    , m_status(status)
    , m_heading(new QLabel(heading, this))
    , m_layout(new QVBoxLayout(this))
    , m_large(large)
{
    setMinimumHeight(35);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(5);
    m_heading->setObjectName(large ? QStringLiteral("headingLarge") : QStringLiteral("headingSmall"));
    m_heading->setMinimumHeight(35);
    m_heading->setIndent(40);
    m_heading->setWordWrap(true);
    // The symbol is painted under the heading's indent: the heading must not cover it.
    m_heading->setStyleSheet(QStringLiteral("background: transparent;"));
    m_layout->addWidget(m_heading);
    setDescription(description);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
}

void TStatusDescription::setStatus(int status)
{
    if (status == m_status)
        return;
    m_status = status;
    update();
}

QString TStatusDescription::heading() const
{
    return m_heading->text();
}

void TStatusDescription::setHeading(const QString &heading)
{
    m_heading->setText(heading);
    m_layout->activate();
}

void TStatusDescription::setDescription(const QString &description)
{
    if (!description.isEmpty()) {
        if (!m_description) {
            m_description = new QLabel(description, this);
            m_description->setObjectName(m_large ? QStringLiteral("descriptionLarge") : QStringLiteral("descriptionSmall"));
            m_description->setWordWrap(true);
            m_description->setMinimumWidth(minimumWidth());
            m_layout->addWidget(m_description);
        } else {
            m_description->setText(description);
        }
    } else if (m_description) {
        m_layout->removeWidget(m_description);
        m_description->hide();
        m_description->deleteLater();
        m_description = nullptr;
    }
    m_layout->activate();
}

QString TStatusDescription::symbolName(int status)
{
    switch (status) {
    case Warning: return QStringLiteral("zkgui_status_warning");
    case Error: return QStringLiteral("zkgui_status_error");
    default: return QStringLiteral("zkgui_status_info");
    }
}

void TStatusDescription::paintEvent(QPaintEvent *)
{
    const QPixmap symbol = TStyleSheet::instance()->getPixmap(symbolName(m_status));
    const QMargins m = m_layout->contentsMargins();
    const int top = m.top() + qMax(0, (m_heading->height() - 35) / 2);
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(m.left(), top, 35, 35), symbol);
}
