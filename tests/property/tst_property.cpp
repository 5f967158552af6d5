// The property model: properties built from records, value texts, writes.

#include "abstractproperty.h"
#include "enumproperty.h"
#include "enumvalue.h"
#include "intproperty.h"
#include "propertygroup.h"
#include "stringproperty.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

snmp_property_t record(const QString &name, int kind, bool writable = true)
{
    snmp_property_t r;
    r.mibObjectName = name;
    r.kind = kind;
    r.writable = writable;
    r.displayName = name + QStringLiteral(" shown");
    r.groupName = QStringLiteral("group");
    r.description = QStringLiteral("about ") + name;
    r.flagR = 4;
    r.flagW = 5;
    r.rangeLow = -10;
    r.rangeHigh = 90;
    r.extraNumber = 7;
    r.extraText = QStringLiteral("extra");
    r.enumValues = {{0, QStringLiteral("off")}, {1, QStringLiteral("on")}};
    r.value = QStringLiteral("not copied");
    return r;
}

} // namespace

// Receives write requests the way the device object does.
class Receiver : public QObject
{
    Q_OBJECT
public:
    QStringList requests;
public slots:
    void onSetValueRequest(const QString &value) { requests << value; }
};

class TestProperty : public QObject
{
    Q_OBJECT
private slots:
    void createByKind_data();
    void createByKind();
    void setValue_data();
    void setValue();
    void sameNameOnce();
    void writeRequests();
    void lookups();
};

void TestProperty::createByKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("type");
    QTest::newRow("integer") << 1 << int(AbstractProperty::IntType);
    QTest::newRow("string") << 2 << int(AbstractProperty::StringType);
    QTest::newRow("enumeration") << 3 << int(AbstractProperty::EnumType);
    QTest::newRow("ip address") << 4 << int(AbstractProperty::StringType);
    QTest::newRow("unknown") << 0 << int(AbstractProperty::UntypedType);
}

void TestProperty::createByKind()
{
    QFETCH(int, kind);
    QFETCH(int, type);
    PropertyGroup group("g", "G", 1, 2);
    group.createProperty(record("p", kind), nullptr, nullptr);
    AbstractProperty *p = group.getProperty(0);
    QVERIFY(p);
    QCOMPARE(p->getType(), type);
    QCOMPARE(p->parent(), &group);
    QCOMPARE(p->getName(), QStringLiteral("p"));
    QCOMPARE(p->getDisplayName(), QStringLiteral("p shown"));
    QCOMPARE(p->getGroupName(), QStringLiteral("group"));
    QCOMPARE(p->getDescription(), QStringLiteral("about p"));
    QCOMPARE(p->getFlagR(), 4);
    QCOMPARE(p->getFlagW(), 5);
    QVERIFY(p->isWritable());
    QVERIFY(!p->isValid());
    QVERIFY(p->getValue().isEmpty());
    if (auto *i = dynamic_cast<IntProperty *>(p)) {
        QCOMPARE(i->getMaximum(), 90);
        QCOMPARE(i->getMinimum(), -10);
        QCOMPARE(i->getExtraText(), QStringLiteral("extra"));
    }
    if (auto *s = dynamic_cast<StringProperty *>(p))
        QCOMPARE(s->getExtraNumber(), 7);
    if (auto *e = dynamic_cast<EnumProperty *>(p)) {
        QCOMPARE(e->getValues().size(), 2);
        QCOMPARE(e->getValues().at(1)->getText(), QStringLiteral("on"));
        QCOMPARE(e->getValues().at(1)->parent(), e);
        QCOMPARE(e->getNumber(), -1);
        QVERIFY(!e->getEnumValue());
    }
}

void TestProperty::setValue_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("texts");   // given one after the other
    QTest::addColumn<QString>("value");       // value text afterwards
    QTest::addColumn<int>("number");          // integer value or current number
    QTest::newRow("int") << 1 << QStringList{"42"} << "42" << 42;
    QTest::newRow("int not a number") << 1 << QStringList{"42", "4x"} << "4x" << 0;
    QTest::newRow("enum named") << 3 << QStringList{"1"} << "on" << 1;
    QTest::newRow("enum unnamed keeps text") << 3 << QStringList{"1", "7"} << "on" << 7;
    QTest::newRow("enum not a number") << 3 << QStringList{"1", "on"} << "" << 0;
    QTest::newRow("string") << 2 << QStringList{"a", "b c"} << "b c" << 0;
}

void TestProperty::setValue()
{
    QFETCH(int, kind);
    QFETCH(QStringList, texts);
    QFETCH(QString, value);
    QFETCH(int, number);
    PropertyGroup group("g", "G", 1, 0);
    group.createProperty(record("p", kind), nullptr, nullptr);
    AbstractProperty *p = group.getProperty(0);
    for (const QString &text : texts)
        p->setValue(text);
    QCOMPARE(p->getValue(), value);
    if (auto *i = dynamic_cast<IntProperty *>(p))
        QCOMPARE(i->getIntValue(), number);
    if (auto *e = dynamic_cast<EnumProperty *>(p))
        QCOMPARE(e->getNumber(), number);
}

void TestProperty::sameNameOnce()
{
    PropertyGroup group("g", "G", 1, 0);
    group.createProperty(record("p", 1), nullptr, nullptr);
    group.createProperty(record("p", 2), nullptr, nullptr);
    QCOMPARE(group.getProperties().size(), 1);
    QCOMPARE(group.getProperty(0)->getType(), int(AbstractProperty::IntType));
}

void TestProperty::writeRequests()
{
    PropertyGroup group("g", "G", 1, 0);
    Receiver receiver;
    group.createProperty(record("rw", 1, true), &receiver, SLOT(onSetValueRequest(QString)));
    group.createProperty(record("ro", 2, false), &receiver, SLOT(onSetValueRequest(QString)));
    AbstractProperty *rw = group.getProperty(0);
    AbstractProperty *ro = group.getProperty(1);

    QVERIFY(rw->writeValue("12"));
    QCOMPARE(receiver.requests, QStringList{"12"});
    QVERIFY(rw->getValue().isEmpty()); // the value changes only when the device reports it

    QTest::ignoreMessage(QtWarningMsg, "AbstractProperty::writeValue: Refused attemption of writing a read-only property!");
    QVERIFY(!ro->writeValue("x"));
    QCOMPARE(receiver.requests.size(), 1);

    group.disconnectSetValueRequest(rw, &receiver, SLOT(onSetValueRequest(QString)));
    QCOMPARE(group.findProperty("rw"), -1);
    QCOMPARE(rw->parent(), &group); // the object itself stays
    QVERIFY(rw->writeValue("13"));
    QCOMPARE(receiver.requests.size(), 1);
}

void TestProperty::lookups()
{
    PropertyGroup group("orphanPropertyGroup", "Other", 0, 3);
    QCOMPARE(group.getName(), QStringLiteral("orphanPropertyGroup"));
    QCOMPARE(group.getDisplayName(), QStringLiteral("Other"));
    QCOMPARE(group.getFlagF(), 0);
    QCOMPARE(group.getFlagR(), 3);
    group.createProperty(record("a", 1), nullptr, nullptr);
    group.createProperty(record("b", 2), nullptr, nullptr);
    QCOMPARE(group.findProperty("b"), 1);
    QCOMPARE(group.findProperty("c"), -1);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("PropertyGroup::getProperty.*QList index error.*2.*2"));
    QVERIFY(!group.getProperty(2));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("PropertyGroup::getProperty.*QList index error"));
    QVERIFY(!group.getProperty(-1));
}

QTEST_GUILESS_MAIN(TestProperty)
#include "tst_property.moc"
