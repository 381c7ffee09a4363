// talvaro-cli against simulated telephone systems on pseudo-terminals: read, program,
// factory reset and the port list, each through the real serial port.
#include "CliRunner.h"
#include "SimulatedPorts.h"
#include "history/HistoryStore.h"
#include "sim/LoaderHandler.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace talvaro;

namespace {

// Simulated devices on COM1, COM2, ... in the order given, each in its own thread.

} // namespace

class TestCliDevice : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void readFindsSiblingOnSecondPort();
    void readOnlyOnTheGivenPort();
    void readWithoutDeviceFails();
    void programWithBackupAndVerify();
    void programSiblingWritesTheFileNotDefaults();
    void programRefusals_data();
    void programRefusals();
    void verifyNoticesADifferentImage();
    void factoryReset();
    void portsTellWhatStandsBehindEachNumber();
    void firmwareInstallFindsTheDeviceAgain();
    void firmwareOfAnotherTypeIsRefused();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // A configuration of `type` with a few changes away from the defaults.
    QString makeFile(DeviceType type, const QString& name, bool ringsExternally = true) {
        ReferenceEditor editor(type);
        editor.host.model().setChecked("RBWartemusikNein", true);
        editor.host.model().setValue("LMDSpinEditAnzahlRufe", 5);
        for (int n = 1; n <= 6 && !ringsExternally; ++n)
            editor.host.model().setChecked(extensionControl("CBarb", n), false);
        writeBytes(path(name), editor.encoded());
        return path(name);
    }
    // What the program sends for `file` while the editor holds `type`.
    QByteArray encodedFile(DeviceType type, const QString& file) {
        ReferenceEditor editor(type);
        return editor.host.openConfigurationFile(file) ? editor.encoded() : QByteArray();
    }
    QString makeFirmware(DeviceType type, const QString& name) {
        QProcess efwgen;
        efwgen.start(EFWGEN, {"--type", QString::number(type), "--size", "600", "-o", path(name)});
        efwgen.waitForFinished(60000);
        return path(name);
    }
    QTemporaryDir m_dir;
};

void TestCliDevice::readFindsSiblingOnSecondPort() {
    SimulatedPorts devices{0, 7}; // a four-extension device is no device while type 5 is edited
    devices.start();
    const CliResult result =
        runCli({"read", "--type", "5", "-o", path("read.tkx")}, devices.portList());
    QCOMPARE(result.status, 0);
    QCOMPARE(fileBytes(path("read.tkx")), devices.image(2));
    QCOMPARE(result.out, QStringLiteral("TK Quenta 26x - Firmware 2.04\nCOM2 (%1)\n"
                                        "Gerätetyp 7 (Quenta 26x)\n")
                             .arg(devices.paths[1]));
    QVERIFY(result.err.contains("Suche an COM1"));
}

void TestCliDevice::readOnlyOnTheGivenPort() {
    SimulatedPorts devices{5, 5};
    devices.at(2).withDevice([](sim::SimDevice& d) { d.setImage(QByteArray(76, '\x11')); });
    devices.start();
    const CliResult byNumber = runCli(
        {"read", "--type", "5", "--port", "COM2", "-o", path("com2.tkx")}, devices.portList());
    QCOMPARE(byNumber.status, 0);
    QCOMPARE(fileBytes(path("com2.tkx")), QByteArray(76, '\x11'));
    QVERIFY(!byNumber.err.contains("COM1"));

    const CliResult byPath = runCli(
        {"read", "--type", "5", "--port", devices.paths[0], "-o", path("path.tkx")}, QString());
    QCOMPARE(byPath.status, 0);
    QCOMPARE(fileBytes(path("path.tkx")), devices.image(1));

    const CliResult none =
        runCli({"read", "--type", "5", "--port", "COM3", "-o", path("x.tkx")}, devices.portList());
    QCOMPARE(none.status, 1);
    QVERIFY(!QFile::exists(path("x.tkx")));
}

void TestCliDevice::readWithoutDeviceFails() {
    SimulatedPorts devices{5};
    devices.at(1).withDevice([](sim::SimDevice& d) { d.faults().silent = true; });
    devices.start();
    const CliResult result =
        runCli({"read", "--type", "5", "-o", path("none.tkx")}, devices.portList());
    QCOMPARE(result.status, 1);
    QVERIFY(result.err.contains("Es wurde keine Telefonanlage gefunden."));
    QVERIFY(result.out.isEmpty());
    QVERIFY(!QFile::exists(path("none.tkx")));
}

void TestCliDevice::programWithBackupAndVerify() {
    SimulatedPorts devices{6};
    devices.start();
    const QByteArray before = devices.image(1);
    const QString file = makeFile(6, "six.tkx");
    const CliResult result =
        runCli({"program", file, "--type", "6", "--backup", path("old.tkx"), "--verify"},
               devices.portList());
    QCOMPARE(result.status, 0);
    QCOMPARE(devices.image(1), encodedFile(6, file));
    QCOMPARE(fileBytes(path("old.tkx")), before);
    QCOMPARE(devices.writes(1), 1);
    QVERIFY(result.err.contains("Das Programmieren der Konfiguration war erfolgreich."));
    QVERIFY(result.err.contains("Die zurückgelesene Konfiguration stimmt überein."));
}

void TestCliDevice::programSiblingWritesTheFileNotDefaults() {
    SimulatedPorts devices{7};
    devices.start();
    const QString file = makeFile(6, "six.tkx");
    const CliResult result = runCli({"program", file, "--type", "6"}, devices.portList());
    QCOMPARE(result.status, 0);
    ReferenceEditor defaults(7);
    defaults.host.newConfiguration();
    QVERIFY(devices.image(1) != defaults.encoded());
    QCOMPARE(devices.image(1), encodedFile(7, file));
    QVERIFY(result.out.contains("Gerätetyp 7"));
}

void TestCliDevice::programRefusals_data() {
    QTest::addColumn<bool>("ringsExternally");
    QTest::addColumn<int>("refuseStep");
    QTest::addColumn<int>("spareAckStep"); // one spare ACK behind this step's answer
    QTest::addColumn<QString>("message");
    QTest::newRow("external-call warning without --yes")
        << false << -1 << -1 << "ein Externanruf an keinem Endgerät signalisiert wird";
    QTest::newRow("third image byte refused")
        << true << 3 << -1 << "Fehler beim Programmieren der Telefonanlage.";
    QTest::newRow("checksum refused")
        << true << 77 << -1 << "Fehler beim Programmieren der Telefonanlage.";
    QTest::newRow("spare ACK after the write command, checksum refused")
        << true << 77 << 0 << "Fehler beim Programmieren der Telefonanlage.";
}

void TestCliDevice::programRefusals() {
    QFETCH(bool, ringsExternally);
    QFETCH(int, refuseStep);
    QFETCH(int, spareAckStep);
    QFETCH(QString, message);
    SimulatedPorts devices{5};
    devices.at(1).withDevice([&](sim::SimDevice& d) {
        d.faults().refuseWriteStep = refuseStep;
        d.faults().spareAckStep = spareAckStep;
        d.faults().spareAcks = 1;
    });
    devices.start();
    const QByteArray before = devices.image(1);
    const QString file = makeFile(5, "five.tkx", ringsExternally);
    const CliResult result =
        runCli({"program", file, "--type", "5", "--verify"}, devices.portList(), 60000);
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QVERIFY(!result.err.contains("stimmt überein"));
    QCOMPARE(devices.writes(1), 0);
    QCOMPARE(devices.image(1), before);
}

void TestCliDevice::verifyNoticesADifferentImage() {
    SimulatedPorts devices{5};
    devices.start();
    const QString file = makeFile(5, "five.tkx");
    // The device acknowledges every byte but keeps what it had.
    devices.at(1).withDevice([](sim::SimDevice& d) { d.faults().keepsOldImage = true; });
    const CliResult result =
        runCli({"program", file, "--type", "5", "--verify"}, devices.portList(), 60000);
    QCOMPARE(devices.writes(1), 1);
    QCOMPARE(result.status, 1);
    QVERIFY(result.err.contains("weicht"));
}

void TestCliDevice::factoryReset() {
    SimulatedPorts devices{3};
    devices.start();
    const QByteArray before = devices.image(1);
    const CliResult refused = runCli({"reset", "--type", "3"}, devices.portList());
    QCOMPARE(refused.status, 1);
    QVERIFY(refused.err.contains("werkseitigen Auslieferzustand"));
    QCOMPARE(devices.image(1), before);

    // No history to keep the backup in: --yes confirms the reset, not going on without it.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    QVERIFY(writeBytes(path("blocker"), "a file where the data folder should be"));
    qputenv("XDG_DATA_HOME", path("blocker").toLocal8Bit());
    const CliResult unsafe = runCli({"reset", "--type", "3", "--yes"}, devices.portList());
    QCOMPARE(unsafe.status, 1);
    QVERIFY2(unsafe.err.contains("ohne Sicherung"), qPrintable(unsafe.err));
    QCOMPARE(devices.writes(1), 0);
    QCOMPARE(devices.image(1), before);
    QCOMPARE(runCli({"reset", "--type", "3", "--yes", "--no-backup"}, devices.portList()).status,
             0);
    QCOMPARE(devices.writes(1), 1);
    qputenv("XDG_DATA_HOME", dataHome);

    const CliResult reset = runCli({"reset", "--type", "3", "--yes"}, devices.portList());
    QCOMPARE(reset.status, 0);
    ReferenceEditor defaults(3);
    defaults.host.newConfiguration();
    QCOMPARE(devices.image(1), defaults.encoded());
}

void TestCliDevice::portsTellWhatStandsBehindEachNumber() {
    SimulatedPorts devices{5};
    const QString ports = devices.paths[0] + ",," + path("nothing");
    const CliResult result = runCli({"ports"}, ports);
    QCOMPARE(result.status, 0);
    // The port lines; the simulator's own hold on its pty makes COM1 busy (it is named
    // below the line), never "frei" beside it.
    const QStringList lines =
        result.out.split('\n', Qt::SkipEmptyParts).filter(QRegularExpression("^COM"));
    QCOMPARE(lines.size(), 2); // COM2 has no device behind it
    QCOMPARE(lines[0], "COM1\t" + devices.paths[0] + "\tbelegt");
    QVERIFY(lines[1].startsWith("COM3\t" + path("nothing") + "\tnicht verfügbar: "));
    QVERIFY(lines[1].size() > QString("COM3\t" + path("nothing") + "\tnicht verfügbar: ").size());
}

void TestCliDevice::firmwareInstallFindsTheDeviceAgain() {
    SimulatedPorts devices{6};
    const auto loader =
        devices.at(1).withDevice([](sim::SimDevice& d) { return sim::installFirmwareLoader(d); });
    devices.start();
    const QString firmware = makeFirmware(6, "six.efw");
    const HistoryStore history(HistoryStore::defaultLocation());
    const qsizetype kept = history.entries().size();
    // Identified as a sibling first: the firmware of the device's own type fits.
    const CliResult result =
        runCli({"firmware", "install", firmware, "--type", "5"}, devices.portList(), 60000);
    QCOMPARE(result.status, 0);
    QCOMPARE(devices.at(1).withDevice([&](sim::SimDevice&) { return loader->recordsAccepted(); }),
             3);
    QVERIFY2(result.err.contains("Das speichen der Firmware in der Telefonanlage war erfolgreich."),
             qPrintable(result.err));
    // Not a terminal: no redrawn bar, a line at each quarter.
    QVERIFY(!result.err.contains('\r'));
    QCOMPARE(result.err.count(QRegularExpression("^Firmware: (25|50|75|100) %$",
                                                 QRegularExpression::MultilineOption)),
             4);
    // Found and read again after the restart; both reads are kept in the history.
    QCOMPARE(result.out, QStringLiteral("TK Quenta 26 - Firmware 2.04\n"));
    const QList<HistoryEntry> entries = history.entries();
    QCOMPARE(entries.size(), kept + 2);
    for (const HistoryEntry& entry : entries.mid(0, 2)) {
        QCOMPARE(entry.event.action, ActionRead);
        QCOMPARE(entry.event.type, DeviceType(6));
    }
    const QByteArray commands =
        devices.at(1).withDevice([](sim::SimDevice& d) { return d.commandsReceived(); });
    QVERIFY(commands.endsWith("T\rC\rV\rR0000,4c\r"));
}

void TestCliDevice::firmwareOfAnotherTypeIsRefused() {
    SimulatedPorts devices{6};
    devices.start();
    const CliResult result = runCli(
        {"firmware", "install", makeFirmware(5, "five.efw"), "--type", "6"}, devices.portList());
    QCOMPARE(result.status, 1);
    QVERIFY(result.err.contains("Gerätetyp und Typ der Firmwaredatei stimmen nicht überein!"));
    QVERIFY(!devices.at(1).withDevice([](sim::SimDevice& d) { return d.inLoader(); }));
}

QTEST_GUILESS_MAIN(TestCliDevice)
#include "test_cli_device.moc"
