// How "talvaro [--demo] [--type N] [FILE]" starts: its options, and a file it is given.
#include "ScriptedDialogs.h"
#include "SettingsSandbox.h"
#include "app/AboutBox.h"
#include "app/AppStart.h"
#include "app/StartOptions.h"

#include <QLabel>
#include <QTest>

using namespace talvaro;

class TestAppStart : public QObject {
    Q_OBJECT
private slots:
    void options_data();
    void options();
    void configurationFileOpensAsTheTypeGiven();
    void aboutBoxShowsTheBuildsVersion();
};

void TestAppStart::options_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status"); // -1: the program goes on
    QTest::addColumn<int>("type");   // -1: none given
    QTest::addColumn<bool>("searches");
    QTest::addColumn<bool>("firmware");
    QTest::newRow("nothing") << QStringList{} << -1 << -1 << true << false;
    QTest::newRow("help") << QStringList{"--help"} << 0 << -1 << true << false;
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

void TestAppStart::options() {
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

void TestAppStart::configurationFileOpensAsTheTypeGiven() {
    SettingsSandbox sandbox;
    QTemporaryDir dir;
    const QString path = dir.filePath("laden.tkx");
    {
        ScriptedDialogs dialogs;
        TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
        form.setDeviceType(6);
        form.model().setValue("LMDSpinEditAnzahlRufe", 7);
        dialogs.expect("SaveDialog", DialogResult::Ok, path);
        QCOMPARE(form.saveConfigurationAs(), 0);
    }
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
    QCOMPARE(form.document().workDir, dir.path() + "/");
}

void TestAppStart::aboutBoxShowsTheBuildsVersion() {
    TAboutBox about;
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>())
        texts << label->text();
    QVERIFY2(texts.contains("Version " TALVARO_VERSION), qPrintable(texts.join('|')));
}

QTEST_MAIN(TestAppStart)
#include "test_app_start.moc"
