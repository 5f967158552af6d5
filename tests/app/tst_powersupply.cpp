// The power supply windows: the details window's two fields read a
// simulated 4411, the editors validate and store through the power supply
// interface, and the fields follow the device going offline.

#include "apptest_app3device.h"
#include "guiapp.h"
#include "powerbatterycfgfield.h"
#include "powerbatterycfgwindow.h"
#include "powerbatterydetailswindow.h"
#include "powerbranchcfgfield.h"
#include "powerbranchcfgwindow.h"
#include "tcfgfielditem.h"
#include "testsupport.h"
#include "tlineedit.h"
#include "tlinkdevice.h"
#include "tlinkdevicehandler.h"
#include "tlistcolumndesc.h"
#include "tlistitem.h"
#include "tlistwidget.h"
#include "tmainwindow.h"
#include "tmessagewindow.h"
#include "toption.h"
#include "toptionbutton.h"
#include "tpasswordreqwindow.h"
#include "tpsubatteryif.h"
#include "tpsulinkdevice.h"
#include "tbasekeydata.h"
#include "ttouchkey.h"
#include "ttouchnumberkeypad.h"
#include "tstatusdescription.h"
#include "tsubwindowview.h"
#include "fakepsudevice.h"

#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString Address = QStringLiteral("127.0.2.52");

QStringList rowValues(PowerCfgField *field)
{
    QStringList values;
    for (TCfgFieldItem *row : field->rows())
        values << row->value();
    return values;
}

// The unit's value of one object, read with Net-SNMP's snmpget; empty on failure.
QString snmpValue(const QString &object)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MIBS"), QString());
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), QDir::tempPath());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("snmpget"),
                  {"-v1", "-c", "quarry", "-M", ZEL_SOURCE_RES_DIR "/mibs", "-m", "ALL", "-OqvU", "-t", "1", "-r", "2",
                   Address, object + QStringLiteral(".0")});
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// The warning message windows open now, as "heading: text".
QStringList openWarnings()
{
    QStringList warnings;
    for (QWidget *widget : QApplication::allWidgets())
        if (auto *message = qobject_cast<TMessageWindow *>(widget))
            if (message->isVisible() || message->view())
                warnings << message->getHeader() + QStringLiteral(": ") + message->getDescription();
    return warnings;
}
} // namespace

class TestPowerSupply : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<app3test::ServedDevice> m_served;
    TMainWindow *m_main = nullptr;

    void closeViews()
    {
        for (TWindowView *view : m_main->openViews())
            view->close();
        QTest::qWait(10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Types the values into the battery window's fields, in field order.
    static void fill(PowerBatteryCfgWindow *window, const QStringList &texts)
    {
        for (int f = 0; f < texts.size(); ++f)
            window->field(PowerBatteryCfgWindow::Field(f))->setText(texts.at(f));
    }

private slots:
    void initTestCase()
    {
        if (!testsupport::isRoot())
            QSKIP("the simulated device's SNMP port 161 on 127.0.2.x needs root");
        app3test::prepareRegistrySettings();
        QVERIFY(TLinkDeviceHandler::instance());
        m_served = app3test::serveDevice(Address, QStringLiteral("4411"), QStringLiteral("440052"),
                                         QStringLiteral("Supply"));
        QVERIFY(m_served);
        m_main = app3test::makeMainWindow();
    }
    void cleanupTestCase()
    {
        delete m_main;
        m_served.reset();
    }
    void cleanup()
    {
        if (m_main)
            closeViews();
        if (m_served && m_served->device)
            m_served->device->setOnline(true);
    }

    // The fields show the unit's values once read; before that the battery
    // rows wait and the branch rows are unmarked.
    void fieldsShowDeviceValues()
    {
        PowerBatteryDetailsWindow window(m_served->device);
        PowerBatteryCfgField *battery = window.batteryField();
        PowerBranchCfgField *branch = window.branchField();
        if (!battery->hasSeenData()) {
            QCOMPARE(rowValues(battery), (QVector<QString>(7, QStringLiteral("Update pending")).toList()));
            QCOMPARE(rowValues(branch), (QVector<QString>(7, QString()).toList()));
        }
        QVERIFY(testsupport::waitFor([&] { return battery->hasSeenData() && branch->hasSeenData(); }, 20000));
        QCOMPARE(rowValues(battery), (QStringList{"5.0 A", "28.8 V", "27.2 V", "21.0 V", "30.0 V",
                                                  QStringLiteral("-10 \u00b0C"), QStringLiteral("50 \u00b0C")}));
        // Mask 0: the jumper chooses.
        QCOMPARE(rowValues(branch), (QStringList{"zkgui_mark_checked", "zkgui_mark_normal", "zkgui_mark_normal",
                                                 "zkgui_mark_normal", "zkgui_mark_normal", "zkgui_mark_normal",
                                                 "zkgui_mark_normal"}));
        QVERIFY(battery->isSelectable());
        window.resize(600, 500);
        window.grab().save(QDir::temp().filePath(QStringLiteral("app3_power_details.png")));
    }

    // Clicking a field asks for the password; the editor opens after it.
    // The device going offline closes both and the window follows.
    void passwordEditorAndOffline()
    {
        auto *window = new PowerBatteryDetailsWindow(m_served->device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<PowerBatteryDetailsWindow> alive(window);
        window->showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        PowerBranchCfgField *branch = window->branchField();
        QVERIFY(testsupport::waitFor([&] { return branch->hasSeenData(); }, 20000));
        QTest::mouseClick(branch, Qt::LeftButton, {}, QPoint(20, 20));
        QPointer<TPasswordReqWindow> password = branch->passwordWindow();
        QVERIFY(password);
        QVERIFY(!branch->editor());
        QVERIFY(app3test::settle(m_main));
        password->passwordEdit()->setText(QStringLiteral("3958"));
        QTest::keyClick(password->passwordEdit(), Qt::Key_Return);
        QVERIFY(testsupport::waitFor([&] { return branch->editor() != nullptr; }, 3000));
        QPointer<TAbstractCfgWindow> editor = branch->editor();
        QVERIFY(qobject_cast<PowerBranchCfgWindow *>(editor.data()));
        QVERIFY(app3test::settle(m_main));

        m_served->device->setOnline(false);
        QCOMPARE(branch->statusDescription()->heading(), QStringLiteral("Data not available"));
        QVERIFY(QTest::qWaitFor([&] { return !editor; }, 5000));
        QVERIFY(QTest::qWaitFor([&] { return !alive; }, 5000));
    }

    // A store that the device refused or never confirmed keeps the editor
    // open and says so; only a stored record closes it.
    void failedStoreKeepsEditor_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        QTest::newRow("refused") << int(TPsuBatteryIf::WriteError)
                                 << "Configuration data NOT updated: Device data write ERROR";
        QTest::newRow("timed out") << int(TPsuBatteryIf::WriteTimeout)
                                   << "Configuration data NOT updated: Device data write timeout";
    }
    void failedStoreKeepsEditor()
    {
        QFETCH(int, result);
        QFETCH(QString, message);
        PowerBranchCfgField field(m_served->device, nullptr);
        QVERIFY(testsupport::waitFor([&] { return field.hasSeenData(); }, 20000));
        auto *window = new PowerBranchCfgWindow(m_served->device, field.batteryInterface());
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<PowerBranchCfgWindow> alive(window);
        window->showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        QSignalSpy stored(window, &TAbstractCfgWindow::stored);
        window->okButton()->click();
        // The outcome the interface reports, ahead of the device's own answer.
        emit field.batteryInterface()->storeCompleted(TPsuBatteryIf::Result(result));
        QVERIFY(testsupport::waitFor([&] { return openWarnings().contains(message); }, 3000));
        QVERIFY(alive);
        QCOMPARE(stored.count(), 0);
        // The device's real answer comes later and changes nothing.
        QTest::qWait(500);
        QVERIFY(alive);
        QCOMPARE(stored.count(), 0);
        window->close();
    }

    // An editor given a record never read shows no values to store.
    void editorNeedsReadRecord()
    {
        FakePsuDevice unread;
        TPsuBatteryIf interface(&unread);
        QVERIFY(!interface.getConfig().dataValid);
        auto *window = new PowerBatteryCfgWindow(m_served->device, &interface);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        QVERIFY(window->statusDescription());
        QCOMPARE(window->statusDescription()->heading(), QStringLiteral("Data not available"));
        window->close();
    }

    // A unit whose values were never read offers no editor, and the details
    // window goes with its device; nothing is left pointing at it.
    void detailsWindowClosesWithDevice()
    {
        device_param_t param;
        param.srvurl = QStringLiteral("service:device.vantor://") + Address;
        param.vendor = QStringLiteral("Vantor");
        param.model = QStringLiteral("4411");
        param.serialno = QStringLiteral("440099");
        param.uniqueId = QStringLiteral("Vantor4411440099");
        auto *duplicate = new TLinkDevice(param, nullptr);
        auto *window = new PowerBatteryDetailsWindow(duplicate);
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<PowerBatteryDetailsWindow> alive(window);
        window->showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        // Online, but nothing read from it: its fields open no editor.
        duplicate->setOnline(true);
        window->batteryField()->updateData();
        window->branchField()->updateData();
        QVERIFY(!window->batteryField()->isSelectable());
        QVERIFY(!window->branchField()->isSelectable());
        delete duplicate;
        QVERIFY(QTest::qWaitFor([&] { return !alive; }, 3000));
    }

    // The branch editor shows the mask, ties the branch rows to the jumper
    // row, and stores the mask through the interface; the field follows.
    void branchEditorStores()
    {
        PowerBranchCfgField field(m_served->device, nullptr);
        QVERIFY(testsupport::waitFor([&] { return field.hasSeenData(); }, 20000));
        auto *window = new PowerBranchCfgWindow(m_served->device, field.batteryInterface());
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<PowerBranchCfgWindow> alive(window);
        window->showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        // The branch names stand right-aligned next to their check boxes.
        QCOMPARE(window->list()->columns().first()->alignment(), int(Qt::AlignRight | Qt::AlignVCenter));
        // ... with a gap before the boxes.
        const QVector<QRect> cells =
            TListColumnDesc::layout(window->list()->columns(), QRect(0, 0, window->list()->width(), 58), false, false);
        QVERIFY2(cells.at(1).left() - cells.at(0).right() >= 10, qPrintable(QString::number(cells.at(1).left())));
        const QList<TListItem *> items = window->items();
        QCOMPARE(items.size(), 7);
        QVERIFY(items.at(0)->isChecked());
        for (int i = 1; i < 7; ++i)
            QVERIFY(!items.at(i)->isEnabled() && !items.at(i)->isChecked());

        // Leaving the jumper enables the branches; choose primary VHF and duplicate Inm-C.
        items.at(0)->setChecked(false);
        QVERIFY(items.at(1)->isEnabled());
        items.at(1)->setChecked(true);
        items.at(4)->setChecked(true);
        // Back to the jumper: the branches keep their checks but are locked.
        items.at(0)->setChecked(true);
        QVERIFY(!items.at(1)->isEnabled() && items.at(1)->isChecked());
        items.at(0)->setChecked(false);

        // Showing again makes no second set of rows.
        window->updateData();
        QCOMPARE(window->items().size(), 7);
        items.at(0)->setChecked(false);
        items.at(1)->setChecked(true);
        items.at(4)->setChecked(true);

        QSignalSpy stored(window, &TAbstractCfgWindow::stored);
        window->okButton()->click();
        QVERIFY(stored.wait(15000));
        QVERIFY(testsupport::waitFor([&] { return !alive; }, 3000));
        QVERIFY(testsupport::waitFor([&] { return field.batteryInterface()->getConfig().supplyBranch == 0x211; },
                                     20000));
        QVERIFY(testsupport::waitFor([&] { return rowValues(&field).at(1) == "zkgui_mark_checked"; }, 5000));
        QCOMPARE(rowValues(&field).at(0), QStringLiteral("zkgui_mark_normal"));
        QCOMPARE(rowValues(&field).at(4), QStringLiteral("zkgui_mark_checked"));

        // Put the jumper back for the other tests.
        psu_battery_cfg_t cfg = field.batteryInterface()->getConfig();
        cfg.supplyBranch = 0;
        QSignalSpy done(field.batteryInterface(), &TPsuBatteryIf::storeCompleted);
        field.batteryInterface()->store(cfg);
        QVERIFY(done.wait(15000));
    }

    // The battery editor splits the values into its fields, refuses values
    // out of range or in conflict (first failing check only), and stores
    // acceptable ones.
    void batteryEditor_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("focus");
        const QStringList good{"40", "0", "28", "8", "28", "5", "20", "0", "32", "0", "-", "20", "+", "110"};
        auto with = [&](std::initializer_list<std::pair<int, const char *>> changes) {
            QStringList t = good;
            for (const auto &c : changes)
                t[c.first] = QLatin1String(c.second);
            return t;
        };
        QTest::newRow("current below") << with({{0, "1"}, {1, "5"}, {4, "20"}, {5, "0"}})
                                       << "Invalid current: Max charge current must be between 2.0A and 40.0A" << 0;
        QTest::newRow("current tenths only") << with({{0, "0"}, {1, "5"}})
                                             << "Invalid current: Max charge current must be between 2.0A and 40.0A" << 0;
        QTest::newRow("float 28.6") << with({{5, "6"}})
                                    << "Invalid voltage: Float voltage must be between 24.0V and 28.5V" << 4;
        QTest::newRow("min temp -21") << with({{11, "21"}})
                                      << QStringLiteral("Invalid temperature: Min battery alarm temperature must be "
                                                        "between -20\u00b0C and 25\u00b0C") << 11;
        QTest::newRow("float above charge") << with({{2, "27"}, {3, "0"}, {4, "27"}, {5, "5"}})
                                            << "Invalid voltage: Max charge voltage can not be smaller than float voltage" << 2;
        QTest::newRow("charge above max alarm") << with({{8, "28"}, {9, "5"}})
                                                << "Invalid voltage: Max alarm voltage can not be smaller than max charge voltage" << 8;
        QTest::newRow("min alarm above float") << with({{6, "29"}, {7, "0"}})
                                               << "Invalid voltage: Min alarm voltage can not be bigger than max charge voltage" << 6;
        QTest::newRow("edges pass") << good << QString() << -1;
        QTest::newRow("plain sign counts positive") << with({{10, "+"}, {11, "20"}}) << QString() << -1;
    }
    void batteryEditor()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, warning);
        QFETCH(int, focus);
        TPsuBatteryIf *psu = new TPsuBatteryIf(new TPsuLinkDevice(m_served->device, this), this);
        QVERIFY(testsupport::waitFor([&] { return psu->getConfig().dataValid; }, 20000));
        const psu_battery_cfg_t before = psu->getConfig();
        auto *window = new PowerBatteryCfgWindow(m_served->device, psu);
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<PowerBatteryCfgWindow> alive(window);
        window->showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        QStringList shown;
        for (int f = 0; f < PowerBatteryCfgWindow::FieldCount; ++f)
            shown << window->field(PowerBatteryCfgWindow::Field(f))->text();
        QCOMPARE(shown, (QStringList{"5", "0", "28", "8", "27", "2", "21", "0", "30", "0", "-", "10", "+", "50"}));

        fill(window, texts);
        window->field(PowerBatteryCfgWindow::MaxTempMagnitude)->setFocus();
        QSignalSpy stored(window, &TAbstractCfgWindow::stored);
        QSignalSpy focused(qApp, &QApplication::focusChanged);
        window->okButton()->click();
        if (!warning.isEmpty()) {
            QVERIFY(testsupport::waitFor([&] { return openWarnings().contains(warning); }, 3000));
            QCOMPARE(openWarnings().size(), 1);
            QVERIFY(alive);
            QCOMPARE(stored.count(), 0);
            bool fieldFocused = false;
            for (const QList<QVariant> &change : focused)
                fieldFocused = fieldFocused
                               || change.at(1).value<QWidget *>() == window->field(PowerBatteryCfgWindow::Field(focus));
            QVERIFY(fieldFocused);
            window->close();
            return;
        }
        QVERIFY(stored.wait(15000));
        QVERIFY(testsupport::waitFor([&] { return !alive; }, 3000));
        QVERIFY(testsupport::waitFor([&] { return psu->getConfig().maxChargeCurrent == 40.0; }, 20000));
        QCOMPARE(psu->getConfig().maxAlarmTemp, 110.0);
        // Put the unit's values back for the next row.
        QSignalSpy done(psu, &TPsuBatteryIf::storeCompleted);
        psu->store(before);
        QVERIFY(done.wait(15000));
        QVERIFY(testsupport::waitFor([&] { return psu->getConfig().maxChargeCurrent == 5.0; }, 20000));
        delete psu;
    }

    // Values with hundredths and a zero temperature split into the fields.
    void batteryEditorSplitsValues()
    {
        TPsuBatteryIf psu(new TPsuLinkDevice(m_served->device, this));
        QVERIFY(testsupport::waitFor([&] { return psu.getConfig().dataValid; }, 20000));
        const psu_battery_cfg_t before = psu.getConfig();
        psu_battery_cfg_t cfg = before;
        cfg.maxChargeVoltage = 28.99;
        cfg.minAlarmTemp = 0;
        QSignalSpy done(&psu, &TPsuBatteryIf::storeCompleted);
        psu.store(cfg);
        QVERIFY(done.wait(15000));
        QVERIFY(testsupport::waitFor([&] { return qAbs(psu.getConfig().maxChargeVoltage - 28.99) < 0.001; }, 20000));
        {
            PowerBatteryCfgWindow window(m_served->device, &psu);
            window.updateData();
            QCOMPARE(window.field(PowerBatteryCfgWindow::ChargeVoltageInt)->text(), QStringLiteral("29"));
            QCOMPARE(window.field(PowerBatteryCfgWindow::ChargeVoltageTenths)->text(), QStringLiteral("0"));
            QCOMPARE(window.field(PowerBatteryCfgWindow::MinTempSign)->text(), QStringLiteral("+"));
            QCOMPARE(window.field(PowerBatteryCfgWindow::MinTempMagnitude)->text(), QStringLiteral("0"));
        }
        done.clear();
        psu.store(before);
        QVERIFY(done.wait(15000));
        QVERIFY(testsupport::waitFor([&] { return psu.getConfig().maxChargeVoltage == before.maxChargeVoltage; }, 20000));
    }

    // The battery and the branch editors store in turn, each from its own
    // field: the second store writes only what was changed in it, so the
    // first one's values stay on the unit, and each field's record follows
    // what the unit now holds.
    void storesKeepTheOtherGroup_data()
    {
        QTest::addColumn<bool>("batteryFirst");
        QTest::newRow("battery, then branches") << true;
        QTest::newRow("branches, then battery") << false;
    }
    void storesKeepTheOtherGroup()
    {
        QFETCH(bool, batteryFirst);
        if (!testsupport::haveProgram(QStringLiteral("snmpget")))
            QSKIP("the Net-SNMP tools (package snmp) are not installed");
        PowerBatteryCfgField batteryField(m_served->device, nullptr);
        PowerBranchCfgField branchField(m_served->device, nullptr);
        QVERIFY(testsupport::waitFor([&] { return batteryField.hasSeenData() && branchField.hasSeenData(); }, 20000));
        const psu_battery_cfg_t before = batteryField.batteryInterface()->getConfig();
        QCOMPARE(before.maxChargeVoltage, 28.8);
        QCOMPARE(before.supplyBranch, 0);

        // One editor after the other, each from its own field, as the user opens them.
        auto storeBattery = [&] {
            QPointer<PowerBatteryCfgWindow> battery = new PowerBatteryCfgWindow(m_served->device, batteryField.batteryInterface());
            battery->setAttribute(Qt::WA_DeleteOnClose);
            battery->showWindow(m_main);
            QVERIFY(app3test::settle(m_main));
            battery->field(PowerBatteryCfgWindow::ChargeVoltageTenths)->setText(QStringLiteral("9"));
            QSignalSpy stored(battery.data(), &TAbstractCfgWindow::stored);
            battery->okButton()->click();
            QVERIFY(stored.wait(15000));
            QVERIFY(testsupport::waitFor([&] { return !battery; }, 3000));
        };
        auto storeBranch = [&] {
            QPointer<PowerBranchCfgWindow> branch = new PowerBranchCfgWindow(m_served->device, branchField.batteryInterface());
            branch->setAttribute(Qt::WA_DeleteOnClose);
            branch->showWindow(m_main);
            QVERIFY(app3test::settle(m_main));
            branch->items().at(0)->setChecked(false);
            branch->items().at(1)->setChecked(true);
            QSignalSpy stored(branch.data(), &TAbstractCfgWindow::stored);
            branch->okButton()->click();
            QVERIFY(stored.wait(15000));
            QVERIFY(testsupport::waitFor([&] { return !branch; }, 3000));
        };
        if (batteryFirst) {
            storeBattery();
            storeBranch();
        } else {
            storeBranch();
            storeBattery();
        }
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(snmpValue(QStringLiteral("zkZk441xMaxChargeVoltage")), QStringLiteral("28900"));
        QCOMPARE(snmpValue(QStringLiteral("zkZk441xSupplyBranch")), QString::number(0x011));
        QCOMPARE(snmpValue(QStringLiteral("zkZk441xFloatVoltage")), QStringLiteral("27200"));
        for (PowerCfgField *field : {static_cast<PowerCfgField *>(&batteryField), static_cast<PowerCfgField *>(&branchField)}) {
            QVERIFY(testsupport::waitFor([&] {
                const psu_battery_cfg_t now = field->batteryInterface()->getConfig();
                return qAbs(now.maxChargeVoltage - 28.9) < 1e-9 && now.supplyBranch == 0x011;
            }, 20000));
        }

        // Put the unit's values back for the other tests.
        QSignalSpy done(batteryField.batteryInterface(), &TPsuBatteryIf::storeCompleted);
        batteryField.batteryInterface()->store(before);
        QVERIFY(done.wait(15000));
        QVERIFY(testsupport::waitFor([&] { return snmpValue(QStringLiteral("zkZk441xSupplyBranch")) == "0"; }, 20000));
    }

    // A device deleted under an open editor takes the editor with it, as it
    // takes the details window.
    void editorClosesWithDeletedDevice()
    {
        std::unique_ptr<app3test::ServedDevice> served = app3test::serveDevice(
            QStringLiteral("127.0.2.53"), QStringLiteral("4411"), QStringLiteral("440053"), QStringLiteral("Spare"));
        QVERIFY(served);
        auto *window = new PowerBatteryDetailsWindow(served->device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<PowerBatteryDetailsWindow> alive(window);
        window->showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        PowerBatteryCfgField *field = window->batteryField();
        QVERIFY(testsupport::waitFor([&] { return field->hasSeenData(); }, 20000));
        field->showCfgWindow();
        QPointer<TAbstractCfgWindow> editor = field->editor();
        QVERIFY(editor);
        QVERIFY(app3test::settle(m_main));
        TLinkDeviceHandler::instance()->deleteDevice(served->device);
        served->device = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return !editor && !alive; }, 5000));
    }

    // Offline: the editor shows the status page and cannot store.
    void batteryEditorOffline()
    {
        TPsuBatteryIf psu(new TPsuLinkDevice(m_served->device, this));
        m_served->device->setOnline(false);
        PowerBatteryCfgWindow window(m_served->device, &psu);
        window.updateData();
        QVERIFY(window.isStatusShown());
        QVERIFY(!window.okOption()->isEnabled());
    }

    // Sign fields give the keypad "-" and "+"; the others bring the digits back.
    void signKeys()
    {
        TPsuBatteryIf psu(new TPsuLinkDevice(m_served->device, this));
        auto *edit = new PowerBatteryCfgWindow(m_served->device, &psu);
        edit->setAttribute(Qt::WA_DeleteOnClose);
        PowerBatteryCfgWindow &window = *edit;
        window.showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        auto key = [&](int i) {
            TBaseKeyData *data = window.keypad()->keys().at(i)->keyData();
            return data ? data->key() : -1;
        };
        window.field(PowerBatteryCfgWindow::MinTempSign)->setFocus();
        QVERIFY(testsupport::waitFor([&] { return key(0) == Qt::Key_Minus; }, 2000));
        QCOMPARE(key(1), int(Qt::Key_Plus));
        QCOMPARE(key(2), -1);
        window.field(PowerBatteryCfgWindow::MinTempMagnitude)->setFocus();
        QVERIFY(testsupport::waitFor([&] { return key(0) != Qt::Key_Minus && key(2) != -1; }, 2000));
        window.field(PowerBatteryCfgWindow::MinTempSign)->setFocus();
        window.field(PowerBatteryCfgWindow::MinTempSign)->clear();
        window.field(PowerBatteryCfgWindow::MaxTempSign)->setFocus();
        QVERIFY(testsupport::waitFor([&] { return window.field(PowerBatteryCfgWindow::MinTempSign)->text() == "-"; },
                                     2000));
        window.close();
    }
};

int main(int argc, char **argv)
{
    GuiApp app(argc, argv);
    app.setOrganizationName(QStringLiteral("Vantor & Vantor"));
    app.setApplicationName(QStringLiteral("ZEL"));
    TestPowerSupply test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_powersupply.moc"
