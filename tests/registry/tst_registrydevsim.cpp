// placeholder, filled below
#include <QtTest>
class TestRegistryDevsim : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestRegistryDevsim)
#include "tst_registrydevsim.moc"
