// What Net-SNMP needs from the environment is set before any thread starts,
// and the engine never changes the environment while it runs, loads MIB
// files and polls a device: other threads read it at any time.

#include "tlinksnmpif.h"
#include "testsupport.h"

#include <QSettings>
#include <QtTest>

#include <cstdlib>

extern char **environ;

namespace {

const QString DeviceAddress = QStringLiteral("127.0.1.12");

} // namespace

class TestSnmpEnvironment : public QObject
{
    Q_OBJECT
private slots:
    void setBeforeThreadsStart();
    void unchangedWhileEngineRuns();

private:
    char **m_environment = nullptr;
    const char *m_mibs = nullptr;
};

void TestSnmpEnvironment::setBeforeThreadsStart()
{
    // Nothing of the engine has run yet.
    QVERIFY(qEnvironmentVariableIsSet("MIBS"));
    QCOMPARE(qgetenv("MIBS"), QByteArray());
    m_environment = environ;
    m_mibs = std::getenv("MIBS");
}

void TestSnmpEnvironment::unchangedWhileEngineRuns()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    testsupport::Peer device;
    QVERIFY(device.start(ZEL_DEVSIM, {"--address", DeviceAddress, "--no-slp", "--no-telnet", "--no-http",
                                      "--model", "4320"}));
    QVERIFY(device.waitForOutput("devsim ready", 10000));

    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    snmp->addDevice("env", DeviceAddress, "4320", "01.07", false);
    snmp->setPropertyDynamic("env", "zkSystemConfigSoftwareVersion", true);
    QVERIFY(testsupport::waitFor([&] { return snmp->getProperty("env", "zkSystemConfigSoftwareVersion").valueValid; },
                                 10000));
    snmp->updateDevice("env", DeviceAddress, "4320", "01.07");
    QVERIFY(testsupport::waitFor([&] { return snmp->getProperty("env", "zkSystemConfigSoftwareVersion").valueValid; },
                                 10000));
    snmp->removeDevice("env");

    QVERIFY(environ == m_environment);
    QVERIFY(std::getenv("MIBS") == m_mibs);
}

QTEST_GUILESS_MAIN(TestSnmpEnvironment)
#include "tst_snmpenvironment.moc"
