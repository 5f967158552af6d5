#pragma once
// Shows the syslog text of one device live, in a top-level window of its
// own; at most one such window per device.

#include "tabstractsubwindow.h"

#include <QHash>

class TLinkDeviceIf;
class TOption;
class TTextReadOnly;
class TWindowTopPanel;

class ZelLiveLogWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    // Opens the device's window, or brings its open window forward.
    static ZelLiveLogWindow *openForDevice(TLinkDeviceIf *device, QWidget *pFrom);
    // The open window of the device, if any.
    static ZelLiveLogWindow *windowForDevice(TLinkDeviceIf *device);

    explicit ZelLiveLogWindow(TLinkDeviceIf *device);
    ~ZelLiveLogWindow() override;

    bool isConnected() const { return connected; }
    TTextReadOnly *logDisplay() const { return display; }
    TWindowTopPanel *panel() const { return topPanel; }
    TOption *startLogOption() const { return startOption; }
    TOption *stopLogOption() const { return stopOption; }

public slots:
    void update();
    void handleInitLogText(const QString &text);
    void handleNewLogText(const QString &text);
    void handleScrollValueChanged(int value);
    void handleStartLog();
    void handleStopLog();

private slots:
    void handleDeviceDestroyed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool isAtEnd() const;
    void connectFeed();
    void disconnectFeed();
    void scrollToEnd();

    static QHash<TLinkDeviceIf *, ZelLiveLogWindow *> &registry();

    TLinkDeviceIf *device;
    TTextReadOnly *display;
    bool connected = false;
    TOption *startOption;
    TOption *stopOption;
    TWindowTopPanel *topPanel;
};
