#pragma once
// The test log window: the log entries a link test window has collected, as
// a table, and the link test report saved as PDF (device identity, the log
// table and the SNMP values of the test's "Mib properties" step).

#include "tabstractsubwindow.h"

#include <QList>
#include <QPointer>
#include <QStringList>

class QTextDocument;
class TTextReadOnly;
class TWindowTopPanel;
class ZelTestLinkWindow;

class ZelTestLogWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit ZelTestLogWindow(ZelTestLinkWindow *linkWindow);

    QTextDocument *logDocument() const { return m_logDocument; }

public slots:
    void update();
    void handleScrollValueChanged(int value);
    void handleInitLogText();
    void handlePrint(QWidget *pEmittedBy);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Takes the device identity and the SNMP values from the link test
    // window while it exists; a closed one leaves the last ones taken.
    void takeLinkWindowState();

    TTextReadOnly *m_display;
    TWindowTopPanel *m_topPanel;
    QPointer<ZelTestLinkWindow> m_linkWindow;
    QTextDocument *m_logDocument;
    QList<QStringList> m_entries;
    QStringList m_deviceInfo;
    QList<QStringList> m_snmpValues;
};
