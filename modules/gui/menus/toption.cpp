#include "toption.h"

#include <QDebug>
#include <QWidget>

TOption::TOption(const QString &text, QObject *receiver, const char *slot)
    : QObject(receiver)
{
    init(text, QString(), slot);
}

TOption::TOption(const QString &text, const QString &iconName, QObject *receiver, const char *slot)
    : QObject(receiver)
{
    init(text, iconName, slot);
}

void TOption::init(const QString &text, const QString &iconName, const char *slot)
{
    qDebug() << "TOption::TOption: Start of function. text=" << text << ", this=" << static_cast<void *>(this);
    connect(this, SIGNAL(selected(QWidget*)), this, SLOT(debugTOptionSelected(QWidget*)));
    m_enabled = true;
    m_text = text;
    m_iconName = iconName;
    id = 0;
    pPopUpWindow = nullptr;
    m_heading.clear();
    m_children = nullptr;
    if (parent() && slot)
        connect(this, SIGNAL(selected(QWidget*)), parent(), slot);
}

TOption::~TOption()
{
    qDebug() << "TOption::~TOption: About to destruct TOption (this=" << static_cast<void *>(this) << " with text=" << m_text;
    delete m_children;
    m_children = nullptr;
}

void TOption::setText(const QString &text)
{
    m_text = text;
    emit updated();
}

void TOption::setIconName(const QString &iconName)
{
    m_iconName = iconName;
    emit updated();
}

void TOption::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    emit updated();
}

void TOption::addOption(TOption *child)
{
    if (!child)
        return;
    if (!m_children)
        m_children = new QList<TOption *>;
    connect(child, SIGNAL(leafSelected(int)), this, SIGNAL(leafSelected(int)));
    // A child that dies before this option must not stay behind in the list.
    connect(child, &QObject::destroyed, this, [this, child] {
        if (m_children)
            m_children->removeAll(child);
    });
    m_children->append(child);
}

void TOption::debugTOptionSelected(QWidget *fromWidget)
{
    qDebug() << "TOption::debugTOptionSelected: TOption with text=" << m_text << " was pressed from widget=" << static_cast<void *>(fromWidget);
}
