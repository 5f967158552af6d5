#pragma once

#include <QObject>
#include <QStringList>

class TListWidget;

// One row of a row list, found by the id its creator chose.
class TListItem : public QObject
{
    Q_OBJECT
public:
    TListItem(int id, const QString &text, TListWidget *pList);

    int id() const { return m_id; }
    bool isChecked() const { return m_checked; }
    bool isEnabled() const { return m_enabled; }
    bool isInvalid() const { return m_invalid; }
    const QStringList &texts() const { return m_texts; }
    TListWidget *list() const { return m_list; }

    void setChecked(bool checked);
    void setEnabled(bool enabled);
    bool isCheckInvalid() const { return m_invalid || !m_enabled; }

signals:
    void updated();

private:
    friend class TListWidget; // checkAll/uncheckAll set the flag without per-item signals

    TListWidget *m_list;
    int m_id;
    bool m_checked = false;
    bool m_invalid = false;
    bool m_enabled = true;
    QStringList m_texts;
};
