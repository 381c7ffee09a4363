// How "talvaro [--demo] [--type N] [FILE]" starts: its options, and a file it is given.
#include "ScriptedDialogs.h"
#include "SettingsSandbox.h"
#include "SimulatedPorts.h"
#include "app/AboutBox.h"
#include "app/AppStart.h"
#include "app/StartOptions.h"
#include "firmware/FWDlg.h"
#include "link/LinkSession.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace talvaro;

namespace {

// A Quenta 26 configuration that rings seven times, unlike the factory's.
void writeConfiguration(const QString& path) {
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    form.setDeviceType(6);
    form.model().setValue("LMDSpinEditAnzahlRufe", 7);
    dialogs.expect("SaveDialog", DialogResult::Ok, path);
    QCOMPARE(form.saveConfigurationAs(), 0);
}

} // namespace

class TestAppStart : public QObject {
    Q_OBJECT
private slots:
    void options_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status"); // -1: the program goes on
        QTest::addColumn<int>("type");   // -1: none given
        QTest::addColumn<bool>("searches");
        QTest::addColumn<bool>("firmware");
        QTest::newRow("nothing") << QStringList{} << -1 << -1 << true << false;
        QTest::newRow("version") << QStringList{"--version"} << 0 << -1 << true << false;
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << -1 << true << false;
        QTest::newRow("file and type")
            << QStringList{"anlage.tkx", "--type", "6"} << -1 << 6 << false << false;
        QTest::newRow("file, search") << QStringList{"anlage.TKX"} << -1 << -1 << true << false;
        QTest::newRow("type, search") << QStringList{"--type", "7"} << -1 << 7 << true << false;
        QTest::newRow("firmware") << QStringList{"neu.efw"} << -1 << -1 << true << true;
        QTest::newRow("type beyond 7")
            << QStringList{"a.tkx", "--type", "8"} << 2 << -1 << true << false;
        QTest::newRow("two files") << QStringList{"a.tkx", "b.tkx"} << 2 << -1 << true << false;
        QTest::newRow("other file") << QStringList{"bild.png"} << 2 << -1 << true << false;
    }

    void options() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(int, type);
        QFETCH(bool, searches);
        QFETCH(bool, firmware);
        StartOptions options;
        QCOMPARE(options.parse(QStringList{"talvaro"} + args).value_or(-1), status);
        if (status != -1)
            return;
        QCOMPARE(options.deviceType().has_value(), type != -1);
        if (type != -1)
            QCOMPARE(*options.deviceType(), DeviceType(type));
        QCOMPARE(options.searchesAtStart(), searches);
        QCOMPARE(options.isFirmwareFile(), firmware);
        // A file named relative to where the program ran is kept by its full path.
        if (!args.isEmpty() && !args.first().startsWith("--"))
            QCOMPARE(options.file(), QDir::current().absoluteFilePath(args.first()));
    }

    void configurationFileOpensAsTheTypeGiven() {
        SettingsSandbox sandbox;
        QTemporaryDir dir;
        const QString path = dir.filePath("laden.tkx");
        writeConfiguration(path);
        // talvaro laden.tkx --type 6
        StartOptions options;
        QVERIFY(!options.parse({"talvaro", path, "--type", "6"}));
        AppStart start(options);
        TAppForm& form = start.form();
        QVERIFY(form.model().state("LMDSpinEditAnzahlRufe").value != 7.0); // the factory's
        form.show();
        QTRY_VERIFY_WITH_TIMEOUT(form.windowTitle().endsWith(" - laden.tkx"), 10000);
        QCOMPARE(form.document().deviceType(), DeviceType(6));
        QCOMPARE(form.model().state("LMDSpinEditAnzahlRufe").value, 7.0);
        QVERIFY(!form.document().isModified());
        QCOMPARE(form.document().workDir(), dir.path() + "/");
    }

    void configurationFileOpensAfterTheStartUpRead() {
        SettingsSandbox sandbox;
        SettingsSandbox::write(sandbox.systemFile(), "[General]\nCOM=0\n");
        QTemporaryDir dir;
        const QString path = dir.filePath("laden.tkx");
        writeConfiguration(path);
        SimulatedPorts device{6};
        device.start();
        device.assignPorts();
        const QByteArray deviceImage = device.image(1);

        // talvaro laden.tkx, as the window starts it with a device on COM1.
        ScriptedDialogs dialogs;
        dialogs.expect("SuchenDlg", DialogResult::Cancel);
        dialogs.expect("ErgebnisDialog", DialogResult::Ok);
        TAppForm form(dialogs, dialogs);
        form.afterStartSearch([&] { form.openConfigurationFile(path); });
        form.show();
        QTRY_VERIFY_WITH_TIMEOUT(form.windowTitle().endsWith(" - laden.tkx"), 20000);
        QVERIFY(dialogs.allAnswered());
        // The search made the editor a Quenta 26 and read the device; the file came after.
        QCOMPARE(form.document().deviceType(), DeviceType(6));
        QCOMPARE(form.images().deviceCopy(6), deviceImage);
        QCOMPARE(form.model().state("LMDSpinEditAnzahlRufe").value, 7.0);
        qputenv("TALVARO_PORTS", "");
    }

    void firmwareFileIsChosenNotSent() {
        SettingsSandbox sandbox;
        const QString path = QDir::current().absoluteFilePath("neu.efw");
        StartOptions options;
        QVERIFY(!options.parse({"talvaro", "neu.efw", "--type", "6"}));
        AppStart start(options);
        // The dialog runs its own loop: it is looked at and closed from inside it.
        QString chosen;
        bool startable = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<TFirmwareDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            chosen = dialog->Filename->text();
            startable = dialog->OKBtn->isEnabled() && dialog->ProgressBar1->value() == 0;
            dialog->reject();
        });
        watch.start(50);
        start.form().show();
        QTRY_VERIFY_WITH_TIMEOUT(!chosen.isEmpty(), 10000);
        QCOMPARE(chosen, path);
        QVERIFY(startable);
        QVERIFY(!start.form().link().ComPort1().isOpen()); // nothing was sent
    }

    void aboutBoxShowsTheBuildsVersion() {
        TAboutBox about;
        QStringList texts;
        for (const QLabel* label : about.findChildren<QLabel*>())
            texts << label->text();
        QVERIFY2(texts.contains("Version " TALVARO_VERSION), qPrintable(texts.join('|')));
    }
};

QTEST_MAIN(TestAppStart)
#include "test_app_start.moc"
