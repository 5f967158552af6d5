#pragma once
// What the link test window would see of runs of one front object: the
// rows of each step by label, the log entries and the ends of runs.

#include <QList>
#include <QPair>
#include <QStringList>

class TDeviceTestIf;

class LinkTestRun
{
public:
    explicit LinkTestRun(TDeviceTestIf *test);

    // The rows of the latest step with that label; none when there is none.
    QList<QStringList> rows(const QString &label) const;
    // The labels of the steps in the order they were shown.
    QStringList labels() const;
    // The status words of the rows of a step.
    QStringList statuses(const QString &label) const;
    // The log entries of one test service.
    QList<QStringList> entriesOf(const QString &service) const;

    QList<QPair<QString, QList<QStringList>>> steps; // label, rows
    QList<QStringList> entries;
    int finished = 0;
    QStringList labelsAtFinish; // the labels when the latest run ended
};
