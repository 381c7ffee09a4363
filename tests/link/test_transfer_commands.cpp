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
    void everyExchangeEndsWithOneResult_data();
    void everyExchangeEndsWithOneResult();
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

// Each way an exchange can end, what the window shows on the way, and the one result
// that the window and the command line (exit 0 for Ok only) go by.
enum class Ending {
    ReadOk,
    BadChecksum,
    Refused,
    Silent,
    NoDevice,
    WarningDeclined,
    PinRefused,
    WindowClosed,
    BackupImpossible,
    ResetDeclined,
    LoaderGivenUp,
    SecondCommand
};

void TestTransferCommands::everyExchangeEndsWithOneResult_data() {
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<QStringList>("dialogs"); // expected in order, each answered as given
    QTest::addColumn<QList<ExchangeResult>>("results");
    using R = ExchangeResult;
    const QStringList none;
    QTest::newRow("read") << Ending::ReadOk << QStringList{"ErgebnisDialog"} << QList<R>{R::Ok};
    QTest::newRow("wrong checksum")
        << Ending::BadChecksum << QStringList{"ErrorDialog"} << QList<R>{R::BadImage};
    QTest::newRow("write refused")
        << Ending::Refused << QStringList{"ErrorDialog"} << QList<R>{R::DeviceRefused};
    QTest::newRow("no answer") << Ending::Silent << QStringList{"ErrorDialog"}
                               << QList<R>{R::NoAnswer};
    QTest::newRow("no device, offline")
        << Ending::NoDevice << QStringList{"KeineAnlageDlg", "SelectDeviceDlg"}
        << QList<R>{R::NoDevice};
    QTest::newRow("warning answered Nein")
        << Ending::WarningDeclined << QStringList{"Warning"} << QList<R>{R::Cancelled};
    QTest::newRow("PIN refused") << Ending::PinRefused << none << QList<R>{R::PinRefused};
    QTest::newRow("progress window closed")
        << Ending::WindowClosed << none << QList<R>{R::Cancelled};
    QTest::newRow("no backup, Nein")
        << Ending::BackupImpossible << QStringList{"Warning"} << QList<R>{R::NoBackup};
    QTest::newRow("reset answered Nein")
        << Ending::ResetDeclined << QStringList{"Warning"} << QList<R>{R::Cancelled};
    QTest::newRow("loader given up") << Ending::LoaderGivenUp << none << QList<R>{R::NoAnswer};
    QTest::newRow("second command while reading")
        << Ending::SecondCommand << QStringList{"ErgebnisDialog"} << QList<R>{R::Busy, R::Ok};
}

void TestTransferCommands::everyExchangeEndsWithOneResult() {
    QFETCH(Ending, ending);
    QFETCH(QStringList, dialogs);
    QFETCH(QList<ExchangeResult>, results);
    LinkRig rig(5);
    sim::SimDevice& device = rig.link.attach(3, 5);
    if (ending != Ending::NoDevice)
        rig.connectedOn(3);
    else
        rig.link.present.clear();
    device.faults().badChecksum = ending == Ending::BadChecksum;
    device.faults().refuseWriteStep = ending == Ending::Refused ? 5 : -1;
    device.faults().silent = ending == Ending::Silent || ending == Ending::BackupImpossible ||
                             ending == Ending::WindowClosed;
    rig.host.pinOk = ending != Ending::PinRefused;
    rig.host.ringsExternally = ending != Ending::WarningDeclined;
    rig.host.backupNeeded = ending == Ending::BackupImpossible;
    for (const QString& dialog : dialogs)
        rig.dialogs.expect(dialog, dialog == QLatin1String("Warning") ? DialogResult::No
                                                                      : DialogResult::Cancel);
    switch (ending) {
    case Ending::Refused:
    case Ending::WarningDeclined:
    case Ending::PinRefused:
    case Ending::BackupImpossible:
        rig.commands.UpDownloadExecute(ExchangeOperation::Program);
        break;
    case Ending::WindowClosed:
        rig.commands.UpDownloadExecute(ExchangeOperation::Program);
        rig.dialogs.closeTransfer();
        break;
    case Ending::ResetDeclined:
        rig.commands.WerkseinstellungExecute();
        break;
    case Ending::LoaderGivenUp:
        QVERIFY(rig.exchange.beginLoaderHandshake());
        rig.exchange.abandonLoaderHandshake(ExchangeResult::NoAnswer);
        break;
    case Ending::SecondCommand:
        rig.commands.UpDownloadExecute(ExchangeOperation::Read);
        rig.commands.UpDownloadExecute(ExchangeOperation::Program);
        break;
    default:
        rig.commands.UpDownloadExecute(ExchangeOperation::Read);
    }
    QVERIFY(rig.settle());
    QTRY_VERIFY(!rig.exchange.running());
    QCOMPARE(rig.host.results, results);
}

QTEST_GUILESS_MAIN(TestTransferCommands)
#include "test_transfer_commands.moc"
