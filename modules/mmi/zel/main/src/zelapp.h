#pragma once
// ZelApp: the application object. One instance for the whole run; it holds
// the program's one watcher of removable volumes (USB drives) and turns their
// mounting and unmounting into two signals that carry the volume's mount
// path. The software upload manager follows these signals.
#include "guiapp.h"

#include <QPointer>
#include <QWidget>
#include <QString>

class QWidget;
class RemovableVolumeWatcher;

class ZelApp : public GuiApp
{
    Q_OBJECT
public:
    // The one application object, made on the first call.
    static ZelApp *instance(int &argc, char **argv);
    // The application object, or null before instance(argc, argv) ran.
    static ZelApp *instance() { return s_instance; }
    ~ZelApp() override;

    // The window the volume notifications belong to; none are passed on
    // while no window is watched.
    void setWatchedWindow(QWidget *window) { m_watchedWindow = window; }
    QWidget *watchedWindow() const { return m_watchedWindow; }
    RemovableVolumeWatcher *volumeWatcher() const { return m_volumes; }

signals:
    void usbDriveFound(const QString &mountPath);
    void usbDriveRemoved(const QString &mountPath);

private slots:
    void handleVolumeAdded(const QString &mountPath);
    void handleVolumeRemoved(const QString &mountPath);

private:
    ZelApp(int &argc, char **argv);
    static ZelApp *s_instance;
    QPointer<QWidget> m_watchedWindow;
    RemovableVolumeWatcher *m_volumes = nullptr;
};
