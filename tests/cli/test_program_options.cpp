// What every program answers before it does anything: --version, and a wrong option.
#include <QProcess>
#include <QTest>

class TestProgramOptions : public QObject {
    Q_OBJECT
private slots:
    void versionIsTheBuilds_data();
    void versionIsTheBuilds();
    void unknownOptionEndsBeforeAnyWindow_data();
    void unknownOptionEndsBeforeAnyWindow();
};

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A window's application would abort on this platform instead of ending with 2.
    env.insert("QT_QPA_PLATFORM", "none-such");
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void addPrograms() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("command");
    QTest::newRow("talvaro") << TALVARO_PATH << QStringList{};
    QTest::newRow("talvaro-cli") << TALVARO_CLI_PATH << QStringList{"show"};
    QTest::newRow("talvaro-sim") << TALVARO_SIM_PATH << QStringList{};
}

} // namespace

void TestProgramOptions::versionIsTheBuilds_data() {
    addPrograms();
}

void TestProgramOptions::versionIsTheBuilds() {
    QFETCH(QString, program);
    const Run result = run(program, {"--version"});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, QFileInfo(program).fileName() + " " TALVARO_VERSION "\n");
}

void TestProgramOptions::unknownOptionEndsBeforeAnyWindow_data() {
    addPrograms();
}

void TestProgramOptions::unknownOptionEndsBeforeAnyWindow() {
    QFETCH(QString, program);
    QFETCH(QStringList, command);
    const Run result = run(program, command + QStringList{"--bogus"});
    QCOMPARE(result.status, 2);
    QVERIFY(result.out.isEmpty());
    // In Qt's own German, as the whole program speaks.
    QVERIFY2(result.err.contains("Unbekannte Option 'bogus'."), qPrintable(result.err));
}

QTEST_GUILESS_MAIN(TestProgramOptions)
#include "test_program_options.moc"
