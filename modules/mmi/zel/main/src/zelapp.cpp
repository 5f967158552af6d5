#include "zelapp.h"

#include "removablevolumewatcher.h"
#include "zelmessagehandler.h"

#include <QDebug>
#include <QWidget>

ZelApp *ZelApp::s_instance = nullptr;

ZelApp *ZelApp::instance(int &argc, char **argv)
{
    if (s_instance)
        return s_instance;
    s_instance = new ZelApp(argc, argv);
    return s_instance;
}

ZelApp::ZelApp(int &argc, char **argv)
    : GuiApp(argc, argv)
{
    qInstallMessageHandler(zelMessageHandler);
    m_volumes = new RemovableVolumeWatcher(this);
    connect(m_volumes, &RemovableVolumeWatcher::volumeAdded, this, &ZelApp::handleVolumeAdded);
    connect(m_volumes, &RemovableVolumeWatcher::volumeRemoved, this, &ZelApp::handleVolumeRemoved);
}

ZelApp::~ZelApp()
{
    if (s_instance == this)
        s_instance = nullptr;
}

void ZelApp::handleVolumeAdded(const QString &mountPath)
{
    if (!m_watchedWindow)
        return;
    qDebug() << "ZelApp::handleVolumeAdded:" << "USB Drive found " << mountPath;
    emit usbDriveFound(mountPath);
}

void ZelApp::handleVolumeRemoved(const QString &mountPath)
{
    if (!m_watchedWindow)
        return;
    qDebug() << "ZelApp::handleVolumeRemoved:" << "USB Drive Removed " << mountPath;
    emit usbDriveRemoved(mountPath);
}
