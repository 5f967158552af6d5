#pragma once
// Drives one TDeviceTestHandler on the test thread: fills its value map with
// chosen answers (as the SNMP facade would deliver them) and collects what a
// test slot emits.

#include "tdevicetesthandler.h"

#include <QList>
#include <QMap>
#include <QStringList>

#include <functional>
#include <memory>

struct HandlerOutcome
{
    QList<QStringList> rows;       // the one result emission
    QList<QStringList> entries;    // log entries in emission order
    int resultCount = 0;
    QStringList readyLabels;
};

class HandlerProbe
{
public:
    // Marks an answer whose read failed.
    static const QString Failed;

    HandlerProbe();
    TDeviceTestHandler &handler() { return *m_handler; }

    // Answers a read of each name with its value (Failed: a failed read).
    void feed(const QMap<QString, QString> &values);
    HandlerOutcome run(const std::function<void(TDeviceTestHandler &)> &call);

private:
    std::unique_ptr<TDeviceTestHandler> m_handler;
};
