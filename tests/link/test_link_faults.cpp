// Faults on the line, real serial port and simulator: each one ends in one clear message,
// never in a hang, a crash or a failure reported as success, and the link works again
// afterwards.
#include "LinkBench.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <thread>

using namespace talvaro;

namespace {

constexpr qsizetype GarbageSize = 100 * 1024;

// The same noise on every run, so that a failing row can be replayed.
QByteArray garbage(quint32 seed) {
    QByteArray bytes(GarbageSize, '\0');
    for (char& b : bytes) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

// The messages that end a command; the search window and the choice of a device type
// after "no device found" are steps on the way.
QStringList finalDialogs(const ScriptedDialogs& dialogs) {
    QStringList names;
    for (const ScriptedDialogs::Shown& s : dialogs.shown)
        if (s.dialog != QLatin1String("SuchenDlg") && s.dialog != QLatin1String("SelectDeviceDlg"))
            names << s.dialog;
    return names;
}

// Noise from the device, sent unasked while the event loop reads it; returns once all of
// it has left the device.
bool chatter(LinkBench& bench, quint32 seed) {
    std::atomic_bool sent{false};
    std::thread noise([&] {
        bench.device(1).send(garbage(seed));
        sent = true;
    });
    const bool done = QTest::qWaitFor([&] { return sent.load(); }, 60000);
    noise.join();
    return done;
}

// The device switched off and on without its fault.
void powerCycle(LinkBench& bench) {
    bench.device(1).withDevice([](sim::SimDevice& d) { d.faults() = {}; });
    bench.device(1).powerCycle();
}

} // namespace

class TestLinkFaults : public QObject {
    Q_OBJECT
private slots:
    void deviceGoneDuringRead();
    void garbageInEveryState_data();
    void garbageInEveryState();
    void garbageWhileIdleIsDiscarded();
    void garbageDuringLoaderHandshake_data();
    void garbageDuringLoaderHandshake();
    void spareAcksBeforeARefusal_data();
    void spareAcksBeforeARefusal();
};

// A slow line, and the simulator dies once the read command has reached it.
void TestLinkFaults::deviceGoneDuringRead() {
    LinkBench bench(6, {6});
    bench.device(1).setWireRate(1200); // the 77-byte answer takes about 640 ms
    bench.start();
    QVERIFY(bench.connectedOn(1));
    const QByteArray workingBefore = bench.host.buffers.sixWorking;
    bench.dialogs.expect(ErrorDialog, DialogResult::Ok);
    bench.session.commands().UpDownloadExecute(ExchangeOperation::Read);
    QTRY_VERIFY(bench.device(1).withDevice(
        [](sim::SimDevice& d) { return d.commandsReceived().contains('R'); }));
    bench.sims.kill(1);
    QVERIFY(bench.finished());
    QCOMPARE(bench.dialogs.shown.last().caption, QStringLiteral("Timeout-Fehler"));
    QCOMPARE(bench.host.buffers.sixWorking, workingBefore); // nothing half read
    QVERIFY(!bench.dialogs.transferShowing);
}

void TestLinkFaults::garbageInEveryState_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<bool>("search");
    QTest::addColumn<int>("reply");        // which of the device's answers becomes garbage
    QTest::addColumn<QString>("expected"); // the one message, if it does not depend on timing

    const int read = int(ExchangeOperation::Read);
    const int program = int(ExchangeOperation::Program);
    // The search asks for the identity twice and throws the first answer away.
    QTest::newRow("search, first identity") << read << true << 0 << QString();
    QTest::newRow("search, identity") << read << true << 1 << QString();
    QTest::newRow("search, name") << read << true << 2 << QString();
    QTest::newRow("search, version") << read << true << 3 << QString();
    QTest::newRow("search, image") << read << true << 4 << QString();
    QTest::newRow("search, write command") << program << true << 4 << QString();
    QTest::newRow("read, image") << read << false << 0 << ErrorDialog;
    QTest::newRow("program, write command") << program << false << 0 << ErrorDialog;
    QTest::newRow("program, image byte 40") << program << false << 40 << ErrorDialog;
    QTest::newRow("program, checksum") << program << false << 77 << ErrorDialog;
}

void TestLinkFaults::garbageInEveryState() {
    QFETCH(int, operation);
    QFETCH(bool, search);
    QFETCH(int, reply);
    QFETCH(QString, expected);
    const auto op = static_cast<ExchangeOperation>(operation);
    LinkBench bench(6, {6});
    bench.device(1).withDevice([&](sim::SimDevice& d) {
        d.faults().garbageReply = reply;
        d.faults().garbage = garbage(0x7A1u + reply);
    });
    bench.start();
    if (!search)
        QVERIFY(bench.connectedOn(1));
    bench.host.editorImage = QByteArray(76, '\x42');
    const QByteArray workingBefore = bench.host.buffers.sixWorking;
    const QByteArray deviceBefore = bench.deviceImage(1);
    bench.dialogs.answerAnyWith(DialogResult::Cancel); // no retry, no other type
    bench.session.commands().UpDownloadExecute(op);
    QVERIFY(bench.finished(15000));

    const QStringList finals = finalDialogs(bench.dialogs);
    QVERIFY2(finals.size() == 1, qPrintable(finals.join(' ')));
    if (!expected.isEmpty())
        QCOMPARE(finals.first(), expected);
    if (finals.first() == QLatin1String("ErgebnisDialog")) {
        QCOMPARE(bench.host.buffers.sixWorking, bench.deviceImage(1));
    } else if (finals.first() == QLatin1String("ProgErgebnisDialog")) {
        QCOMPARE(bench.deviceImage(1), bench.host.editorImage);
    } else {
        QVERIFY2(finals.first() == ErrorDialog || finals.first() == QLatin1String("KeineAnlageDlg"),
                 qPrintable(finals.first()));
        QCOMPARE(bench.host.document().deviceType(), DeviceType(6));
        if (op == ExchangeOperation::Read)
            QCOMPARE(bench.host.buffers.sixWorking, workingBefore);
        // All or nothing: a lost final acknowledgement may leave the new image in place.
        const QByteArray device = bench.deviceImage(1);
        QVERIFY(device == deviceBefore || device == bench.host.editorImage);
    }
    QVERIFY(!bench.dialogs.transferShowing);
    QVERIFY(!bench.dialogs.searchShowing);

    // Once the device is back to normal, the same command succeeds.
    powerCycle(bench);
    bench.dialogs.shown.clear();
    bench.session.commands().UpDownloadExecute(op);
    QVERIFY(bench.finished(15000));
    const QString success = op == ExchangeOperation::Read ? QStringLiteral("ErgebnisDialog")
                                                          : QStringLiteral("ProgErgebnisDialog");
    QCOMPARE(finalDialogs(bench.dialogs), QStringList{success});
    if (op == ExchangeOperation::Read)
        QCOMPARE(bench.host.buffers.sixWorking, bench.deviceImage(1));
    else
        QCOMPARE(bench.deviceImage(1), bench.host.editorImage);
}

// Noise the device sent before anyone asked never reaches an answer.
void TestLinkFaults::garbageWhileIdleIsDiscarded() {
    LinkBench bench(6, {6});
    bench.start();
    QVERIFY(bench.connectedOn(1));
    QVERIFY(chatter(bench, 0x1D1Eu));
    bench.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    bench.session.commands().UpDownloadExecute(ExchangeOperation::Read);
    QVERIFY(bench.finished());
    QCOMPARE(bench.host.buffers.sixWorking, bench.deviceImage(1));

    QVERIFY(chatter(bench, 0x2D1Eu));
    bench.host.editorImage = QByteArray(76, '\x17');
    bench.dialogs.expect(QStringLiteral("ProgErgebnisDialog"), DialogResult::Ok);
    bench.session.commands().UpDownloadExecute(ExchangeOperation::Program);
    QVERIFY(bench.finished());
    QCOMPARE(bench.deviceImage(1), bench.host.editorImage);
}

void TestLinkFaults::garbageDuringLoaderHandshake_data() {
    QTest::addColumn<int>("reply");
    QTest::newRow("loader prompt") << 0;
    QTest::newRow("loader ready") << 1;
}

// The handshake waits for its marker bytes and shows nothing; only the firmware start
// timer ends it. Noise must neither crash it nor stop it from listening: both noises
// hold the markers early on (the loader's type byte 0xA7 at 138 and "L" at 351; "L" at
// 95), within the first buffer's worth that always reaches the matcher.
void TestLinkFaults::garbageDuringLoaderHandshake() {
    QFETCH(int, reply);
    LinkBench bench(6, {6});
    bench.device(1).withDevice([&](sim::SimDevice& d) {
        d.faults().garbageReply = reply;
        d.faults().garbage = garbage(0x10ADu + reply);
    });
    bench.start();
    QVERIFY(bench.connectedOn(1));
    QSignalSpy ready(&bench.session, &LinkSession::loaderReady);
    bench.session.exchange().beginLoaderHandshake();
    QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, 60000);
    QVERIFY(bench.dialogs.shown.isEmpty());
    QCOMPARE(bench.session.record().state, ExchangeState::Idle);
    bench.session.exchange().transferWindowClosed(); // what the start timer's end does
    QVERIFY(!bench.session.DataPacket1().isArmed());
}

void TestLinkFaults::spareAcksBeforeARefusal_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

// Spare ACKs at a random step of a write (0 the command, 1..76 the image bytes) and the
// device's refusal at a later step, the checksum included: whatever the spare ACKs are
// taken for, the write never ends in success and the device keeps its configuration.
void TestLinkFaults::spareAcksBeforeARefusal() {
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    sim::SimFaults faults;
    faults.spareAckStep = random.bounded(77);
    faults.spareAcks = random.bounded(1, 4);
    faults.refuseWriteStep = random.bounded(faults.spareAckStep + 1, 78);
    LinkBench bench(6, {6});
    bench.device(1).withDevice([&](sim::SimDevice& d) { d.faults() = faults; });
    bench.start();
    QVERIFY(bench.connectedOn(1));
    bench.host.editorImage = QByteArray(76, '\x42');
    const QByteArray deviceBefore = bench.deviceImage(1);
    bench.dialogs.answerAnyWith(DialogResult::Ok);
    bench.session.commands().UpDownloadExecute(ExchangeOperation::Program);
    QVERIFY(bench.finished());
    QCOMPARE(finalDialogs(bench.dialogs), QStringList{ErrorDialog});
    QCOMPARE(bench.deviceImage(1), deviceBefore);
    QCOMPARE(bench.sims.writes(1), 0);
}

QTEST_GUILESS_MAIN(TestLinkFaults)
#include "test_link_faults.moc"
