// What every program answers before it does anything: --version, and a wrong option.
#include <QProcess>
#include <QTest>

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

} // namespace

class TestProgramOptions : public QObject {
    Q_OBJECT
private slots:
    void versionAndUnknownOption_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("command");
        QTest::newRow("talvaro") << TALVARO_PATH << QStringList{};
        QTest::newRow("talvaro-cli") << TALVARO_CLI_PATH << QStringList{"show"};
        QTest::newRow("talvaro-sim") << TALVARO_SIM_PATH << QStringList{};
    }

    void versionAndUnknownOption() {
        QFETCH(QString, program);
        QFETCH(QStringList, command);
        const Run version = run(program, {"--version"});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out, QFileInfo(program).fileName() + " " TALVARO_VERSION "\n");

        // An unknown option ends with 2 before any window.
        const Run bogus = run(program, command + QStringList{"--bogus"});
        QCOMPARE(bogus.status, 2);
        QVERIFY(bogus.out.isEmpty());
        // In Qt's own German, as the whole program speaks.
        QVERIFY2(bogus.err.contains("Unbekannte Option 'bogus'."), qPrintable(bogus.err));
    }
};

QTEST_GUILESS_MAIN(TestProgramOptions)
#include "test_program_options.moc"
