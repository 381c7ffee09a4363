#include "FakeSystem.h"
#include "link/PortDiagnosis.h"
#include "link/PortListing.h"
#include "link/PortWatcher.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSignalSpy>
#include <QTemporaryDir>
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
    void watcherReportsAPortOnceSettled();
};

void TestPortDiagnosis::eachCauseGivesItsLine_data() {
    QTest::addColumn<Scene>("scene");
    QTest::addColumn<QString>("status"); // of the first port; empty without ports
    // {dev} and {lock}: the fake folders; {dev_}: the first as a lock file's name has it
    QTest::addColumn<QStringList>("lines");

    const QString busy = QStringLiteral("belegt");
    const QString noAccess = QStringLiteral("nicht verfügbar: verweigert");
    QTest::newRow("no permission, group uucp")
        << Scene([](Rig& r) {
               r.system.group(r.addPort(1, "ttyUSB0", Result::NoPermission), "uucp", "bernd");
               r.system.login(OwnPid);
           })
        << noAccess
        << QStringList{"Kein Zugriff auf COM1 ({dev}/ttyUSB0): er gehört der Gruppe \"uucp\" "
                       "(-rw-rw----). Treten Sie ihr bei, danach ab- und wieder anmelden: sudo "
                       "usermod -aG uucp $USER"};
    QTest::newRow("in the group from the next login on")
        << Scene([](Rig& r) {
               r.system.group(r.addPort(1, "ttyUSB0", Result::NoPermission), "dialout",
                              "bernd,anna");
               r.system.login(OwnPid);
           })
        << noAccess
        << QStringList{"Kein Zugriff auf COM1 ({dev}/ttyUSB0): Sie sind Mitglied der Gruppe "
                       "\"dialout\", aber erst ab der nächsten Anmeldung. Melden Sie sich ab und "
                       "wieder an."};
    QTest::newRow("refused although in the group")
        << Scene([](Rig& r) {
               const uint gid =
                   r.system.group(r.addPort(1, "ttyUSB0", Result::NoPermission), "dialout");
               r.system.login(OwnPid, {gid});
           })
        << noAccess
        << QStringList{"Kein Zugriff auf COM1 ({dev}/ttyUSB0, -rw-rw----, Gruppe \"dialout\"): "
                       "verweigert."};
    QTest::newRow("busy, holder unseen") // bash's descriptors are not visible
        << Scene([](Rig& r) {
               r.addPort(1, "ttyUSB0", Result::Busy);
               r.system.process(99, "bash");
           })
        << busy
        << QStringList{"COM1 ({dev}/ttyUSB0) ist belegt: ein anderes Programm hält ihn offen; "
                       "beenden Sie es."};
    QTest::newRow("locked by a running program")
        << Scene([](Rig& r) {
               r.addPort(1, "ttyUSB0");
               r.system.process(1234, "minicom");
               r.system.lock("ttyUSB0", 1234);
           })
        << busy
        << QStringList{"COM1 ({dev}/ttyUSB0) ist gesperrt von minicom (PID 1234, Sperrdatei "
                       "{lock}/LCK..ttyUSB0): beenden Sie dieses Programm."};
    QTest::newRow("stale lock")
        << Scene([](Rig& r) {
               r.addPort(1, "ttyUSB0");
               r.system.lock("ttyUSB0", 999);
           })
        << "frei"
        << QStringList{"COM1 ({dev}/ttyUSB0) ist durch eine verwaiste Sperrdatei gesperrt: "
                       "{lock}/LCK..ttyUSB0 stammt von PID 999, der nicht mehr läuft. Löschen "
                       "Sie sie: sudo rm {lock}/LCK..ttyUSB0"};
    QTest::newRow("stale lock of a Qt program, named after the path it opened")
        << Scene([](Rig& r) {
               r.system.lock(QString(r.addPort(1, "ttyUSB0")).replace('/', '_'), 999);
           })
        << "frei"
        << QStringList{"COM1 ({dev}/ttyUSB0) ist durch eine verwaiste Sperrdatei gesperrt: "
                       "{lock}/LCK..{dev_}_ttyUSB0 stammt von PID 999, der nicht mehr läuft. "
                       "Löschen Sie sie: sudo rm {lock}/LCK..{dev_}_ttyUSB0"};
    // Probing it would fail with EBUSY from this very process.
    QTest::newRow("this program's own port and lock file") << Scene([](Rig& r) {
        r.system.process(OwnPid, "talvaro", {r.addPort(1, "ttyUSB0", Result::Busy)});
        r.system.lock("ttyUSB0", OwnPid);
    }) << "von diesem Programm geöffnet" << QStringList{};
    // A plain USB serial chip, a mouse and a built-in port are no cause, nor is brltty
    // while the adapter has its port.
    QTest::newRow("ModemManager leaves a USB serial chip alone") << Scene([](Rig& r) {
        r.addPort(1, "ttyUSB0");
        r.system.usbDevice(1, "0403", "6001", "ttyUSB0");
        r.system.udev("ttyUSB0", "E:ID_MM_CANDIDATE=1\n");
        r.system.usbDevice(2, "046d", "c52b");
        r.system.process(500, "brltty");
        r.addPort(2, "ttyS0");
        r.system.process(77, "ModemManager");
    }) << "frei" << QStringList{};
    const QString modemManager =
        "ModemManager prüft COM1 ({dev}/ttyACM0): beenden Sie ihn (sudo systemctl stop "
        "ModemManager) oder nehmen Sie den Anschluss dauerhaft aus: echo '%1, "
        "ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee -a /etc/udev/rules.d/99-talvaro.rules, dann "
        "sudo udevadm control --reload-rules und den Adapter aus- und wieder einstecken.";
    QTest::newRow("ModemManager and an ACM port udev leaves to it")
        << Scene([](Rig& r) {
               r.addPort(1, "ttyACM0");
               r.system.usbDevice(1, "2341", "0043", "ttyACM0", "02", "01");
               r.system.udev("ttyACM0", "E:ID_MM_CANDIDATE=1\n");
               r.system.process(77, "ModemManager");
           })
        << "frei"
        << QStringList{modemManager.arg("ATTRS{idVendor}==\"2341\", ATTRS{idProduct}==\"0043\"")};
    QTest::newRow("udev marks the port for ModemManager to ignore") << Scene([](Rig& r) {
        r.addPort(1, "ttyACM0");
        r.system.udev("ttyACM0", "E:ID_MM_DEVICE_IGNORE=1\n");
        r.system.process(77, "ModemManager");
    }) << "frei" << QStringList{};
    QTest::newRow("no udev record: ModemManager not blamed") << Scene([](Rig& r) {
        r.addPort(1, "ttyACM0");
        r.system.process(77, "ModemManager");
    }) << "frei" << QStringList{};
    // Named once, as ModemManager; without USB ids the rule names the kernel's device.
    QTest::newRow("ModemManager holding its port")
        << Scene([](Rig& r) {
               const QString path = r.addPort(1, "ttyACM0");
               r.system.process(77, "ModemManager", {path});
               r.system.process(1234, "screen", {path});
           })
        << busy
        << QStringList{"COM1 ({dev}/ttyACM0) ist belegt von screen (PID 1234): beenden Sie "
                       "dieses Programm.",
                       modemManager.arg("KERNEL==\"ttyACM0\"")};
    QTest::newRow("rfcomm is not opened")
        << Scene([](Rig& r) { r.addPort(1, "rfcomm0", Result::Failed); })
        << "nicht geprüft: das Öffnen baut eine Bluetooth-Verbindung auf" << QStringList{};
    const QString brltty =
        "USB-Adapter 1a86:7523 (USB Serial) ohne seriellen Anschluss, brltty hat ihn belegt: "
        "schalten Sie seine Erkennung ab, die Braille-Unterstützung bleibt (sudo ln -s "
        "/dev/null /etc/udev/rules.d/85-brltty.rules && sudo systemctl mask "
        "brltty-udev.service), dann den Adapter aus- und wieder einstecken.";
    QTest::newRow("brltty claimed it")
        << Scene([](Rig& r) { r.system.usbDevice(1, "1a86", "7523", {}, "ff", "00", "usbfs"); })
        << QString() << QStringList{brltty};
    QTest::newRow("unbound while brltty runs") << Scene([](Rig& r) {
        r.system.usbDevice(1, "1a86", "7523");
        r.system.process(500, "brltty");
    }) << QString() << QStringList{brltty};
    QTest::newRow("no driver")
        << Scene([](Rig& r) { r.system.usbDevice(1, "1a86", "7523"); }) << QString()
        << QStringList{"USB-Adapter 1a86:7523 (USB Serial) ohne seriellen Anschluss: es fehlt "
                       "der Treiber ch341 (modprobe ch341)."};
    QTest::newRow("modem class without driver")
        << Scene([](Rig& r) { r.system.usbDevice(1, "2341", "0043", {}, "02"); }) << QString()
        << QStringList{"USB-Adapter 2341:0043 (USB Serial) ohne seriellen Anschluss: es fehlt "
                       "der Treiber cdc_acm (modprobe cdc_acm)."};
    const QStringList noPort{"Kein serieller Anschluss gefunden. Ist der USB-Adapter eingesteckt?"};
    QTest::newRow("phone tethering is no serial adapter") << Scene([](Rig& r) {
        r.system.usbDevice(1, "18d1", "4ee3", {}, "02", "ff", "rndis_host");
        r.system.usbDevice(2, "18d1", "4ee4", {}, "02", "ff");
    }) << QString() << noPort;
    QTest::newRow("no port at all") << Scene([](Rig&) {}) << QString() << noPort;
}

void TestPortDiagnosis::eachCauseGivesItsLine() {
    QFETCH(Scene, scene);
    QFETCH(QString, status);
    QFETCH(QStringList, lines);
    Rig rig;
    scene(rig);
    const Diagnosis diagnosis = rig.run();
    QCOMPARE(diagnosis.lines(),
             lines.replaceInStrings("{dev_}", QString(rig.system.roots.dev).replace('/', '_'))
                 .replaceInStrings("{dev}", rig.system.roots.dev)
                 .replaceInStrings("{lock}", rig.system.roots.locks.first()));
    QCOMPARE(diagnosis.ports.isEmpty() ? QString() : portStatusText(diagnosis.ports.first()),
             status);
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
    QCOMPARE(lines[0], "COM1\t" + path + "\tbelegt"); // never "frei" beside "belegt"
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

void TestPortDiagnosis::watcherReportsAPortOnceSettled() {
    QTemporaryDir dev;
    const QString mapped = dev.filePath("elsewhere/port");
    QDir().mkpath(QFileInfo(mapped).path());
    PortWatcher watcher(dev.path());
    watcher.setPortPaths({mapped});
    constexpr int SettleMs = 300;
    watcher.setSettleMs(SettleMs);
    FakeSystem::write(dev.filePath("ttyS0"));
    watcher.start();
    QSignalSpy appeared(&watcher, &PortWatcher::portAppeared);
    QSignalSpy gone(&watcher, &PortWatcher::portDisappeared);

    QElapsedTimer clock;
    clock.start();
    FakeSystem::write(dev.filePath("ttyUSB0"));
    FakeSystem::write(dev.filePath("console")); // no port
    QVERIFY(appeared.wait(10000));
    QVERIFY(clock.elapsed() >= SettleMs);
    QCOMPARE(appeared.takeFirst().at(0).toString(), dev.filePath("ttyUSB0"));

    FakeSystem::write(mapped); // a path of the port map, wherever it lies
    QVERIFY(appeared.wait(10000));
    QCOMPARE(appeared.takeFirst().at(0).toString(), mapped);
    QCOMPARE(watcher.ports(),
             QStringList({mapped, dev.filePath("ttyS0"), dev.filePath("ttyUSB0")}));

    QVERIFY(QFile::remove(dev.filePath("ttyUSB0")));
    QVERIFY(gone.wait(10000));
    QCOMPARE(gone.takeFirst().at(0).toString(), dev.filePath("ttyUSB0"));
    QVERIFY(appeared.isEmpty());
}

QTEST_GUILESS_MAIN(TestPortDiagnosis)
#include "test_port_diagnosis.moc"
