#include "FakeSystem.h"
#include "link/PortDiagnosis.h"
#include "link/PortListing.h"

#include <QHash>
#include <QTest>

#include <pty.h>
#include <unistd.h>

using namespace talvaro;

namespace {

constexpr qint64 OwnPid = 4242;

enum class Scene {
    NoPermission,
    HeldByMinicom,
    BusyHolderUnseen,
    ModemManagerOnUsb,
    BrlttyInstalled,
    BrlttyRunning,
    NoDriver,
    AcmWithoutDriver,
    NoPortAtAll,
};

// The ports of a scene with what opening each of them answers.
struct Rig {
    FakeSystem system;
    QList<ComPortPath> ports;
    QHash<QString, PortAccess> access;

    QString addPort(quint16 number, const QString& name,
                    PortAccess::Result result = PortAccess::Result::Opened) {
        const QString path = system.port(name);
        ports << ComPortPath{number, path};
        access.insert(path, {result, QStringLiteral("verweigert")});
        return path;
    }
    Diagnosis run() const {
        const auto probe = [this](const QString& path) { return access.value(path); };
        return PortDiagnosis(system.roots, probe, OwnPid).run(ports);
    }
};

} // namespace

// The causes of "no device found" that lie outside the device, each in its fake tree.
class TestPortDiagnosis : public QObject {
    Q_OBJECT
private slots:
    void eachCauseGivesItsLine_data();
    void eachCauseGivesItsLine();
    void whatIsFineSaysNothing();
    void modemManagerHoldingItsPortIsNamedOnce();
    void portListShowsByIdNameAndFindings();
    void realProbeOfAPseudoTerminal();
};

void TestPortDiagnosis::eachCauseGivesItsLine_data() {
    QTest::addColumn<Scene>("scene");
    QTest::addColumn<QString>("line"); // {dev} stands for the fake /dev

    QTest::newRow("no permission")
        << Scene::NoPermission
        << "Kein Zugriff auf COM1 ({dev}/ttyUSB0): die Mitgliedschaft in der Gruppe \"dialout\" "
           "gewährt ihn.";
    QTest::newRow("held by a visible process")
        << Scene::HeldByMinicom
        << "COM2 ({dev}/ttyS0) ist belegt von minicom (PID 1234): beenden Sie dieses Programm.";
    QTest::newRow("busy, holder unseen")
        << Scene::BusyHolderUnseen
        << "COM1 ({dev}/ttyUSB0) ist belegt: ein anderes Programm hält ihn offen; beenden Sie es.";
    QTest::newRow("ModemManager and a USB adapter")
        << Scene::ModemManagerOnUsb
        << "ModemManager prüft COM1 ({dev}/ttyUSB0): beenden Sie ihn (systemctl stop "
           "ModemManager) oder legen Sie diese udev-Regel an: ATTRS{idVendor}==\"0403\", "
           "ATTRS{idProduct}==\"6001\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
    const QString brltty = "USB-Adapter 1a86:7523 (USB Serial) ohne seriellen Anschluss, brltty "
                           "belegt ihn: entfernen Sie brltty oder seine udev-Regel "
                           "(85-brltty.rules).";
    QTest::newRow("brltty installed") << Scene::BrlttyInstalled << brltty;
    QTest::newRow("brltty running") << Scene::BrlttyRunning << brltty;
    QTest::newRow("no driver") << Scene::NoDriver
                               << "USB-Adapter 1a86:7523 (USB Serial) ohne seriellen Anschluss: "
                                  "es fehlt der Treiber ch341 (modprobe ch341).";
    QTest::newRow("modem class without driver")
        << Scene::AcmWithoutDriver
        << "USB-Adapter 2341:0043 (USB Serial) ohne seriellen Anschluss: es fehlt der Treiber "
           "cdc_acm (modprobe cdc_acm).";
    QTest::newRow("no port at all")
        << Scene::NoPortAtAll
        << "Kein serieller Anschluss gefunden. Ist der USB-Adapter eingesteckt?";
}

void TestPortDiagnosis::eachCauseGivesItsLine() {
    QFETCH(Scene, scene);
    QFETCH(QString, line);
    Rig rig;
    switch (scene) {
    case Scene::NoPermission:
        rig.addPort(1, "ttyUSB0", PortAccess::Result::NoPermission);
        break;
    case Scene::HeldByMinicom:
        rig.addPort(1, "ttyUSB0");
        rig.system.process(1234, "minicom", {rig.addPort(2, "ttyS0")});
        break;
    case Scene::BusyHolderUnseen:
        rig.addPort(1, "ttyUSB0", PortAccess::Result::Busy);
        rig.system.process(99, "bash"); // a process whose descriptors are not visible
        break;
    case Scene::ModemManagerOnUsb:
        rig.addPort(1, "ttyUSB0");
        rig.system.usbDevice(1, "0403", "6001", "ttyUSB0");
        rig.system.process(77, "ModemManager");
        break;
    case Scene::BrlttyInstalled:
        rig.system.usbDevice(1, "1a86", "7523");
        rig.system.installBrltty();
        break;
    case Scene::BrlttyRunning:
        rig.system.usbDevice(1, "1a86", "7523");
        rig.system.process(500, "brltty");
        break;
    case Scene::NoDriver:
        rig.system.usbDevice(1, "1a86", "7523");
        break;
    case Scene::AcmWithoutDriver:
        rig.system.usbDevice(1, "2341", "0043", {}, "02");
        break;
    case Scene::NoPortAtAll:
        break;
    }
    line.replace("{dev}", rig.system.roots.dev);
    QCOMPARE(rig.run().lines(), QStringList{line});
}

// Only ModemManager speaks up here: our own hold, an adapter with its port, a mouse,
// brltty without an adapter to take and a built-in port are no cause.
void TestPortDiagnosis::whatIsFineSaysNothing() {
    Rig rig;
    const QString own = rig.addPort(1, "ttyUSB0");
    rig.system.usbDevice(1, "0403", "6001", "ttyUSB0"); // an adapter with its port
    rig.system.usbDevice(2, "046d", "c52b");            // a mouse: no serial adapter
    rig.system.installBrltty();
    rig.system.process(OwnPid, "talvaro", {own});
    rig.addPort(2, "ttyS0");
    rig.system.process(77, "ModemManager"); // leaves built-in ports alone
    const Diagnosis diagnosis = rig.run();
    QCOMPARE(diagnosis.ports.size(), 2);
    QVERIFY2(diagnosis.lines().size() == 1, qPrintable(diagnosis.lines().join('\n')));
    QVERIFY(diagnosis.lines().first().startsWith("ModemManager prüft COM1 "));
}

void TestPortDiagnosis::modemManagerHoldingItsPortIsNamedOnce() {
    Rig rig;
    const QString path = rig.addPort(1, "ttyACM0");
    rig.system.process(77, "ModemManager", {path});
    rig.system.process(1234, "screen", {path});
    const QStringList lines = rig.run().lines();
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].contains("belegt von screen (PID 1234)"));
    // No USB ids known: the rule names the kernel's device.
    QVERIFY(lines[1].endsWith("KERNEL==\"ttyACM0\", ENV{ID_MM_DEVICE_IGNORE}=\"1\""));
}

void TestPortDiagnosis::portListShowsByIdNameAndFindings() {
    Rig rig;
    const QString path = rig.addPort(1, "ttyUSB0");
    const QString byId = rig.system.roots.dev + "/serial/by-id/usb-Maker_Kabel_A12-if00-port0";
    FakeSystem::link("../../ttyUSB0", byId);
    rig.system.process(1234, "minicom", {path});
    rig.addPort(3, "ttyUSB1", PortAccess::Result::Missing);
    const Diagnosis diagnosis = rig.run();
    QCOMPARE(diagnosis.ports.first().byId, byId);
    const QStringList lines = portListText(diagnosis).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], "COM1\t" + path + "\tfrei");
    QCOMPARE(lines[1], "\t" + byId);
    QVERIFY(lines[2].startsWith("\tCOM1 (" + path + ") ist belegt von minicom"));
    QCOMPARE(lines[3], "COM3\t" + rig.system.roots.dev + "/ttyUSB1\tnicht verfügbar: verweigert");
}

void TestPortDiagnosis::realProbeOfAPseudoTerminal() {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    QCOMPARE(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    ::close(slave);
    QCOMPARE(probePortAccess(QString::fromLocal8Bit(name)).result, PortAccess::Result::Opened);
    ::close(master);
    const PortAccess gone = probePortAccess("/dev/talvaro-no-such-port");
    QCOMPARE(gone.result, PortAccess::Result::Missing);
    QVERIFY(!gone.reason.isEmpty());
}

QTEST_GUILESS_MAIN(TestPortDiagnosis)
#include "test_port_diagnosis.moc"
