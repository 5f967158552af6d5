#pragma once
// ZelMainWindow: the application's one top-level window. Writes the start
// banner, restores and saves its geometry, shows event pop-ups and shows the
// device page screen.
#include "tmainwindow.h"

class InfoEvent;

class ZelMainWindow : public TMainWindow
{
    Q_OBJECT
public:
    explicit ZelMainWindow(QWidget *parent = nullptr);

public slots:
    void showDeviceViewScreen();
    void handlePopUpEvent(const InfoEvent &event);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void writeGeometrySettings();
    void readGeometrySettings();
};
