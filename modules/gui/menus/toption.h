#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QWidget;
class TAbstractSubWindow;

// One entry of an option menu: a named action with an optional image, an
// enabled flag and optional child options that form a sub-menu. Buttons bind
// to an option and report presses back to it; a leaf's selection travels up
// the tree through leafSelected(int).
class TOption : public QObject
{
    Q_OBJECT
public:
    TOption(const QString &text, QObject *receiver, const char *slot);
    TOption(const QString &text, const QString &iconName, QObject *receiver, const char *slot);
    ~TOption() override;

    QString text() const { return m_text; }
    void setText(const QString &text);
    QString iconName() const { return m_iconName; }
    void setIconName(const QString &iconName);
    QString heading() const { return m_heading; }
    void setHeading(const QString &heading) { m_heading = heading; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    void addOption(TOption *child);
    bool hasSubMenu() const { return m_children != nullptr; }
    QList<TOption *> children() const { return m_children ? *m_children : QList<TOption *>(); }

    int id = 0;
    TAbstractSubWindow *pPopUpWindow = nullptr;

signals:
    void updated();
    void selected(QWidget *pEmittedBy = nullptr);
    void leafSelected(int id = 0);

public slots:
    void debugTOptionSelected(QWidget *fromWidget);

private:
    void init(const QString &text, const QString &iconName, const char *slot);

    QString m_text;
    QString m_iconName;
    QString m_heading;
    bool m_enabled = true;
    QList<TOption *> *m_children = nullptr;
};
