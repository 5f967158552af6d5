#include "linktestrun.h"

#include "tdevicetestif.h"

#include <QtTest>

LinkTestRun::LinkTestRun(TDeviceTestIf *test)
{
    QObject::connect(test, &TDeviceTestIf::updated, test,
                     [this](const QStringList &names, const QList<QStringList> &rows) {
                         QCOMPARE(names.size(), 1);
                         steps.append({names.value(0), rows});
                     });
    QObject::connect(test, &TDeviceTestIf::sendLogEntry, test, [this](const QStringList &e) { entries.append(e); });
    QObject::connect(test, &TDeviceTestIf::finished, test, [this] {
        ++finished;
        labelsAtFinish = labels();
    });
}

QList<QStringList> LinkTestRun::rows(const QString &label) const
{
    QList<QStringList> out;
    for (const auto &step : steps)
        if (step.first == label)
            out = step.second;
    return out;
}

QStringList LinkTestRun::labels() const
{
    QStringList out;
    for (const auto &step : steps)
        out.append(step.first);
    return out;
}

QStringList LinkTestRun::statuses(const QString &label) const
{
    QStringList out;
    for (const QStringList &row : rows(label))
        out.append(row.value(2));
    return out;
}

QList<QStringList> LinkTestRun::entriesOf(const QString &service) const
{
    QList<QStringList> out;
    for (const QStringList &e : entries)
        if (e.first() == service)
            out.append(e);
    return out;
}
