#pragma once
// TDeviceTestHandler: the link test's worker. It lives on the link test
// thread, reads the device's objects through the SNMP facade, keeps the
// answers in its value map and runs the tests that judge them. Results go
// back with result (rows), ready (a step's reads are in) and logEntry.
//
// Row: [parameter label, value text, "success" | "failed" | "warning" | "notify"]
// Log entry: [test service name, component, "ERROR" | "WARNING" | "NOTIFY" | "OK", description]

#include "snmpvalues.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;
class TLinkSNMPIf;

class TDeviceTestHandler : public QObject
{
    Q_OBJECT
public:
    // The text stored for a read that failed.
    static const QString NotRetrieved;
    // The name the device is asked to send its diagnostics report under.
    static const QString DiagReportFileName;

    explicit TDeviceTestHandler(QObject *parent = nullptr);
    ~TDeviceTestHandler() override;

    // How long the web page and MIB file requests may take (queued from the front object).
    Q_INVOKABLE void setHttpTimeout(int ms) { m_httpTimeoutMs = ms; }
    // How long the reboot test waits for the device to come back (queued from the front object).
    Q_INVOKABLE void setRebootTimeout(int ms) { m_rebootTimeoutMs = ms; }
    // Tells the handler's test device (the device's unique id, "test", this
    // number) from those of other handlers testing the same device.
    int testNumber() const { return m_testNumber; }
    // The most of a web page or MIB file that is read and judged.
    static constexpr qint64 MaxBodyBytes = 1024 * 1024;
    // The result texts taken from a device's answers: the title of its web
    // page, and the file name, version and model of its MIB file.
    static QString webPageTitle(const QString &page);
    static QString mibFileSummary(const QString &body);

signals:
    void result(const QList<QStringList> &result_list);
    void ready(const QString &action);
    void logEntry(const QStringList &entry);

public slots:
    void fetchSNMPValues(const QStringList &snmpPropertyNames, const QString &uniqueId, const QString &Action);
    void fetchProperties();
    void readProperties();
    void startSLP_Test(const QStringList &slp_attrib);
    void startSNMP_Test();
    void startService_Test(const QStringList &services, const QStringList &attibutes);
    void startSwUpgrade_Test(bool bAnnonced);
    void startDiagRep_Test(bool bAnnonced);
    void startLogging_Test(bool bAnnonced);
    void startReboot_Test(bool bAnnonced);
    void startTftpDownload(const QString &uniqueId, const QString &Action, const QString &IpAddress);
    void startReboot(const QString &uniqueId, const QString &Action);
    void startHttp_Test(const QString &url, bool bAnnonced);
    void startMibFile_test(const QString &url, bool bAnnonced);
    void startMibTreeTest(const QString &uniqueId, const QString &IpAddress, const QString &model,
                          const QString &sw_version);
    void startMibTabelTest();
    void verifyReboot();
    // After the diagnostics report writes: a "failed" row when one was not
    // answered, else an empty result.
    void checkTftpDownloadWrites();

private slots:
    void catchSNMPValue(const snmp_get_value_t &getValue);
    void WebTestReply(QNetworkReply *reply);
    void MibTestReply(QNetworkReply *reply);
    void fetchSnmpTable(const QString &Action);

private:
    // One object of the software upgrade, diagnostic report and logging
    // tests: how it is labelled, shown and reported.
    struct ObjectCheck
    {
        QString name;
        QString label;
        QString invalidText;
        QString notRetrievedText;
        QString (*shown)(const QString &value);
    };
    // Judges the objects one after another ("" or "0" invalid, a failed read
    // not retrieved), adds the announcement row and emits the rows.
    void runObjectChecks(const QString &service, const QList<ObjectCheck> &checks, bool bAnnonced,
                         const QString &summary);
    QString value(const QString &name);
    // A new run or download waits only for its own answers, not for those an
    // earlier one still awaits (a device stopped mid-way).
    void forgetAwaitedAnswers();
    // Counts a read or write whose answer the current step waits for.
    void expectAnswer(const QString &uniqueId, const QString &name);
    // Sends the GET of the web page or MIB file test; the reply is judged
    // once it has ended, failed, timed out or brought more than MaxBodyBytes.
    QNetworkReply *startGet(const QString &url, void (TDeviceTestHandler::*judge)(QNetworkReply *));
    // The text of a failed request, or an empty text when it succeeded.
    QString failureText(QNetworkReply *reply) const;
    void removeTestDevice();
    void log(const QString &service, const QString &component, const QString &severity,
             const QString &description);
    // The warning entry and "notify" row of a service the device offers
    // without announcing it over SLP.
    void reportNotAnnounced(const QString &service, QList<QStringList> &rows);

    QPointer<TLinkSNMPIf> m_snmp;
    int m_outstanding = 0;
    QHash<QString, int> m_pending; // "unique id\nobject name" of the answers still awaited
    int m_timeBeforeReboot = 0;
    int m_rebootReads = 0;
    int m_rebootTimeoutMs = 120000;
    QElapsedTimer m_rebootClock; // since the reset was sent
    QStringList m_slpAttributes;
    QMap<QString, QString> m_values;
    QString m_action;
    QString m_uniqueId;
    QString m_testUniqueId;
    QString m_webUrl;
    QString m_mibUrl;
    bool m_diagReportFlag = false;
    bool m_rebootFlag = false;
    bool m_loggingFlag = false;
    bool m_swDownloadFlag = false;
    bool m_webFlag = false;
    bool m_mibFlag = false;
    bool m_announced = false;
    QList<QStringList> m_tables;
    int m_tableCount = 0;
    QMap<QString, QString> m_tableValues;
    int m_propertyWaits = 0;
    QPointer<QNetworkAccessManager> m_network; // made on the worker thread on first use
    QPointer<QNetworkReply> m_webReply;        // the outstanding request of the web page test
    QPointer<QNetworkReply> m_mibReply;        // the outstanding request of the MIB file test
    int m_httpTimeoutMs = 10000;
    bool m_testDeviceAdded = false;
    const int m_testNumber;
    QNetworkAccessManager *network();
    bool m_logged = false; // a log entry was emitted since the last reset
};
