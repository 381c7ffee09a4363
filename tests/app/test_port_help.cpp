#include "ScriptedDialogs.h"
#include "SettingsSandbox.h"
#include "SimulatedPorts.h"
#include "app/AppForm.h"
#include "link/LinkSession.h"
#include "link/TraceLog.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace talvaro;

namespace {

// Readable and writable by the owner (who runs the test) and nobody else.
const QFile::Permissions OwnerOnly =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

const QString NoPortLine =
    QStringLiteral("Kein serieller Anschluss gefunden. Ist der USB-Adapter eingesteckt?");

// The telephone system is plugged in while "Keine Telefonanlage gefunden" is showing.
// A Quenta 26 is plugged in while "Keine Telefonanlage gefunden" waits: where the
// user's "Suchen" looks, or, with `watchedPath`, at that path of the port map, which
// the window notices by itself.
class PluggedInWhileAsked : public ScriptedDialogs {
public:
    DialogResult askNoDeviceFound(const QStringList& hints) override {
        if (!device) {
            device = std::make_unique<SimulatedPorts>(std::initializer_list<DeviceType>{6});
            device->start();
            if (watchedPath.isEmpty())
                form->link().setPortAssignment(device->assignment());
            else
                QTimer::singleShot(0, [this] { QFile::link(device->paths[0], watchedPath); });
        }
        return ScriptedDialogs::askNoDeviceFound(hints);
    }
    std::unique_ptr<SimulatedPorts> device;
    TAppForm* form = nullptr;
    QString watchedPath;
};

} // namespace

// What the window offers when no device is found: the causes below the dialog's lines,
// "Suchen" after plugging in, the trace on request and the report for support.
class TestPortHelp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { qputenv("TALVARO_PORTS", ""); }
    void searchAgainFindsADevicePluggedInMeanwhile_data();
    void searchAgainFindsADevicePluggedInMeanwhile();
    void traceItemSwitchesTheTrace();
    void supportReportFromTheHelpMenu();
    void supportReportLeavesTheConfigurationOut();
};

void TestPortHelp::searchAgainFindsADevicePluggedInMeanwhile_data() {
    QTest::addColumn<bool>("watched");
    QTest::newRow("\"Suchen\" clicked") << false;
    QTest::newRow("the adapter noticed, no click") << true;
}

void TestPortHelp::searchAgainFindsADevicePluggedInMeanwhile() {
    QFETCH(bool, watched);
    SettingsSandbox sandbox;
    QTemporaryDir folder;
    PluggedInWhileAsked dialogs;
    if (watched) {
        dialogs.watchedPath = folder.filePath("ttyUSB0");
        dialogs.expectNoDeviceFoundUntilSearchedAgain();
    } else {
        dialogs.expect("KeineAnlageDlg", DialogResult::Retry); // "Suchen"
    }
    dialogs.expect("SuchenDlg", DialogResult::Cancel);
    dialogs.expect("ErgebnisDialog", DialogResult::Ok);
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::On,
                  {.ports = PortAssignment(PortMap({dialogs.watchedPath}))});
    dialogs.form = &form;
    form.session().searchWhenPortsAppear(folder.path(), 50);
    form.show();
    QTRY_VERIFY_WITH_TIMEOUT(dialogs.allAnswered(), 20000);

    QCOMPARE(dialogs.shown.first().dialog, QStringLiteral("KeineAnlageDlg"));
    QCOMPARE(dialogs.shown.first().lines.contains(NoPortLine), !watched);
    QCOMPARE(form.statusText(1), QStringLiteral("Verwendeter COM-Port: COM1"));
    QCOMPARE(form.document().deviceType(), 6u);
    QCOMPARE(form.images().working(6), dialogs.device->image(1));
    form.document().updateTitle();
}

void TestPortHelp::traceItemSwitchesTheTrace() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    {
        TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
        auto* item = form.findChild<QAction*>("ComLogging1");
        QVERIFY(item->isCheckable());
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(form.comLogging());
        form.setComLogging(false); // as --trace does it, the other way round
        QVERIFY(!item->isChecked());
        // Not wherever the program was started.
        const QString trace = form.link().ComPort1().trace().fileName();
        QCOMPARE(trace, TraceLog::defaultFilePath());
        QVERIFY(trace.startsWith(
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/"));
    }
    // The settings value switches it on as before, and the item shows it.
    SettingsSandbox::write(sandbox.userFile(), "[General]\nComLogging=1\n");
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    QVERIFY(form.comLogging());
    QVERIFY(form.findChild<QAction*>("ComLogging1")->isChecked());
    QVERIFY(dialogs.shown.isEmpty());
}

void TestPortHelp::supportReportFromTheHelpMenu() {
    SettingsSandbox sandbox;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    QAction* item = form.findChild<QAction*>("SupportReport1");

    dialogs.expect("SaveDialog", DialogResult::Cancel);
    item->trigger();
    QVERIFY(dialogs.allAnswered());
    QVERIFY(QDir(dir.path()).isEmpty());

    const QString path = dir.filePath("bericht.txt");
    dialogs.expect("SaveDialog", DialogResult::Ok, path);
    item->trigger();
    QVERIFY(dialogs.allAnswered());
    QCOMPARE(dialogs.lastFileRequest.proposedName, QStringLiteral("Talvaro-Fehlerbericht.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(file.readAll());
    QVERIFY(report.contains("\ntalvaro 1."));
    QVERIFY(report.contains(NoPortLine));
    QVERIFY(report.contains("In dieser Sitzung wurde keine Telefonanlage gefunden."));
    QVERIFY(report.contains("Das serielle Protokoll ist ausgeschaltet."));

    dialogs.expect("SaveDialog", DialogResult::Ok, dir.filePath("kein/ordner/bericht.txt"));
    dialogs.expect("MessageBox", DialogResult::Ok);
    item->trigger();
    QVERIFY(dialogs.allAnswered());
    QVERIFY(dialogs.shown.last().lines.first().startsWith(
        "Der Fehlerbericht konnte nicht gespeichert werden: "));
}

// The device holds the PIN 3927; the report after reading it with the trace on names
// the device and counts the image's bytes, and holds none of them.
void TestPortHelp::supportReportLeavesTheConfigurationOut() {
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.userFile(), "[General]\nComLogging=1\n");
    QFile::remove(TraceLog::defaultFilePath());
    const QByteArray pin("\x03\x09\x02\x07");
    SimulatedPorts device{6};
    device.at(1).withDevice([&](sim::SimDevice& d) {
        QByteArray image = d.image();
        d.setImage(image.replace(64, pin.size(), pin));
    });
    device.start();
    device.assignPorts();
    ScriptedDialogs dialogs;
    dialogs.expect("SuchenDlg", DialogResult::Cancel);
    dialogs.expect("ErgebnisDialog", DialogResult::Ok);
    TAppForm form(dialogs, dialogs);
    form.show();
    QTRY_VERIFY_WITH_TIMEOUT(dialogs.allAnswered(), 20000);
    QCOMPARE(form.images().working(6).mid(64, 4), pin);

    QTemporaryDir dir;
    const QString path = dir.filePath("bericht.txt");
    dialogs.expect("SaveDialog", DialogResult::Ok, path);
    form.findChild<QAction*>("SupportReport1")->trigger();
    QVERIFY(dialogs.allAnswered());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(file.readAll());
    QVERIFY(report.contains("Quenta 26 - Firmware"));
    // Its own port, which refuses a second opening, is nobody else's.
    QVERIFY(report.contains("COM1\t" + device.paths[0] + "\tvon diesem Programm geöffnet\n"));
    QVERIFY(!report.contains("belegt"));
    QVERIFY2(report.contains("Byte Konfiguration ausgelassen]"), qPrintable(report));
    QVERIFY(!report.contains("03 09 02 07"));
    QVERIFY(report.contains("~/"));
    QVERIFY(!report.contains(QDir::homePath() + "/"));
    QCOMPARE(file.permissions() & 0x7777, OwnerOnly);
    form.document().updateTitle();
}

QTEST_MAIN(TestPortHelp)
#include "test_port_help.moc"
