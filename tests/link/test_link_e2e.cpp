// The whole link, real serial port included, against simulated devices on pseudo-terminals.
#include "LinkBench.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace talvaro;

Q_DECLARE_METATYPE(talvaro::sim::SimFaults)

class TestLinkEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void searchFindsSiblingOnSecondPortAndReads();
    void searchSkipsOtherFamilyAndFindsFourthPort();
    void deviceKilledDuringWrite();
    void programOnKnownPort();
    void factoryResetWritesDefaults();
    void deviceFaultsEndInErrors_data();
    void deviceFaultsEndInErrors();
    void loaderHandshake();
    void simulatorProgramOverSymlink();
};

void TestLinkEndToEnd::searchFindsSiblingOnSecondPortAndReads() {
    LinkBench bench(5, {5, 7});
    bench.device(1).withDevice([](sim::SimDevice& d) { d.faults().silent = true; });
    bench.device(2).withDevice([](sim::SimDevice& d) { d.faults().noName = true; });
    bench.start();
    bench.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    bench.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    bench.session.search().startSearch(ExchangeOperation::Read);
    QVERIFY(bench.finished());
    QCOMPARE(bench.dialogs.portLabels, (QStringList{"", "Suche an COM1", "Suche an COM2"}));
    QCOMPARE(bench.host.doc.deviceType(), DeviceType(7));
    QCOMPARE(bench.host.status[0], QStringLiteral("Quenta 26x - Firmware 2.04"));
    QCOMPARE(bench.host.status[1], QStringLiteral("Verwendeter COM-Port: COM2"));
    QCOMPARE(bench.session.record().portInUse, quint16(2));
    QCOMPARE(bench.host.buffers.sixWorking, bench.deviceImage(2));
    QVERIFY(bench.session.ComPort1().isOpen());
    // The first identity answer was thrown away; the device was asked twice.
    const QByteArray commands =
        bench.device(2).withDevice([](sim::SimDevice& d) { return d.commandsReceived(); });
    QCOMPARE(commands, QByteArray("T\rT\rC\rV\rR0000,4c\r"));
}

// COM1 silent, COM2 a four-extension model (not ours while a six-extension type is
// edited), COM3 without a port, COM4 a Quenta 26.
void TestLinkEndToEnd::searchSkipsOtherFamilyAndFindsFourthPort() {
    LinkBench bench(5, {0, 2, 6});
    bench.device(1).withDevice([](sim::SimDevice& d) { d.faults().silent = true; });
    bench.session.setPortAssignment(PortAssignment(PortMap({bench.device(1).slavePath(),
                                                            bench.device(2).slavePath(),
                                                            {},
                                                            bench.device(3).slavePath()})));
    bench.start();
    bench.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    bench.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    bench.session.search().startSearch(ExchangeOperation::Read);
    QVERIFY(bench.finished(8000));
    QCOMPARE(bench.dialogs.portLabels,
             (QStringList{"", "Suche an COM1", "Suche an COM2", "Suche an COM4"}));
    QCOMPARE(bench.session.record().portInUse, quint16(4));
    QCOMPARE(bench.host.doc.deviceType(), DeviceType(6));
    QCOMPARE(bench.host.buffers.sixWorking, bench.deviceImage(3));
    // The four-extension device was asked who it is, and nothing more.
    QCOMPARE(bench.device(2).withDevice([](sim::SimDevice& d) { return d.commandsReceived(); }),
             QByteArray("T\rT\r"));
}

// The simulator dies halfway through programming: the time-out error, no hang, no crash.
void TestLinkEndToEnd::deviceKilledDuringWrite() {
    LinkBench bench(6, {6});
    bench.start();
    QVERIFY(bench.connectedOn(1));
    bench.host.editorImage = QByteArray(76, '\x42');
    bench.dialogs.expect(ErrorDialog, DialogResult::Ok);
    // Killed as an image byte's ACK comes in, with the progress window up.
    bool killed = false;
    bool killedWhileTransferShowing = false;
    QObject::connect(&bench.session.ComPort1(), &SerialLink::inputArrived, [&] {
        if (!killed && bench.session.record().state == ExchangeState::WriteImage) {
            killed = true;
            killedWhileTransferShowing = bench.dialogs.transferShowing;
            bench.sims.kill(1);
        }
    });
    bench.session.commands().UpDownloadExecute(ExchangeOperation::Program);
    QVERIFY(bench.finished());
    QVERIFY(killedWhileTransferShowing);
    QCOMPARE(bench.dialogs.shown.last().caption, QStringLiteral("Timeout-Fehler"));
    QVERIFY(!bench.dialogs.transferShowing);
}

void TestLinkEndToEnd::programOnKnownPort() {
    LinkBench bench(6, {6});
    bench.start();
    QVERIFY(bench.connectedOn(1));
    bench.host.editorImage = QByteArray(76, '\x42');
    bench.dialogs.expect(QStringLiteral("ProgErgebnisDialog"), DialogResult::Ok);
    bench.session.commands().UpDownloadExecute(ExchangeOperation::Program);
    QVERIFY(bench.dialogs.transferShowing);
    QVERIFY(bench.finished());
    QVERIFY(!bench.dialogs.transferShowing);
    QCOMPARE(bench.deviceImage(1), bench.host.editorImage);
}

void TestLinkEndToEnd::factoryResetWritesDefaults() {
    LinkBench bench(3, {3});
    bench.start();
    QVERIFY(bench.connectedOn(1));
    bench.dialogs.expect(QStringLiteral("Warning"), DialogResult::Yes);
    bench.dialogs.expect(QStringLiteral("ProgErgebnisDialog"), DialogResult::Ok);
    bench.session.commands().WerkseinstellungExecute();
    QVERIFY(bench.finished());
    QCOMPARE(bench.deviceImage(1), QByteArray(60, '\x01'));
}

void TestLinkEndToEnd::deviceFaultsEndInErrors_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<sim::SimFaults>("faults");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("received"); // bytes the device got in all; -1: depends on timing

    const QString transferError = QStringLiteral("Übertragungsfehler");
    const QString refused = QStringLiteral("Fehler beim Programmieren der Telefonanlage.");
    const QString timeout = QStringLiteral("Timeout-Fehler");
    const QString noAnswer = QStringLiteral("Fehler bei der Datenübertragung.");
    // Type 0: the write command has 9 bytes, the image 60; the checksum is step 61.
    using F = sim::SimFaults;
    QTest::newRow("bad read checksum") << 1 << F{.badChecksum = true} << transferError
                                       << "Fehler beim Auslesen der Telefonanlage." << 9;
    QTest::newRow("third image byte refused")
        << 2 << F{.refuseWriteStep = 3} << transferError << refused << 12;
    QTest::newRow("device gone during program")
        << 2 << F{.silent = true} << timeout << noAnswer << 9;
    QTest::newRow("spare ACK after the write command, checksum refused")
        << 2 << F{.refuseWriteStep = 61, .spareAckStep = 0, .spareAcks = 1} << transferError
        << refused << -1;
    QTest::newRow("78 spare ACKs after the write command")
        << 2 << F{.spareAckStep = 0, .spareAcks = 78} << transferError << refused << -1;
    QTest::newRow("78 spare ACKs after image byte 30")
        << 2 << F{.spareAckStep = 30, .spareAcks = 78} << transferError << refused << -1;
    // Six ticks are 330 ms; the ACK that comes after them must send nothing.
    QTest::newRow("ACK to image byte 5 after its time-out")
        << 2 << F{.lateStep = 5, .lateMs = 700} << timeout << noAnswer << 14;
}

void TestLinkEndToEnd::deviceFaultsEndInErrors() {
    QFETCH(int, operation);
    QFETCH(sim::SimFaults, faults);
    QFETCH(QString, caption);
    QFETCH(QString, line);
    QFETCH(int, received);
    LinkBench bench(0, {0});
    bench.device(1).withDevice([&](sim::SimDevice& d) { d.faults() = faults; });
    bench.start();
    QVERIFY(bench.connectedOn(1));
    bench.host.editorImage = QByteArray(60, '\x42');
    const QByteArray workingBefore = bench.host.buffers.fourWorking;
    const QByteArray deviceBefore = bench.deviceImage(1);
    bench.dialogs.expect(ErrorDialog, DialogResult::Ok);
    bench.session.commands().UpDownloadExecute(static_cast<ExchangeOperation>(operation));
    QVERIFY(bench.finished());
    QCOMPARE(bench.dialogs.shown.last().caption, caption);
    QCOMPARE(bench.dialogs.shown.last().lines.last(), line);
    if (faults.lateStep >= 0) // the late answer has come in, and gone unanswered
        QTRY_VERIFY(bench.session.ComPort1().pendingInput() > 0);
    QCoreApplication::processEvents();
    if (received >= 0)
        QCOMPARE(bench.device(1).withDevice([](sim::SimDevice& d) { return d.bytesReceived(); }),
                 received);
    QCOMPARE(bench.deviceImage(1), deviceBefore);
    QCOMPARE(bench.sims.writes(1), 0);
    if (operation == 1)
        QCOMPARE(bench.host.buffers.fourWorking, workingBefore);
    QCOMPARE(bench.session.record().portInUse, quint16(1)); // the next command tries again
    QVERIFY(!bench.session.exchange().running());
}

void TestLinkEndToEnd::loaderHandshake() {
    LinkBench bench(6, {6});
    QByteArray loaderGot;
    bench.device(1).withDevice([&](sim::SimDevice& d) {
        d.setLoaderHandler([&loaderGot](const QByteArray& bytes) {
            loaderGot += bytes;
            return QByteArray("\x06");
        });
    });
    bench.start();
    QVERIFY(bench.connectedOn(1));
    QSignalSpy ready(&bench.session, &LinkSession::loaderReady);
    bench.session.exchange().beginLoaderHandshake();
    QTRY_COMPARE(ready.size(), 1);
    QCOMPARE(bench.host.calls, QStringList{"stopFirmwareStartTimer"});
    QVERIFY(bench.device(1).withDevice([](sim::SimDevice& d) { return d.inLoader(); }));
    // The firmware transfer takes over from here, talking to the loader handler.
    bench.session.ComPort1().write("rec");
    QTRY_COMPARE(bench.session.ComPort1().pendingInput(), 3);
    bench.device(1).stop();
    QCOMPARE(loaderGot, QByteArray("rec"));
}

void TestLinkEndToEnd::simulatorProgramOverSymlink() {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("com1"));
    const QString imageFile = dir.filePath(QStringLiteral("anlage.tkx"));
    {
        QFile file(imageFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sim::SimDevice::patternImage(76));
    }
    QProcess simulator;
    simulator.start(QStringLiteral(TALVARO_SIM_PATH),
                    {QStringLiteral("--type"), QStringLiteral("5"), QStringLiteral("--link"), link,
                     QStringLiteral("--image"), imageFile});
    QVERIFY(simulator.waitForReadyRead(3000));
    QVERIFY(simulator.readLine().startsWith("/dev/pts/"));
    FakeHost host(5);
    RecordingDialogs dialogs(host.calls);
    LinkSession session(host, dialogs, PortAssignment(PortMap({link})));
    session.exchange().deviceFoundOn(1);
    session.ComPort1().setPortNumber(1);
    QVERIFY(session.ComPort1().open());
    dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    session.commands().UpDownloadExecute(ExchangeOperation::Read);
    QTRY_VERIFY(dialogs.allAnswered());
    QCOMPARE(host.buffers.sixWorking, sim::SimDevice::patternImage(76));

    // A programmed image goes back into the simulator's image file.
    host.editorImage = QByteArray(76, '\x2A');
    dialogs.expect(QStringLiteral("ProgErgebnisDialog"), DialogResult::Ok);
    session.commands().UpDownloadExecute(ExchangeOperation::Program);
    QTRY_VERIFY(dialogs.allAnswered());
    auto fileContent = [&imageFile] {
        QFile file(imageFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_COMPARE(fileContent(), host.editorImage);
    session.ComPort1().close();
    simulator.terminate();
    QVERIFY(simulator.waitForFinished(3000));
    QCOMPARE(simulator.exitCode(), 0);
    QVERIFY(!QFile::exists(link)); // the simulator removes its link
}

QTEST_GUILESS_MAIN(TestLinkEndToEnd)
#include "test_link_e2e.moc"
