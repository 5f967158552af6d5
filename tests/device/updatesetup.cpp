#include "updatesetup.h"

#include "testsupport.h"
#include "tlinktftpserverif.h"

#include <QFile>
#include <QSettings>

void setUpDevsimUpdates()
{
    QSettings settings;
    settings.setValue("snmp_manager/mib_path", QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    // A freshly started simulator reports Init; take it as ready.
    settings.setValue("debug/device_manager/cmd", 1);
    settings.setValue("debug/device_manager/sw_upload_cmd", "7342_sensor_readiness_skip");
}

TLinkTftpServerIf *startTftpServer(quint16 &port, QObject *parent)
{
    port = testsupport::freeUdpPort();
    QSettings().setValue("tftp_server/portnumber", port);
    auto *server = new TLinkTftpServerIf(port, parent);
    server->startServer();
    return server;
}

bool writeImage(const QString &path, int size, char fill)
{
    QFile image(path);
    return image.open(QIODevice::WriteOnly) && image.write(QByteArray(size, fill)) == size;
}
