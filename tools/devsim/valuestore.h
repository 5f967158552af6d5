#pragma once
// The values of one simulated device's MIB objects, by object name.
// Integers are stored as qint64, texts (octet strings, dotted IPv4
// addresses, ".1.3.6..." object identifiers) as QString. A value may be
// computed when read (a clock) and a write may be refused (a bad value).

#include <QHash>
#include <QObject>
#include <QVariant>

#include <functional>

class ValueStore : public QObject
{
    Q_OBJECT
public:
    using Getter = std::function<QVariant()>;
    using Check = std::function<bool(const QVariant &)>;

    explicit ValueStore(QObject *parent = nullptr);

    QVariant value(const QString &name) const;
    // Sets a value from inside the device (no written() signal).
    void set(const QString &name, const QVariant &value);
    void setGetter(const QString &name, Getter getter);
    void setCheck(const QString &name, Check check);

    // A write from the network, in the agent's SET phases: accepts() checks
    // the value, set() stores it, and once every value of the request is
    // stored, announceWrite() lets the device react to it.
    bool accepts(const QString &name, const QVariant &value) const;
    void announceWrite(const QString &name, const QVariant &value);

signals:
    void written(const QString &name, const QVariant &value);

private:
    QHash<QString, QVariant> m_values;
    QHash<QString, Getter> m_getters;
    QHash<QString, Check> m_checks;
};
