#pragma once
// Set-up shared by the tests of the start-up, the device screen and its
// pages: the application object, the application's names, free ports for
// the TFTP server and the syslog receiver, the project's MIB folder and the
// extension style sheet.
#include <QList>
#include <QString>

class TLinkDeviceIf;

// Makes the application object and prepares the settings; call first in main.
void app1SetUp(int &argc, char **argv);
// The devices of the registry whose address is one of the given ones, in registry order.
QList<TLinkDeviceIf *> app1DevicesAt(const QStringList &addresses);

// A test main with the application object in place of a plain QApplication.
#define APP1_TEST_MAIN(TestClass)                                                                                      \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        app1SetUp(argc, argv);                                                                                         \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
