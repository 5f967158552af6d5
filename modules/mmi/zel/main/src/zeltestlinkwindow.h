#pragma once
// The link test window: runs the link test on one device and shows the
// results as a tree (one row per test step, one child row per checked
// value). It can repeat the test, have the device send its diagnostics
// report, reboot the device, and open the test log.

#include "tabstractsubwindow.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <memory>

class QTreeWidget;
class TDeviceTestDevice;
class TDeviceTestIf;
class TLinkDeviceIf;
class TOption;
class TOptionButton;
class TWindowTopPanel;

class ZelTestLinkWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit ZelTestLinkWindow(TLinkDeviceIf *device);
    ~ZelTestLinkWindow() override;

    // Display name, vendor, model, serial number and software version, read now.
    QStringList getDeviceInfo() const;
    QList<QStringList> getLogEntries() const { return m_logEntries; }
    QList<QStringList> getSnmpValues() const { return m_snmpValues; }

    QTreeWidget *resultTree() const { return m_tree; }
    QList<TOption *> options() const;
    TWindowTopPanel *topPanel() const { return m_topPanel; }
    TDeviceTestIf *testInterface() const { return m_test; }

    // The image file shown for a status word, empty for any other text.
    static QString statusIconFile(const QString &status);

public slots:
    void handleStartSelected();
    void handleTftpDownload();
    void handleDeviceReboot();
    void handleResult(const QStringList &test_name_list, const QList<QStringList> &result_list);
    void handleFinish();
    void handleStartLog();
    void handleLogEntry(const QStringList &logEntry);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setBusyState(bool busy);

    QPointer<TLinkDeviceIf> m_device;
    std::unique_ptr<TDeviceTestDevice> m_testDevice;
    TDeviceTestIf *m_test = nullptr;
    TOption *m_retestOption;
    TOption *m_downloadOption;
    TOption *m_rebootOption;
    TOption *m_viewLogOption;
    TOptionButton *m_retestButton;
    TOptionButton *m_rebootButton;
    TOptionButton *m_downloadButton;
    TWindowTopPanel *m_topPanel;
    QTreeWidget *m_tree;
    QList<QStringList> m_logEntries;
    QList<QStringList> m_snmpValues;
};
