#include "FakeSystem.h"
#include "link/PortDiagnosis.h"
#include "link/PortListing.h"

#include <QHash>
#include <QTest>

#include <functional>

using namespace talvaro;
using Result = PortAccess::Result;

namespace {

constexpr qint64 OwnPid = 4242;

// The ports of a scene with what opening each of them answers.
struct Rig {
    FakeSystem system;
    QList<ComPortPath> ports;
    QHash<QString, PortAccess> access;

    QString addPort(quint16 number, const QString& name, Result result = Result::Opened) {
        const QString path = FakeSystem::write(system.roots.dev + "/" + name);
        ports << ComPortPath{number, path};
        access.insert(path, {result, QStringLiteral("verweigert")});
        return path;
    }
    Diagnosis run() const {
        const auto probe = [this](const QString& path) { return access.value(path); };
        return PortDiagnosis(system.roots, probe, OwnPid).run(ports);
    }
};

using Scene = std::function<void(Rig&)>;

} // namespace

Q_DECLARE_METATYPE(Scene)

// The causes of "no device found" that lie outside the device, each in its fake tree.
class TestPortDiagnosis : public QObject {
    Q_OBJECT
private slots:
    void eachCauseGivesItsLine_data();
    void eachCauseGivesItsLine();
    void portListShowsByIdNameAndFindings();
    void probeNamesAMissingPort();
};

void TestPortDiagnosis::eachCauseGivesItsLine_data() {
    QTest::addColumn<Scene>("scene");
    QTest::addColumn<QStringList>("lines"); // {dev} stands for the fake /dev

    QTest::newRow("no permission")
        << Scene([](Rig& r) { r.addPort(1, "ttyUSB0", Result::NoPermission); })
        << QStringList{"Kein Zugriff auf COM1 ({dev}/ttyUSB0): die Mitgliedschaft in der Gruppe "
                       "\"dialout\" gewährt ihn."};
    QTest::newRow("busy, holder unseen") // bash's descriptors are not visible
        << Scene([](Rig& r) {
               r.addPort(1, "ttyUSB0", Result::Busy);
               r.system.process(99, "bash");
           })
        << QStringList{"COM1 ({dev}/ttyUSB0) ist belegt: ein anderes Programm hält ihn offen; "
                       "beenden Sie es."};
    // Only ModemManager speaks up: our own hold, an adapter with its port, a mouse, brltty
    // without an adapter to take and a built-in port are no cause.
    QTest::newRow("ModemManager and a USB adapter, the rest fine")
        << Scene([](Rig& r) {
               r.system.process(OwnPid, "talvaro", {r.addPort(1, "ttyUSB0")});
               r.system.usbDevice(1, "0403", "6001", "ttyUSB0");
               r.system.usbDevice(2, "046d", "c52b");
               FakeSystem::write(r.system.roots.brltty.first());
               r.addPort(2, "ttyS0");
               r.system.process(77, "ModemManager");
           })
        << QStringList{"ModemManager prüft COM1 ({dev}/ttyUSB0): beenden Sie ihn (systemctl stop "
                       "ModemManager) oder legen Sie diese udev-Regel an: "
                       "ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
                       "ENV{ID_MM_DEVICE_IGNORE}=\"1\""};
    // Named once, as ModemManager; without USB ids the rule names the kernel's device.
    QTest::newRow("ModemManager holding its port")
        << Scene([](Rig& r) {
               const QString path = r.addPort(1, "ttyACM0");
               r.system.process(77, "ModemManager", {path});
               r.system.process(1234, "screen", {path});
           })
        << QStringList{"COM1 ({dev}/ttyACM0) ist belegt von screen (PID 1234): beenden Sie "
                       "dieses Programm.",
                       "ModemManager prüft COM1 ({dev}/ttyACM0): beenden Sie ihn (systemctl stop "
                       "ModemManager) oder legen Sie diese udev-Regel an: KERNEL==\"ttyACM0\", "
                       "ENV{ID_MM_DEVICE_IGNORE}=\"1\""};
    const QStringList brltty{"USB-Adapter 1a86:7523 (USB Serial) ohne seriellen Anschluss, "
                             "brltty belegt ihn: entfernen Sie brltty oder seine udev-Regel "
                             "(85-brltty.rules)."};
    QTest::newRow("brltty installed") << Scene([](Rig& r) {
        r.system.usbDevice(1, "1a86", "7523");
        FakeSystem::write(r.system.roots.brltty.first());
    }) << brltty;
    QTest::newRow("brltty running") << Scene([](Rig& r) {
        r.system.usbDevice(1, "1a86", "7523");
        r.system.process(500, "brltty");
    }) << brltty;
    QTest::newRow("no driver")
        << Scene([](Rig& r) { r.system.usbDevice(1, "1a86", "7523"); })
        << QStringList{"USB-Adapter 1a86:7523 (USB Serial) ohne seriellen Anschluss: es fehlt "
                       "der Treiber ch341 (modprobe ch341)."};
    QTest::newRow("modem class without driver")
        << Scene([](Rig& r) { r.system.usbDevice(1, "2341", "0043", {}, "02"); })
        << QStringList{"USB-Adapter 2341:0043 (USB Serial) ohne seriellen Anschluss: es fehlt "
                       "der Treiber cdc_acm (modprobe cdc_acm)."};
    QTest::newRow("no port at all")
        << Scene([](Rig&) {})
        << QStringList{"Kein serieller Anschluss gefunden. Ist der USB-Adapter eingesteckt?"};
}

void TestPortDiagnosis::eachCauseGivesItsLine() {
    QFETCH(Scene, scene);
    QFETCH(QStringList, lines);
    Rig rig;
    scene(rig);
    QCOMPARE(rig.run().lines(), lines.replaceInStrings("{dev}", rig.system.roots.dev));
}

void TestPortDiagnosis::portListShowsByIdNameAndFindings() {
    Rig rig;
    const QString path = rig.addPort(1, "ttyUSB0");
    const QString byId = rig.system.roots.dev + "/serial/by-id/usb-Maker_Kabel_A12-if00-port0";
    FakeSystem::link("../../ttyUSB0", byId);
    rig.system.process(1234, "minicom", {path});
    rig.addPort(3, "ttyUSB1", Result::Missing);
    const Diagnosis diagnosis = rig.run();
    QCOMPARE(diagnosis.ports.first().byId, byId);
    const QStringList lines = portListText(diagnosis).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], "COM1\t" + path + "\tfrei");
    QCOMPARE(lines[1], "\t" + byId);
    QVERIFY(lines[2].startsWith("\tCOM1 (" + path + ") ist belegt von minicom"));
    QCOMPARE(lines[3], "COM3\t" + rig.system.roots.dev + "/ttyUSB1\tnicht verfügbar: verweigert");
}

// Opening a real pty is in the command line's port list; here what errno says.
void TestPortDiagnosis::probeNamesAMissingPort() {
    const PortAccess gone = probePortAccess("/dev/talvaro-no-such-port");
    QCOMPARE(gone.result, Result::Missing);
    QVERIFY(!gone.reason.isEmpty());
}

QTEST_GUILESS_MAIN(TestPortDiagnosis)
#include "test_port_diagnosis.moc"
