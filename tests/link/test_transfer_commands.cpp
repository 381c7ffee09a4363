// Read, program and factory reset: their checks and how they reach the device.
#include "LinkRig.h"

#include <QTest>

using namespace talvaro;

namespace {

const QString NoExternalCall = QStringLiteral(
    "Achtung!\r\nSie haben die Einstellungen so gewählt, dass ein Externanruf an keinem "
    "Endgerät signalisiert wird.\r\nWenn Sie die Einstellungen in der Anlage speichern, "
    "werden Sie von extern nicht erreichbar sein.\r\nWollen Sie die Einstellungen in der "
    "Anlage speichern?");

} // namespace

class TestTransferCommands : public QObject {
    Q_OBJECT
private slots:
    void externalCallWarning_data();
    void externalCallWarning();
    void pinProblemSendsNothing();
    void programOnKnownPort();
    void readOnKnownPort();
    void nothingStartsWhileAnExchangeRuns();
    void readWhileOfflineSearchesFirst();
    void factoryReset_data();
    void factoryReset();
};

void TestTransferCommands::externalCallWarning_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<bool>("rings");
    QTest::addColumn<int>("answer"); // to the warning, when shown
    QTest::addColumn<bool>("sends");

    QTest::newRow("program, some extension rings") << 2 << true << -1 << true;
    QTest::newRow("program, none rings, Ja") << 2 << false << int(DialogResult::Yes) << true;
    QTest::newRow("program, none rings, Nein") << 2 << false << int(DialogResult::No) << false;
    QTest::newRow("read, none rings") << 1 << false << -1 << true;
}

void TestTransferCommands::externalCallWarning() {
    QFETCH(int, operation);
    QFETCH(bool, rings);
    QFETCH(int, answer);
    QFETCH(bool, sends);
    LinkRig rig(5);
    rig.connectedOn(3);
    rig.host.ringsExternally = rings;
    if (answer >= 0)
        rig.dialogs.expect(QStringLiteral("Warning"), static_cast<DialogResult>(answer));
    rig.commands.UpDownloadExecute(static_cast<ExchangeOperation>(operation));
    QVERIFY(rig.dialogs.allAnswered());
    if (answer >= 0) {
        QCOMPARE(rig.dialogs.shown.last().caption, QStringLiteral("Warnung"));
        QCOMPARE(rig.dialogs.shown.last().lines, QStringList{NoExternalCall});
    }
    QCOMPARE(!rig.link.logged("write").isEmpty(), sends);
    QCOMPARE(rig.host.calls.contains(QStringLiteral("encodeImage")), sends && operation == 2);
}

void TestTransferCommands::pinProblemSendsNothing() {
    LinkRig rig(5);
    rig.connectedOn(3);
    rig.host.pinOk = false;
    rig.host.ringsExternally = false;
    rig.commands.UpDownloadExecute(ExchangeOperation::Program);
    QVERIFY(rig.dialogs.shown.isEmpty()); // the PIN check brings its own message
    QVERIFY(rig.link.log.isEmpty());
    QCOMPARE(rig.host.calls, QStringList{"checkPinBeforeUse"});
}

void TestTransferCommands::programOnKnownPort() {
    LinkRig rig(6);
    sim::SimDevice& device = rig.link.attach(3, 6);
    rig.connectedOn(3);
    rig.host.editorImage = QByteArray(76, '\x5a');
    rig.commands.UpDownloadExecute(ExchangeOperation::Program);
    QCOMPARE(rig.dialogs.transferCaption, QStringLiteral("Konfiguration programmieren"));
    QCOMPARE(rig.dialogs.transferLines, (QStringList{"", "Übertragung läuft ..."}));
    QVERIFY(rig.dialogs.transferShowing);
    // Stale input goes first: it must not pass for the acknowledgement.
    QCOMPARE(rig.link.log.mid(0, 3),
             (QStringList{"discard input", "arm bytes 1 6", "write W0000,4c%0D"}));
    rig.dialogs.expect(QStringLiteral("ProgErgebnisDialog"), DialogResult::Ok);
    QVERIFY(rig.settle());
    QVERIFY(!rig.dialogs.transferShowing);
    QCOMPARE(device.image(), rig.host.editorImage);
    QCOMPARE(device.writesCompleted(), 1);
}

void TestTransferCommands::readOnKnownPort() {
    LinkRig rig(5);
    rig.link.attach(3, 5);
    rig.connectedOn(3);
    rig.commands.UpDownloadExecute(ExchangeOperation::Read);
    QCOMPARE(rig.link.log, (QStringList{"discard input", "arm bytes 77 18", "write R0000,4c%0D"}));
    rig.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    QVERIFY(rig.settle());
    QVERIFY(!rig.dialogs.transferEverShown);
    QCOMPARE(rig.host.buffers.sixWorking, sim::SimDevice::patternImage(76));
}

// While the read runs, no command, search or loader handshake starts; afterwards they do.
void TestTransferCommands::nothingStartsWhileAnExchangeRuns() {
    LinkRig rig(5);
    rig.link.attach(3, 5);
    rig.connectedOn(3);
    rig.commands.UpDownloadExecute(ExchangeOperation::Read);
    const QStringList log = rig.link.log;
    rig.commands.UpDownloadExecute(ExchangeOperation::Program);
    rig.commands.WerkseinstellungExecute();
    rig.search.startSearch(ExchangeOperation::Read);
    QVERIFY(!rig.exchange.beginLoaderHandshake());
    QCOMPARE(rig.link.log, log);
    QVERIFY(rig.dialogs.shown.isEmpty());
    QCOMPARE(rig.exchange.record().operation, ExchangeOperation::Read);
    rig.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    QVERIFY(rig.settle());
    QVERIFY(!rig.exchange.running());
    QVERIFY(rig.exchange.beginLoaderHandshake());
}

void TestTransferCommands::readWhileOfflineSearchesFirst() {
    LinkRig rig(5);
    rig.link.attach(2, 5);
    rig.link.present.insert(1);
    rig.link.refuseOpen.insert(1);
    rig.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    rig.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    rig.commands.UpDownloadExecute(ExchangeOperation::Read);
    QVERIFY(rig.settle());
    QVERIFY(!rig.dialogs.transferEverShown);
    const qsizetype closed = rig.host.calls.indexOf(QStringLiteral("search closed"));
    QVERIFY(closed >= 0);
    QVERIFY(closed < rig.host.calls.indexOf(QStringLiteral("dialog Konfiguration Auslesen")));
    QCOMPARE(rig.exchange.record().portInUse, quint16(2));
}

void TestTransferCommands::factoryReset_data() {
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("Nein changes nothing") << false;
    QTest::newRow("Ja writes the defaults") << true;
}

void TestTransferCommands::factoryReset() {
    QFETCH(bool, confirmed);
    LinkRig rig(0);
    sim::SimDevice& device = rig.link.attach(1, 0);
    rig.connectedOn(1);
    rig.exchange.prepareTransfer(ExchangeOperation::Read); // as an earlier read left it
    rig.dialogs.expect(QStringLiteral("Warning"), confirmed ? DialogResult::Yes : DialogResult::No);
    if (confirmed)
        rig.dialogs.expect(QStringLiteral("ProgErgebnisDialog"), DialogResult::Ok);
    rig.commands.WerkseinstellungExecute();
    QVERIFY(rig.settle());
    QCOMPARE(rig.dialogs.shown.first().lines,
             QStringList{"Die Einstellungen der Telefonanlage werden in den werkseitigen "
                         "Auslieferzustand zurückgesetzt.\r\nWollen Sie fortfahren?"});
    if (!confirmed) {
        QVERIFY(rig.host.calls.isEmpty());
        QVERIFY(rig.link.log.isEmpty());
        QCOMPARE(device.writesCompleted(), 0);
        return;
    }
    QCOMPARE(rig.host.calls.mid(0, 3),
             (QStringList{"newConfiguration", "checkPinBeforeUse", "encodeImage"}));
    QCOMPARE(device.image(), QByteArray(60, '\x01'));
    QCOMPARE(rig.exchange.record().operation, ExchangeOperation::Program);
}

QTEST_GUILESS_MAIN(TestTransferCommands)
#include "test_transfer_commands.moc"
