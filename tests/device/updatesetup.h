#pragma once
// Set-up shared by the tests that update simulated devices: the settings
// under which a freshly started simulator takes an update, the program's
// TFTP server and the images it publishes.

#include <QString>

class QObject;
class TLinkTftpServerIf;

// The MIB files of the source tree, and a simulator's Init state taken as
// ready for an update.
void setUpDevsimUpdates();

// The program's TFTP server on a free port, which is also written to the
// settings, started.
TLinkTftpServerIf *startTftpServer(quint16 &port, QObject *parent);

// Writes an image file of `size` bytes of `fill`; false when it could not.
bool writeImage(const QString &path, int size, char fill);
