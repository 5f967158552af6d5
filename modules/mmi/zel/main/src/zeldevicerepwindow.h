#pragma once
// The device report: a top-level window listing every device of the
// registry with its model, serial number and firmware, collecting the
// devices' firmware certificate lines, and saving it all as a PDF with the
// firmware revision certificate. At most one is open at a time.

#include "tabstractsubwindow.h"

#include <QList>

class QTextDocument;
class TLinkDeviceIf;
class TOption;
class TTextReadOnly;
class TWindowTopPanel;

class ZelDeviceRepWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    ZelDeviceRepWindow();
    ~ZelDeviceRepWindow() override;

    // Opens the report window (or refreshes the open one) and activates it.
    static void showReport(QWidget *pFrom);
    // The open report window, null when none is open.
    static ZelDeviceRepWindow *openWindow() { return s_window; }

    QTextDocument *deviceTable() const { return m_deviceTable; }
    QTextDocument *certificates() const { return m_certificates; }
    bool isBusy() const;

public slots:
    void update();
    void handleSaveReport(QWidget *pEmittedBy);
    void handleDeviceCertificateText(const QString &text);
    void handleDeviceReady(TLinkDeviceIf *pDevice);
    void handleInitDeviceListText();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    static QString modelText(const QString &model);

    TWindowTopPanel *m_topPanel;
    TTextReadOnly *m_display;
    TOption *m_saveOption;
    QTextDocument *m_deviceTable;
    QTextDocument *m_certificates;
    QList<TLinkDeviceIf *> m_pending;
    bool m_busy = true;

    static ZelDeviceRepWindow *s_window;
};
