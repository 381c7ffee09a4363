// talvaro-cli on configuration files: show, new, diff, report, and wrong usage.
#include "CliRunner.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace talvaro;

class TestCliFiles : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void showAcceptsLongerFileRejectsShorter();
    void showJsonCoversEveryControl();
    void newWritesFactoryDefaults();
    void diffReportsChangedLines();
    void reportIntoPdf();
    void firmwareCheckNamesTheType();
    void systemErrorsInTheProgramsWords_data();
    void systemErrorsInTheProgramsWords();
    void wrongUsage_data();
    void wrongUsage();
    void helpForEveryCommand();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestCliFiles::showAcceptsLongerFileRejectsShorter() {
    // A six-extension file read as a four-extension type: its first 60 bytes count.
    ReferenceEditor six(6);
    QVERIFY(writeBytes(path("six.tkx"), six.encoded()));
    const CliResult asTwo = runCli({"show", path("six.tkx"), "--type", "2"});
    QCOMPARE(asTwo.status, 0);
    const QStringList lines = asTwo.out.split('\n');
    QCOMPARE(lines.first(), QStringLiteral("Mirello 14 Konfiguration"));
    QVERIFY(lines.contains("Externanschluss")); // heading without its marker
    QVERIFY(!asTwo.out.contains("<U>"));
    QVERIFY(!asTwo.out.contains("Druckdatum"));
    // Four extensions in each of the two extension sections.
    QCOMPARE(lines.filter(QRegularExpression("^   Anschluss [1-4] = ")).size(), 8);
    QVERIFY(!asTwo.out.contains("Anschluss 5"));

    QVERIFY(writeBytes(path("four.tkx"), QByteArray(60, '\0')));
    QVERIFY(writeBytes(path("empty.tkx"), QByteArray()));
    for (const QString& rejected : {path("four.tkx"), path("empty.tkx")}) {
        const CliResult asSix = runCli({"show", rejected, "--type", "6"});
        QCOMPARE(asSix.status, 1);
        QVERIFY(asSix.out.isEmpty());
        QVERIFY2(asSix.err.contains("Die Datei ist keine Konfigurationsdatei!"),
                 qPrintable(asSix.err));
    }
    const CliResult missing = runCli({"show", path("missing.tkx"), "--type", "6"});
    QCOMPARE(missing.status, 1);
    QVERIFY(!missing.err.isEmpty());
}

void TestCliFiles::showJsonCoversEveryControl() {
    ReferenceEditor editor(3);
    editor.host.model().setValue("LMDExtSpinEditK1Time", 2.5);
    editor.host.model().setChecked("RBWartemusikNein", true);
    QVERIFY(writeBytes(path("three.tkx"), editor.encoded()));
    ReferenceEditor opened(3);
    QVERIFY(opened.host.openConfigurationFile(path("three.tkx")));

    const CliResult result = runCli({"show", path("three.tkx"), "--type", "3", "--json"});
    QCOMPARE(result.status, 0);
    const QJsonObject root = QJsonDocument::fromJson(result.out.toUtf8()).object();
    QCOMPARE(root.value("deviceType").toInt(), 3);
    const QJsonObject controls = root.value("controls").toObject();
    const QStringList names = opened.host.model().controlNames();
    QCOMPARE(controls.size(), names.size());
    for (const QString& name : names) {
        const QJsonObject control = controls.value(name).toObject();
        const ControlState& state = opened.host.model().state(name);
        QCOMPARE(control.value("enabled").toBool(), state.enabled);
        QCOMPARE(control.value("visible").toBool(), state.visible);
    }
    QCOMPARE(controls.value("LMDExtSpinEditK1Time").toObject().value("value").toDouble(), 2.5);
    QCOMPARE(controls.value("RBWartemusikNein").toObject().value("checked").toBool(), true);
    QCOMPARE(controls.value("RBWartemusikJa").toObject().value("checked").toBool(), false);
    QCOMPARE(controls.value("LMDEditFernsteuerungPin").toObject().value("text").toString(),
             opened.host.model().state("LMDEditFernsteuerungPin").text);
    // Type 3 has a second contact; its controls are visible.
    QVERIFY(controls.value("RBKontakt2Intern").toObject().value("visible").toBool());
}

void TestCliFiles::newWritesFactoryDefaults() {
    for (const DeviceType type : {DeviceType(0), DeviceType(7)}) {
        const QString file = path(QStringLiteral("new%1.tkx").arg(type));
        const CliResult result = runCli({"new", "--type", QString::number(type), "-o", file});
        QCOMPARE(result.status, 0);
        ReferenceEditor editor(type);
        editor.host.newConfiguration();
        QCOMPARE(fileBytes(file), editor.encoded());
    }
    QCOMPARE(fileBytes(path("new0.tkx")).size(), 60);
    const CliResult unwritable =
        runCli({"new", "--type", "5", "-o", path("no/such/folder/new.tkx")});
    QCOMPARE(unwritable.status, 1);
}

void TestCliFiles::diffReportsChangedLines() {
    ReferenceEditor editor(5);
    const QByteArray original = editor.encoded();
    editor.host.model().setChecked("RBWartemusikNein", true);
    QVERIFY(writeBytes(path("a.tkx"), original));
    QVERIFY(writeBytes(path("b.tkx"), editor.encoded()));

    const CliResult same = runCli({"diff", path("a.tkx"), path("a.tkx"), "--type", "5"});
    QCOMPARE(same.status, 0);
    QVERIFY(same.out.isEmpty());

    const CliResult changed = runCli({"diff", path("a.tkx"), path("b.tkx"), "--type", "5"});
    QCOMPARE(changed.status, 1);
    QCOMPARE(changed.out, QStringLiteral("-    Wartemusik = ein\n+    Wartemusik = aus\n"));

    QVERIFY(writeBytes(path("short.tkx"), QByteArray(10, '\0')));
    const CliResult trouble = runCli({"diff", path("a.tkx"), path("short.tkx"), "--type", "5"});
    QCOMPARE(trouble.status, 2);
    QVERIFY(trouble.err.contains("Die Datei ist keine Konfigurationsdatei!"));
}

void TestCliFiles::reportIntoPdf() {
    ReferenceEditor editor(6);
    QVERIFY(writeBytes(path("r.tkx"), editor.encoded()));
    const CliResult result =
        runCli({"report", path("r.tkx"), "--type", "6", "--pdf", path("r.pdf")});
    QCOMPARE(result.status, 0);
    QVERIFY(fileBytes(path("r.pdf")).startsWith("%PDF"));

    // Remote control with the unset PIN "0000": the PIN check objects, nothing is printed.
    editor.host.model().setChecked("RBKontakt1Fern", true);
    editor.host.model().setText("LMDEditFernsteuerungPin", "0000");
    QVERIFY(writeBytes(path("nopin.tkx"), editor.encoded()));
    const CliResult refused =
        runCli({"report", path("nopin.tkx"), "--type", "6", "--pdf", path("nopin.pdf")});
    QCOMPARE(refused.status, 1);
    QVERIFY(!QFile::exists(path("nopin.pdf")));
}

void TestCliFiles::firmwareCheckNamesTheType() {
    QProcess efwgen;
    efwgen.start(EFWGEN, {"--type", "6", "--size", "600", "-o", path("six.efw")});
    QVERIFY(efwgen.waitForFinished(10000));
    QCOMPARE(efwgen.exitCode(), 0);
    const CliResult good = runCli({"firmware", "check", path("six.efw")});
    QCOMPARE(good.status, 0);
    QCOMPARE(good.out, QStringLiteral("Gerätetyp 6 (Quenta 26)\n"));

    // One hex digit changed: its record's CRC no longer fits.
    QByteArray text = fileBytes(path("six.efw"));
    const qsizetype digit = text.indexOf('\n') + 10;
    text[digit] = text[digit] == '0' ? '1' : '0';
    QVERIFY(writeBytes(path("bad.efw"), text));
    const CliResult bad = runCli({"firmware", "check", path("bad.efw")});
    QCOMPARE(bad.status, 1);
    QCOMPARE(bad.err, QStringLiteral("Fehlerhafte Firmwaredatei!\n"));
    QVERIFY(bad.out.isEmpty());
}

// The file's name and the reason in German; never the system's English text.
void TestCliFiles::systemErrorsInTheProgramsWords_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString folder = QStringLiteral("\"%1/ordner\" ist ein Ordner, keine Datei.");
    QTest::newRow("missing file") << QStringList{"show", "--type", "5", "fehlt.tkx"}
                                  << "Die Datei \"%1/fehlt.tkx\" wurde nicht gefunden.";
    QTest::newRow("folder as file") << QStringList{"show", "--type", "5", "ordner"} << folder;
    QTest::newRow("missing folder") << QStringList{"new", "--type", "5", "-o", "weg/neu.tkx"}
                                    << "Der Ordner für \"%1/weg/neu.tkx\" existiert nicht.";
    QTest::newRow("folder as pdf")
        << QStringList{"report", "--type", "5", "--pdf", "ordner", "neu.tkx"} << folder;
    QTest::newRow("missing firmware") << QStringList{"firmware", "check", "fehlt.efw"}
                                      << "Die Datei \"%1/fehlt.efw\" wurde nicht gefunden.";
    QTest::newRow("firmware folder before any search")
        << QStringList{"firmware", "install", "--type", "5", "ordner"} << folder;
}

void TestCliFiles::systemErrorsInTheProgramsWords() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QVERIFY(QDir().mkpath(path("ordner")));
    QCOMPARE(runCli({"new", "--type", "5", "-o", path("neu.tkx")}).status, 0);
    for (QString& arg : args)
        if (arg.contains('.') || arg == "ordner")
            arg = path(arg);
    const CliResult result = runCli(args);
    QCOMPARE(result.status, 1);
    // The last line: Qt may warn about the environment before.
    QCOMPARE(result.err.trimmed().section('\n', -1), message.arg(m_dir.path()));
}

void TestCliFiles::wrongUsage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no command") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"frobnicate"};
    QTest::newRow("missing type") << QStringList{"show", "x.tkx"};
    QTest::newRow("type out of range") << QStringList{"show", "x.tkx", "--type", "8"};
    QTest::newRow("type not a number") << QStringList{"new", "--type", "five", "-o", "x.tkx"};
    QTest::newRow("missing file") << QStringList{"show", "--type", "5"};
    QTest::newRow("extra argument") << QStringList{"show", "a", "b", "--type", "5"};
    QTest::newRow("unknown option") << QStringList{"read", "--type", "5", "-o", "x", "--fast"};
    QTest::newRow("missing output") << QStringList{"read", "--type", "5"};
    QTest::newRow("missing pdf") << QStringList{"report", "x.tkx", "--type", "5"};
    QTest::newRow("unknown firmware command") << QStringList{"firmware", "flash", "x.efw"};
}

void TestCliFiles::wrongUsage() {
    QFETCH(QStringList, args);
    const CliResult result = runCli(args);
    QCOMPARE(result.status, 2);
    QVERIFY(!result.err.isEmpty());
    QVERIFY(result.out.isEmpty());
}

void TestCliFiles::helpForEveryCommand() {
    const CliResult tool = runCli({"--help"});
    QCOMPARE(tool.status, 0);
    const QStringList commands{"show",    "new",   "diff",   "read",
                               "program", "reset", "report", "ports"};
    for (const QString& command : commands) {
        QVERIFY2(tool.out.contains("  " + command), qPrintable(command));
        const CliResult help = runCli({command, "--help"});
        QCOMPARE(help.status, 0);
        QVERIFY2(help.out.startsWith("Aufruf: talvaro-cli " + command), qPrintable(help.out));
    }
    const CliResult firmware = runCli({"firmware", "check", "--help"});
    QCOMPARE(firmware.status, 0);
    QVERIFY(firmware.out.contains("FILE.efw"));
}

QTEST_GUILESS_MAIN(TestCliFiles)
#include "test_cli_files.moc"
