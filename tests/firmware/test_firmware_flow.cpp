// The whole update against simulated devices on ptys: the window's link wakes the
// loader, the dialog streams the file raw, and the search finds the restarted device.
#include "FirmwareFiles.h"
#include "LinkFakes.h"
#include "SimulatedPorts.h"
#include "sim/LoaderHandler.h"

#include "firmware/FWDlg.h"
#include "firmware/FirmwareUpdate.h"
#include "firmware/SessionFirmwareHost.h"
#include "link/LinkSession.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace talvaro;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(talvaro::sim::LoaderFaults)

namespace {

// The window stops the start timer when the exchange has heard "L".
struct WindowHost : FakeHost {
    using FakeHost::FakeHost;
    void stopFirmwareStartTimer() override {
        FakeHost::stopFirmwareStartTimer();
        update->stopStartTimer();
    }
    FirmwareUpdate* update = nullptr;
};

// Notes whether the firmware dialog is still open when the search window shows.
struct FlowDialogs : RecordingDialogs {
    using RecordingDialogs::RecordingDialogs;
    void execSearch() override {
        firmwareOpenDuringSearch = firmwareDialog->isVisible();
        RecordingDialogs::execSearch();
    }
    QWidget* firmwareDialog = nullptr;
    bool firmwareOpenDuringSearch = false;
};

// Devices on COM1, COM2, ..., the window's link, the update and its dialog.
struct Rig {
    explicit Rig(std::initializer_list<DeviceType> types)
        : host(5), dialogs(host.calls), session(host, dialogs), firmwareHost(host.doc, session),
          update(firmwareHost, dialogs), devices(types) {
        session.setPortAssignment(devices.assignment());
        host.update = &update;
        dialogs.firmwareDialog = &dlg;
        dlg.setController(&update);
        QObject::connect(&session, &LinkSession::loaderReady, &update,
                         &FirmwareUpdate::MsgLoaderReady);
        TransferTimings timings;
        timings.afterLinkClosed = 0;
        timings.beforeOpen = 0;
        timings.replyTimeout = 300;
        timings.afterClose = 0;
        timings.afterTransfer = 400;
        update.setTransferTimings(timings);
        update.setStartTimeout(1000);
    }
    std::shared_ptr<sim::LoaderReception> loaderOn(int com, sim::LoaderFaults faults = {}) {
        sim::LoaderOptions options;
        options.faults = faults;
        options.restartAfter = 180ms;
        return devices.at(com).withDevice(
            [&](sim::SimDevice& d) { return sim::installFirmwareLoader(d, options); });
    }
    template <typename F> auto withLoader(int com, F f) {
        return devices.at(com).withDevice([&](sim::SimDevice&) { return f(); });
    }
    void start() { devices.start(); }
    // Runs the event loop until the dialog has closed and the script is used up.
    bool finished() {
        return QTest::qWaitFor([this] { return !dlg.isVisible() && dialogs.allAnswered(); }, 60000);
    }

    WindowHost host;
    FlowDialogs dialogs;
    LinkSession session;
    SessionFirmwareHost firmwareHost;
    FirmwareUpdate update;
    TFirmwareDlg dlg;
    SimulatedPorts devices;
};

// The byte stream of a firmware file, as the loader should receive it.
QByteArray streamOf(const QByteArray& text) {
    return QByteArray::fromHex(text.simplified().replace(' ', ""));
}

} // namespace

class TestFirmwareFlow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void chosenPortUpdatedThenFoundAgain();
    void failedTransferStillSearches_data();
    void failedTransferStillSearches();
    void silentLoaderEndsTheHandshake();

private:
    QTemporaryDir m_dir;
    QString m_file;
    QByteArray m_text;
};

void TestFirmwareFlow::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("mirello.efw"));
    // Twelve records.
    m_text = makeEfw(m_file, {QStringLiteral("--type"), QStringLiteral("5"),
                              QStringLiteral("--size"), QStringLiteral("3000")});
    QVERIFY(!m_text.isEmpty());
}

void TestFirmwareFlow::chosenPortUpdatedThenFoundAgain() {
    // COM1 holds a model of the other family, which the search passes over.
    Rig rig({0, 5});
    const auto loader = rig.loaderOn(2);
    rig.start();
    rig.dialogs.expect(QStringLiteral("WaehleComPortDlg"), DialogResult::Ok,
                       QStringLiteral("COM2"));
    rig.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    rig.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    rig.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);

    // While the transfer runs, every way of closing the dialog is tried.
    int attempts = 0;
    bool closedWhileBusy = false;
    bool buttonsEnabledWhileBusy = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!rig.update.busy())
            return;
        ++attempts;
        rig.dlg.close();
        rig.dlg.reject();
        QTest::keyClick(&rig.dlg, Qt::Key_Escape);
        closedWhileBusy |= !rig.dlg.isVisible();
        buttonsEnabledWhileBusy |= rig.dlg.OKBtn->isEnabled() || rig.dlg.CancelBtn->isEnabled();
    });
    closer.start(1);

    rig.dlg.show();
    rig.dlg.Filename->setText(m_file);
    QTest::mouseClick(rig.dlg.OKBtn, Qt::LeftButton);
    QCOMPARE(rig.update.portName(), QStringLiteral("COM2"));
    QVERIFY(rig.finished());

    QCOMPARE(rig.dialogs.shown.at(0).lines, (QStringList{"COM1", "COM2"}));
    QCOMPARE(rig.dialogs.shown.at(1).caption, QStringLiteral("Neue Firmware"));
    QCOMPARE(rig.dialogs.shown.at(3).caption, QStringLiteral("Konfiguration Auslesen"));
    QCOMPARE(rig.withLoader(2, [&] { return loader->acceptedStream(); }), streamOf(m_text));
    QCOMPARE(rig.withLoader(2, [&] { return loader->recordsReceived(); }), 12);
    QVERIFY(attempts > 0);
    QVERIFY(!closedWhileBusy);
    QVERIFY(!buttonsEnabledWhileBusy);
    QVERIFY(rig.dialogs.firmwareOpenDuringSearch);
    QCOMPARE(rig.dlg.result(), int(QDialog::Rejected));
    QVERIFY(!rig.dlg.Filename->isEnabled());
    // Found again on the port it was updated on, and read.
    QCOMPARE(rig.session.record().portInUse, quint16(2));
    QCOMPARE(rig.host.buffers.sixWorking, sim::SimDevice::patternImage(76));
    QCOMPARE(rig.host.calls.count(QStringLiteral("stopFirmwareStartTimer")), 1);
}

void TestFirmwareFlow::failedTransferStillSearches_data() {
    QTest::addColumn<sim::LoaderFaults>("faults");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("received"); // records, every copy
    QTest::newRow("third record refused four times")
        << sim::LoaderFaults{3, 4, -1, -1} << "Die Datei ist beschädigt." << 6;
    // The input drain before the third record does not end: the line never falls quiet.
    QTest::newRow("loader line keeps chattering")
        << sim::LoaderFaults{0, 0, -1, 2} << "Telefonanlage antwortet nicht." << 2;
}

void TestFirmwareFlow::failedTransferStillSearches() {
    QFETCH(sim::LoaderFaults, faults);
    QFETCH(QString, error);
    QFETCH(int, received);
    Rig rig({5});
    const auto loader = rig.loaderOn(1, faults);
    rig.start();
    rig.session.exchange().deviceFoundOn(1);
    rig.session.ComPort1().setPortNumber(1);
    QVERIFY(rig.session.ComPort1().open());
    rig.dialogs.expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    rig.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    rig.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);

    rig.dlg.show();
    rig.dlg.Filename->setText(m_file);
    QTest::mouseClick(rig.dlg.OKBtn, Qt::LeftButton);
    QVERIFY(rig.finished());
    QCOMPARE(rig.dialogs.shown.at(0).lines, (QStringList{"Fehler!", error}));
    QCOMPARE(rig.dialogs.shown.at(2).caption, QStringLiteral("Konfiguration Auslesen"));
    QCOMPARE(rig.withLoader(1, [&] { return loader->recordsAccepted(); }), 2);
    QCOMPARE(rig.withLoader(1, [&] { return loader->recordsReceived(); }), received);
    QVERIFY(rig.dialogs.firmwareOpenDuringSearch);
}

// A loader that never confirms (it names another model): the start timer gives up,
// and the exchange is idle again with nothing armed.
void TestFirmwareFlow::silentLoaderEndsTheHandshake() {
    Rig rig({6});
    rig.start();
    rig.session.exchange().deviceFoundOn(1);
    rig.session.ComPort1().setPortNumber(1);
    QVERIFY(rig.session.ComPort1().open());
    rig.dialogs.expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    rig.update.OKBtnClick(m_file);
    QCOMPARE(rig.session.record().state, ExchangeState::AwaitLoaderPrompt);
    QTRY_VERIFY_WITH_TIMEOUT(rig.dialogs.allAnswered(), 30000);
    QCOMPARE(rig.dialogs.shown.last().lines,
             (QStringList{"Fehler!", "Firmware Update konnte nicht gestartet werden."}));
    QCOMPARE(rig.session.record().state, ExchangeState::Idle);
    QVERIFY(!rig.session.DataPacket1().isArmed());
}

QTEST_MAIN(TestFirmwareFlow)
#include "test_firmware_flow.moc"
