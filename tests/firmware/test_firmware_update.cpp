// The update flow on a fake main window: file checks, port choice, start timer, and the
// transfer after the loader's ready message (over a pty to a scripted loader).
#include "FirmwareFiles.h"
#include "FlowFakes.h"
#include "LoaderPeer.h"

#include "firmware/FirmwareUpdate.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace talvaro;

namespace {

const QString MessageBox = QStringLiteral("MessageBox");
const QString NoFreePort = QStringLiteral(
    "Keine freie COM-Schnittstelle gefunden.\r\nFirmware Update kann nicht gestartet werden.");
const QString NoPortChosen =
    QStringLiteral("Keine COM-Schnittstelle gewählt, oder die\r\nSchnittstelle ist belegt.\r\n"
                   "Firmware Update kann nicht gestartet werden.");
const QString PortNotOpened = QStringLiteral("COM-Schnittstelle kann nicht initialisiert "
                                             "werden.\r\nFirmware Update kann nicht gestartet "
                                             "werden.");

} // namespace

Q_DECLARE_METATYPE(talvaro::MessageIcon)

class TestFirmwareUpdate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void unusableFileOpensNoPort_data();
    void unusableFileOpensNoPort();
    void knownPortIsUsedWithoutChoice_data();
    void knownPortIsUsedWithoutChoice();
    void portListOffersOpenablePortsOnly();
    void portChoiceFailures_data();
    void portChoiceFailures();
    void noLoaderWithinStartTime();
    void closingTheDialogGivesUpTheUpdate();
    void loaderReadyTransfersThenSearches_data();
    void loaderReadyTransfersThenSearches();
    void fileBrowserUsesTheWindowsFilter();
    void fileChangedAfterTheCheckIsNotSent_data();
    void fileChangedAfterTheCheckIsNotSent();

private:
    void startOn(quint16 port);

    QTemporaryDir m_dir;
    QString m_type5;
    QString m_type6;
    std::unique_ptr<FlowHost> m_host;
    std::unique_ptr<IconDialogs> m_dialogs;
    std::unique_ptr<FirmwareUpdate> m_update;
    FlowView m_view;
};

void TestFirmwareUpdate::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_type5 = m_dir.filePath(QStringLiteral("type5.efw"));
    m_type6 = m_dir.filePath(QStringLiteral("type6.efw"));
    // Three records of 250, 250 and 100 payload bytes each.
    for (const auto& [path, type] : {std::pair{m_type5, "5"}, std::pair{m_type6, "6"}})
        QVERIFY(!makeEfw(path,
                         {QStringLiteral("--type"), QLatin1String(type), QStringLiteral("--size"),
                          QStringLiteral("600"), QStringLiteral("--chunk"), QStringLiteral("250")})
                     .isEmpty());
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("garbage.efw")), "0012 not a record\n"));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("empty.efw")), ""));
}

void TestFirmwareUpdate::init() {
    m_update.reset();
    m_host = std::make_unique<FlowHost>(5);
    m_dialogs = std::make_unique<IconDialogs>();
    m_update = std::make_unique<FirmwareUpdate>(*m_host, *m_dialogs);
    m_update->setTransferTimings(quickTimings(300));
    m_view = FlowView();
    m_update->setView(&m_view);
}

void TestFirmwareUpdate::startOn(quint16 port) {
    m_host->connectedOn(port);
    m_update->OKBtnClick(m_type5);
    QVERIFY(m_update->awaitingLoader());
}

void TestFirmwareUpdate::unusableFileOpensNoPort_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<QString>("text");
    const QString bad = QStringLiteral("Fehlerhafte Firmwaredatei!");
    QTest::newRow("no file") << QString() << MessageIcon::Warning
                             << QStringLiteral("Keine Datei ausgewählt");
    QTest::newRow("missing") << "missing.efw" << MessageIcon::Critical << bad;
    QTest::newRow("empty") << "empty.efw" << MessageIcon::Critical << bad;
    QTest::newRow("garbage") << "garbage.efw" << MessageIcon::Critical << bad;
    QTest::newRow("another type") << "type6.efw" << MessageIcon::Critical
                                  << QStringLiteral(
                                         "Gerätetyp und Typ der Firmwaredatei stimmen nicht "
                                         "überein!");
}

void TestFirmwareUpdate::unusableFileOpensNoPort() {
    QFETCH(QString, file);
    QFETCH(MessageIcon, icon);
    QFETCH(QString, text);
    m_host->fakeLink.present = {1, 2};
    m_dialogs->expect(MessageBox, DialogResult::Ok);
    m_update->OKBtnClick(file.isEmpty() ? file : m_dir.filePath(file));
    QVERIFY(m_dialogs->allAnswered());
    QCOMPARE(m_dialogs->shown.last().lines, QStringList{text});
    QCOMPARE(m_dialogs->icons, QList<MessageIcon>{icon});
    QCOMPARE(m_host->fakeLink.log, QStringList()); // no port listed, opened or written
    QVERIFY(m_host->calls.isEmpty());
    QVERIFY(!m_update->startTimer().isActive());
}

void TestFirmwareUpdate::knownPortIsUsedWithoutChoice_data() {
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("open after the search") << true << QStringList{"arm bytes 1 18", "write U%0D"};
    QTest::newRow("closed") << false << QStringList{"open 3", "arm bytes 1 18", "write U%0D"};
}

void TestFirmwareUpdate::knownPortIsUsedWithoutChoice() {
    QFETCH(bool, portOpen);
    QFETCH(QStringList, log);
    m_host->fakeLink.present = {1, 2};
    m_host->connectedOn(3);
    if (!portOpen)
        m_host->fakeLink.close();
    m_host->fakeLink.log.clear();
    m_update->OKBtnClick(m_type5);
    QCOMPARE(m_host->fakeLink.log, log);
    QCOMPARE(m_host->calls, QStringList{"handshake"});
    QVERIFY(m_update->startTimer().isActive());
    QCOMPARE(m_update->startTimer().interval(), 10000);
    QCOMPARE(m_update->portName(), QStringLiteral("COM3"));
    QVERIFY(m_dialogs->shown.isEmpty());
}

void TestFirmwareUpdate::portListOffersOpenablePortsOnly() {
    m_host->fakeLink.present = {2, 4, 9};
    m_host->fakeLink.refuseOpen = {9};
    // An earlier attempt left COM4 open; it must be offered again all the same.
    m_host->fakeLink.setPortNumber(4);
    QVERIFY(m_host->fakeLink.open());
    m_host->fakeLink.log.clear();
    m_dialogs->expect(QStringLiteral("WaehleComPortDlg"), DialogResult::Ok, QStringLiteral("COM4"));
    m_update->OKBtnClick(m_type5);
    QVERIFY(m_dialogs->allAnswered());
    QCOMPARE(m_dialogs->shown.last().lines, (QStringList{"COM2", "COM4"}));
    QCOMPARE(m_host->fakeLink.log,
             (QStringList{"close", "port 2", "open 2", "pause 100", "close", "port 4", "open 4",
                          "pause 100", "close", "port 9", "open 9 failed", "close", "port 4",
                          "open 4", "arm bytes 1 18", "write U%0D"}));
    QCOMPARE(m_update->portName(), QStringLiteral("COM4"));
    QCOMPARE(m_host->port, quint16(0)); // the choice is for this update only
}

void TestFirmwareUpdate::portChoiceFailures_data() {
    QTest::addColumn<QList<int>>("present");
    QTest::addColumn<QList<int>>("refused");
    QTest::addColumn<quint16>("known");
    QTest::addColumn<QString>("choice"); // empty: the list is not shown, "-": cancelled
    QTest::addColumn<QString>("text");
    QTest::newRow("no port") << QList<int>{} << QList<int>{} << quint16(0) << QString()
                             << NoFreePort;
    QTest::newRow("all held") << QList<int>{1, 2} << QList<int>{1, 2} << quint16(0) << QString()
                              << NoFreePort;
    QTest::newRow("cancelled") << QList<int>{1, 2} << QList<int>{} << quint16(0) << "-"
                               << NoPortChosen;
    QTest::newRow("number 0") << QList<int>{1} << QList<int>{} << quint16(0) << "COM0"
                              << NoPortChosen;
    QTest::newRow("known port held")
        << QList<int>{3} << QList<int>{3} << quint16(3) << QString() << PortNotOpened;
}

void TestFirmwareUpdate::portChoiceFailures() {
    QFETCH(QList<int>, present);
    QFETCH(QList<int>, refused);
    QFETCH(quint16, known);
    QFETCH(QString, choice);
    QFETCH(QString, text);
    for (int n : present)
        m_host->fakeLink.present.insert(quint16(n));
    for (int n : refused)
        m_host->fakeLink.refuseOpen.insert(quint16(n));
    m_host->port = known;
    if (!choice.isEmpty())
        m_dialogs->expect(QStringLiteral("WaehleComPortDlg"),
                          choice == QLatin1String("-") ? DialogResult::Cancel : DialogResult::Ok,
                          choice);
    m_dialogs->expect(MessageBox, DialogResult::Ok);
    m_update->OKBtnClick(m_type5);
    QVERIFY(m_dialogs->allAnswered());
    QCOMPARE(m_dialogs->shown.last().lines, QStringList{text});
    QCOMPARE(m_dialogs->icons, QList<MessageIcon>{MessageIcon::Warning});
    QVERIFY(!m_host->fakeLink.isOpen());
    QVERIFY(m_host->calls.isEmpty());
    QVERIFY(!m_update->startTimer().isActive());
    QVERIFY(!m_update->awaitingLoader());
}

void TestFirmwareUpdate::noLoaderWithinStartTime() {
    m_update->setStartTimeout(50);
    startOn(1);
    m_dialogs->expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    QTRY_VERIFY(m_dialogs->allAnswered());
    QCOMPARE(m_dialogs->shown.last().caption, QStringLiteral("Fehler"));
    QCOMPARE(m_dialogs->shown.last().lines,
             (QStringList{"Fehler!", "Firmware Update konnte nicht gestartet werden."}));
    QVERIFY(!m_update->startTimer().isActive());
    QVERIFY(!m_host->fakeLink.armed());
    QVERIFY(m_host->fakeLink.isOpen());

    // An "L" that comes too late starts nothing.
    m_host->fakeLink.log.clear();
    m_update->MsgLoaderReady();
    QCOMPARE(m_host->fakeLink.log, QStringList());
    QCOMPARE(m_host->calls, QStringList{"handshake"});

    // While the window's link is busy with another exchange, "Start" touches nothing.
    m_host->running = true;
    m_update->OKBtnClick(m_type5);
    QCOMPARE(m_host->fakeLink.log, QStringList());
    QVERIFY(!m_update->startTimer().isActive());

    // "Start" again checks the file and wakes the loader on the port still open.
    m_host->running = false;
    m_update->OKBtnClick(m_type5);
    QCOMPARE(m_host->fakeLink.log, (QStringList{"arm bytes 1 18", "write U%0D"}));
    QCOMPARE(m_host->calls, (QStringList{"handshake", "handshake"}));
    QVERIFY(m_update->startTimer().isActive());
}

void TestFirmwareUpdate::closingTheDialogGivesUpTheUpdate() {
    startOn(1);
    m_update->dialogClosed();
    QVERIFY(!m_update->startTimer().isActive());
    QVERIFY(!m_host->fakeLink.armed());
    m_host->fakeLink.log.clear();
    m_update->MsgLoaderReady();
    QCOMPARE(m_host->fakeLink.log, QStringList());
    QCOMPARE(m_host->calls, QStringList{"handshake"});
    QVERIFY(m_view.calls.isEmpty());
}

void TestFirmwareUpdate::loaderReadyTransfersThenSearches_data() {
    QTest::addColumn<QList<int>>("replies");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("done");
    QTest::newRow("accepted")
        << QList<int>{0x15, 0x11, 0x11} << "ErgebnisDialog"
        << "Neue Firmware"
        << QStringList{"", "Das speichen der Firmware in der Telefonanlage war erfolgreich."}
        << true;
    QTest::newRow("refused four times")
        << QList<int>{0x11, 0x15, 0x15, 0x15, 0x15} << "ErrorDialog"
        << "Fehler" << QStringList{"Fehler!", "Die Datei ist beschädigt."} << false;
    QTest::newRow("silent") << QList<int>{0x11, -1} << "ErrorDialog"
                            << "Schnittstellenfehler"
                            << QStringList{"Fehler!", "Telefonanlage antwortet nicht."} << false;
}

void TestFirmwareUpdate::loaderReadyTransfersThenSearches() {
    QFETCH(QList<int>, replies);
    QFETCH(QString, dialog);
    QFETCH(QString, caption);
    QFETCH(QStringList, lines);
    QFETCH(bool, done);
    PtyPair pty;
    QVERIFY(pty.isValid());
    m_host->fakeLink.ports = PortMap({pty.slavePath});
    LoaderPeer loader(pty, replies);
    startOn(1);
    m_update->stopStartTimer(); // as the exchange does on "L"
    m_host->fakeLink.log.clear();

    m_dialogs->expect(dialog, DialogResult::Ok);
    QSignalSpy ended(m_update.get(), &FirmwareUpdate::updateEnded);
    m_update->MsgLoaderReady();
    QVERIFY(m_update->busy()); // the transfer runs while the window's events go on
    QVERIFY(ended.wait(60000));
    QCOMPARE(ended.at(0).at(0).toBool(), done);
    QVERIFY(m_dialogs->allAnswered());
    QCOMPARE(m_dialogs->shown.last().caption, caption);
    QCOMPARE(m_dialogs->shown.last().lines, lines);
    // The window's port is closed before the transfer opens the same line raw.
    QCOMPARE(m_host->fakeLink.log, QStringList{"close"});
    QCOMPARE(m_view.calls, (QStringList{"starting", "ended", "close"}));
    QCOMPARE(m_host->calls, (QStringList{"handshake", "search"}));
    QVERIFY(!m_update->busy());
    QCOMPARE(m_view.progress.first(), 0);
    // Records of 276, 276 and 116 bytes; the refused first copy counts once. Only a
    // finished transfer fills the bar.
    if (done)
        QCOMPARE(m_view.progress, (QList<int>{0, 0, 0, 41, 82, 100}));
    else
        QVERIFY(m_view.progress.last() < 100);
}

void TestFirmwareUpdate::fileBrowserUsesTheWindowsFilter() {
    m_host->doc.applyDeviceType(6);
    m_dialogs->expect(QStringLiteral("OpenDialog"), DialogResult::Ok, QStringLiteral("/x/a.efw"));
    QCOMPARE(m_update->chooseFile(), QStringLiteral("/x/a.efw"));
    QCOMPARE(m_dialogs->lastFileRequest.filter, deviceProfile(6).firmwareFilter);
    QCOMPARE(m_dialogs->lastFileRequest.defaultExt, QStringLiteral("efw"));
    QCOMPARE(m_dialogs->lastFileRequest.proposedName, QStringLiteral("*.efw"));
}

void TestFirmwareUpdate::fileChangedAfterTheCheckIsNotSent_data() {
    QTest::addColumn<bool>("replaced"); // by another type's file, or removed
    QTest::newRow("replaced by another type's file") << true;
    QTest::newRow("removed") << false;
}

// What the loader receives is what was checked, whatever happens to the file meanwhile.
void TestFirmwareUpdate::fileChangedAfterTheCheckIsNotSent() {
    QFETCH(bool, replaced);
    const QString path = m_dir.filePath(QStringLiteral("wechselnd.efw"));
    QFile::remove(path);
    QVERIFY(QFile::copy(m_type5, path));
    QFile original(m_type5);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QList<QByteArray> records;
    for (const QByteArray& line : original.readAll().trimmed().split('\n'))
        records.append(QByteArray::fromHex(line));

    PtyPair pty;
    QVERIFY(pty.isValid());
    m_host->fakeLink.ports = PortMap({pty.slavePath});
    LoaderPeer loader(pty, {0x11, 0x11, 0x11});
    m_host->connectedOn(1);
    m_update->OKBtnClick(path);
    QVERIFY(m_update->awaitingLoader());
    QVERIFY(QFile::remove(path));
    if (replaced)
        QVERIFY(QFile::copy(m_type6, path));
    m_update->stopStartTimer();

    m_dialogs->expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    QSignalSpy ended(m_update.get(), &FirmwareUpdate::updateEnded);
    m_update->MsgLoaderReady();
    QVERIFY(ended.wait(60000));
    QVERIFY(m_dialogs->allAnswered());
    QCOMPARE(loader.records(), records);
}

QTEST_GUILESS_MAIN(TestFirmwareUpdate)
#include "test_firmware_update.moc"
