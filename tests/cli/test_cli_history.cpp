// talvaro-cli's configuration history: what read and program leave in it, two processes
// at once, and the history commands.
#include "CliRunner.h"
#include "SimulatedPorts.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace talvaro;

class TestCliHistory : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // The tool's user data folder, inherited by every run below.
        qputenv("XDG_DATA_HOME", path("data").toLocal8Bit());
    }

    void twoProcessesProgrammingAtOnceKeepBothEntries() {
        SimulatedPorts devices{5, 5};
        devices.start();
        const QString file = makeFile(7, "seven.tkx");
        devices.assignPorts(); // inherited by both processes
        QProcess first;
        QProcess second;
        first.start(TALVARO_CLI_PATH, {"program", file, "--type", "5", "--port", "COM1"});
        second.start(TALVARO_CLI_PATH, {"program", file, "--type", "5", "--port", "COM2"});
        QVERIFY(first.waitForFinished(60000));
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);

        const QJsonArray entries = listed();
        QCOMPARE(entries.size(), 4);
        QStringList programmed;
        for (const QJsonValue& entry : entries)
            if (entry["action"].toString() == "Programmiert")
                programmed << entry["port"].toString();
        programmed.sort();
        QCOMPARE(programmed, (QStringList{"COM1", "COM2"}));
    }

    void exportAndDiffAnEntry() {
        SimulatedPorts devices{5};
        devices.start();
        const QString seven = makeFile(7, "seven.tkx");
        const QString nine = makeFile(9, "nine.tkx");
        QCOMPARE(runCli({"program", seven, "--type", "5"}, devices.portList()).status, 0);
        const QByteArray sevenOnDevice = devices.image(1);
        QCOMPARE(runCli({"program", nine, "--type", "5"}, devices.portList()).status, 0);

        // Newest first: programmed nine, read seven, programmed seven, read the original.
        const QJsonArray entries = listed({"--type", "5"});
        QCOMPARE(entries.size(), 4);
        QVERIFY(listed({"--type", "3"}).isEmpty());
        const QString programmedSeven = entries[2]["id"].toString();
        const QString programmedNine = entries[0]["id"].toString();
        QCOMPARE(entries[2]["action"].toString(), QStringLiteral("Programmiert"));

        QCOMPARE(runCli({"history", "export", programmedSeven, "-o", path("out.tkx")}).status, 0);
        QCOMPARE(fileBytes(path("out.tkx")), sevenOnDevice);
        QCOMPARE(runCli({"history", "export", "gibt-es-nicht", "-o", path("x.tkx")}).status, 1);

        QCOMPARE(runCli({"history", "diff", programmedSeven, seven, "--type", "5"}).status, 0);
        const CliResult entryToEntry =
            runCli({"history", "diff", programmedSeven, programmedNine, "--type", "5"});
        QCOMPARE(entryToEntry.status, 1);
        // The same lines "diff" prints for the two files.
        QCOMPARE(entryToEntry.out, runCli({"diff", seven, nine, "--type", "5"}).out);
        QVERIFY(entryToEntry.out.contains("- ") && entryToEntry.out.contains("+ "));
        // With one entry: from the entry of that device before it (the read of seven) to it.
        QCOMPARE(runCli({"history", "diff", programmedNine, "--type", "5"}).out, entryToEntry.out);
    }

    void resetKeepsTheDeviceFirst() {
        SimulatedPorts devices{5};
        devices.start();
        const QByteArray before = devices.image(1);
        QCOMPARE(runCli({"reset", "--type", "5", "--yes"}, devices.portList()).status, 0);

        const QJsonArray entries = listed();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0]["action"].toString(), QStringLiteral("Werkseinstellungen"));
        QCOMPARE(entries[1]["action"].toString(),
                 QStringLiteral("Sicherung vor dem Programmieren"));
        QCOMPARE(runCli({"history", "export", entries[1]["id"].toString(), "-o", path("old.tkx")})
                     .status,
                 0);
        QCOMPARE(fileBytes(path("old.tkx")), before);
    }

    void aDamagedEntryIsListedAsDamaged() {
        SimulatedPorts devices{5};
        devices.start();
        QCOMPARE(runCli({"read", "--type", "5", "-o", path("read.tkx")}, devices.portList()).status,
                 0);
        QVERIFY(writeBytes(path("data/Brovenik/Talvaro/Verlauf") +
                               "/20000101-000000000-1-000000001.json",
                           "{ kaputt"));

        const CliResult list = runCli({"history"});
        QCOMPARE(list.status, 0);
        QCOMPARE(list.out.count('\n'), 2);
        QVERIFY(list.out.contains("beschädigt"));
        QVERIFY(list.out.contains("Ausgelesen"));
        const CliResult exported =
            runCli({"history", "export", "20000101-000000000-1-000000001", "-o", path("x.tkx")});
        QCOMPARE(exported.status, 1);
        QVERIFY(exported.err.contains("beschädigt"));
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QJsonArray listed(const QStringList& extra = {}) {
        const CliResult result = runCli(QStringList{"history", "--json"} + extra);
        if (result.status != 0)
            return {};
        return QJsonDocument::fromJson(result.out.toUtf8()).array();
    }
    QString makeFile(int rings, const QString& name) {
        ReferenceEditor editor(5);
        editor.host.model().setValue("LMDSpinEditAnzahlRufe", rings);
        writeBytes(path(name), editor.encoded());
        return path(name);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCliHistory)
#include "test_cli_history.moc"
