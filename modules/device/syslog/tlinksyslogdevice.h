#pragma once

#include <QObject>
#include <QString>

// One syslog source: a device (or the application itself) whose lines are
// told apart by the sender address and stored in a folder of their own.
class TLinkSyslogDevice : public QObject
{
    Q_OBJECT
public:
    TLinkSyslogDevice(const QString &uniqueId, const QString &hostAddress, const QString &fileName)
        : m_uniqueId(uniqueId), m_hostAddress(hostAddress), m_fileName(fileName)
    {
    }

    QString uniqueId() const { return m_uniqueId; }
    void setUniqueId(const QString &uniqueId) { m_uniqueId = uniqueId; }
    QString hostAddress() const { return m_hostAddress; }
    void setHostAddress(const QString &hostAddress) { m_hostAddress = hostAddress; }
    QString fileName() const { return m_fileName; }

signals:
    // Each new line of this source, with its severity name.
    void syslogReceived(QString message);
    // The newest stored lines, once, in answer to a listener's connection.
    void initLogTextRead(QString logText);

private:
    QString m_uniqueId;
    QString m_hostAddress;
    QString m_fileName;
};
