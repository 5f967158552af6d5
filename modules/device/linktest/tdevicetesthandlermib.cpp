// The MIB tree and table tests of TDeviceTestHandler: the device is added a
// second time to the SNMP engine as a test device whose properties are read
// and judged; the first row of every table is read with GET-NEXT.

#include "tdevicetesthandler.h"

#include "tlinksnmpif.h"

#include <QDebug>
#include <QTimer>

namespace {

constexpr int PropertyWaitMs = 500;
// How long the properties step waits for the test device's first values.
constexpr int MaxPropertyWaits = 40;

} // namespace

void TDeviceTestHandler::startMibTreeTest(const QString &uniqueId, const QString &IpAddress, const QString &model,
                                          const QString &sw_version)
{
    removeTestDevice(); // one of an earlier run still waiting for its values
    forgetAwaitedAnswers();
    // Each handler has a test device of its own: two windows may test one device.
    m_testUniqueId = uniqueId + QStringLiteral("test") + QString::number(m_testNumber);
    TLinkSNMPIf::instance()->addDevice(m_testUniqueId, IpAddress, model, sw_version, true);
    m_testDeviceAdded = true;
    emit ready(QStringLiteral("Mib properties"));
}

void TDeviceTestHandler::readProperties()
{
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    snmp->reReadAllProperties(m_testUniqueId);
    const QList<snmp_property_t> records = snmp->getProperties(m_testUniqueId);
    m_tables.clear();
    QStringList run;
    for (const snmp_property_t &record : records) {
        if (record.isTableColumn && record.notAccessible) {
            continue; // a column that cannot be read (an INDEX); its values name the rows
        } else if (record.isTableColumn) {
            run.append(record.mibObjectName);
        } else if (!run.isEmpty()) {
            m_tables.append(run);
            run.clear();
        }
    }
    if (!run.isEmpty())
        m_tables.append(run);
    m_propertyWaits = 0;
    if (!m_tables.isEmpty()) {
        m_tableCount = m_tables.size();
        fetchSnmpTable(QStringLiteral("table"));
    } else {
        m_tableCount = 0;
        QTimer::singleShot(PropertyWaitMs, this, &TDeviceTestHandler::fetchProperties);
    }
}

void TDeviceTestHandler::fetchSnmpTable(const QString &Action)
{
    m_action = Action;
    if (m_tables.isEmpty()) {
        fetchProperties();
        return;
    }
    // Only what this run reads is judged.
    m_tableValues.clear();
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    for (int t = 0; t < m_tableCount && t < m_tables.size(); ++t) {
        for (const QString &name : m_tables.at(t)) {
            expectAnswer(m_testUniqueId, name);
            snmp->sendGetNextReq(m_testUniqueId, name);
        }
    }
}

void TDeviceTestHandler::fetchProperties()
{
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    if (!snmp->getProperty(m_testUniqueId, QStringLiteral("sysDescr")).valueValid) {
        if (++m_propertyWaits < MaxPropertyWaits) {
            QTimer::singleShot(PropertyWaitMs, this, &TDeviceTestHandler::fetchProperties);
            return;
        }
        // Give up waiting: what has no value yet is reported as such.
        qDebug().noquote() << "TDeviceTestHandler::fetchProperties: no values from" << m_testUniqueId << "after"
                           << m_propertyWaits * PropertyWaitMs << "ms";
    }
    m_propertyWaits = 0;
    QList<QStringList> rows;
    const QList<snmp_property_t> records = snmp->getProperties(m_testUniqueId);
    for (const snmp_property_t &record : records) {
        if (record.isTableColumn)
            continue;
        const QString &name = record.mibObjectName;
        const QString &v = record.value;
        if (!record.valueValid) {
            // Never read: a failure, said as for every other read that failed.
            rows.append({name, NotRetrieved, QStringLiteral("failed")});
            continue;
        }
        switch (record.kind) {
        case 2:
            rows.append({name, v, !v.isEmpty() && v != QLatin1String("0") ? QStringLiteral("success")
                                                                           : QStringLiteral("failed")});
            break;
        case 3: {
            const int n = v.toInt(nullptr, 10);
            QString word;
            bool found = false;
            for (const auto &pair : record.enumValues) {
                if (pair.first == n) {
                    word = pair.second;
                    found = true;
                    break;
                }
            }
            rows.append(found ? QStringList{name, word, QStringLiteral("success")}
                              : QStringList{name, QStringLiteral("Unknown enum value"), QStringLiteral("failed")});
            break;
        }
        default:
            rows.append({name, v, !v.isEmpty() ? QStringLiteral("success") : QStringLiteral("failed")});
            break;
        }
    }
    removeTestDevice();
    emit result(rows);
}

void TDeviceTestHandler::removeTestDevice()
{
    if (!m_testDeviceAdded)
        return;
    m_testDeviceAdded = false;
    if (m_snmp)
        m_snmp->removeDevice(m_testUniqueId);
}

void TDeviceTestHandler::startMibTabelTest()
{
    // A table step that read nothing this run shows none of an earlier run's values.
    if (m_tableCount == 0)
        m_tableValues.clear();
    QList<QStringList> rows;
    for (int t = 0; t < m_tableCount && t < m_tables.size(); ++t) {
        rows.append({QStringLiteral("%1 -").arg(t + 1)});
        for (const QString &name : m_tables.at(t)) {
            const QString v = m_tableValues.value(name);
            if (v.isEmpty()) {
                rows.append({name, v, QStringLiteral("failed")});
                log(QStringLiteral("Table"), name, QStringLiteral("ERROR"), QStringLiteral("Invalid value."));
            } else if (v == NotRetrieved) {
                rows.append({name, v, QStringLiteral("failed")});
                log(QStringLiteral("Table"), name, QStringLiteral("ERROR"),
                    QStringLiteral("Could not retrieve the first row of this column."));
            } else {
                rows.append({name, v, QStringLiteral("success")});
            }
        }
    }
    emit result(rows);
}
