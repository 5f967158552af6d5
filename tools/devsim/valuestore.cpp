#include "valuestore.h"

ValueStore::ValueStore(QObject *parent)
    : QObject(parent)
{
}

QVariant ValueStore::value(const QString &name) const
{
    const auto getter = m_getters.constFind(name);
    if (getter != m_getters.constEnd())
        return (*getter)();
    return m_values.value(name);
}

void ValueStore::set(const QString &name, const QVariant &value)
{
    m_values.insert(name, value);
}

void ValueStore::setGetter(const QString &name, Getter getter)
{
    m_getters.insert(name, std::move(getter));
}

void ValueStore::setCheck(const QString &name, Check check)
{
    m_checks.insert(name, std::move(check));
}

bool ValueStore::accepts(const QString &name, const QVariant &value) const
{
    const auto check = m_checks.constFind(name);
    return check == m_checks.constEnd() || (*check)(value);
}

void ValueStore::announceWrite(const QString &name, const QVariant &value)
{
    emit written(name, value);
}
