// talvaro-cli's configuration history: what read and program leave in it, two processes
// at once, and the history commands.
#include "CliRunner.h"
#include "SimulatedPorts.h"
#include "history/HistoryStore.h"

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

        const QJsonArray entries = listed(); // each: read, backup, programmed
        QCOMPARE(entries.size(), 6);
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

        // Newest first: programmed nine, its backup and the read before it, programmed
        // seven, its backup and the read of the original.
        const QJsonArray entries = listed({"--type", "5"});
        QCOMPARE(entries.size(), 6);
        QVERIFY(listed({"--type", "3"}).isEmpty());
        const QString programmedSeven = idOf(entries[3]);
        const QString programmedNine = idOf(entries[0]);
        QCOMPARE(entries[3]["action"].toString(), QStringLiteral("Programmiert"));

        QCOMPARE(runCli({"history", "export", programmedSeven, "-o", path("out.tkx")}).status, 0);
        QCOMPARE(fileBytes(path("out.tkx")), sevenOnDevice);
        QCOMPARE(runCli({"history", "export", "gibt-es-nicht", "-o", path("x.tkx")}).status, 1);
        QCOMPARE(runCli({"history", "export", "999", "-o", path("x.tkx")}).status, 1);

        QCOMPARE(runCli({"history", "diff", programmedSeven, seven, "--type", "5"}).status, 0);
        // Entries have their own type; --type is for a file only.
        const CliResult entryToEntry = runCli({"history", "diff", programmedSeven, programmedNine});
        QCOMPARE(entryToEntry.status, 1);
        // The same lines "diff" prints for the two files.
        QCOMPARE(entryToEntry.out, runCli({"diff", seven, nine, "--type", "5"}).out);
        QVERIFY(entryToEntry.out.contains("- ") && entryToEntry.out.contains("+ "));
        // With one entry: from the entry of that device before it (the read of seven) to it.
        QCOMPARE(runCli({"history", "diff", programmedNine}).out, entryToEntry.out);
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
        QCOMPARE(runCli({"history", "export", idOf(entries[1]), "-o", path("old.tkx")}).status, 0);
        QCOMPARE(fileBytes(path("old.tkx")), before);
    }

    void historyDiffReadsEachEntryUnderItsOwnType() {
        const QString five = makeFile(7, "five.tkx");
        const QString seven = makeFile(9, "seven.tkx", 7);
        HistoryStore store(HistoryStore::defaultLocation());
        const auto add = [&](DeviceType type, const QString& file) {
            const auto entry =
                store.add({"Ausgelesen", type, "TK", "1.0", "COM1"}, fileBytes(file));
            return entry ? QString::number(entry->id) : QString();
        };
        const QString a = add(5, five);
        const QString b = add(7, seven);
        const QString four = add(0, makeFile(7, "four.tkx", 0));

        // Both under the first entry's type: type 7 has no switching time to compare.
        const CliResult ab = runCli({"history", "diff", a, b});
        QCOMPARE(ab.status, 1);
        QCOMPARE(ab.out, runCli({"diff", five, seven, "--type", "5"}).out);
        QVERIFY(ab.out.contains("Kontaktschaltzeit"));
        const CliResult ba = runCli({"history", "diff", b, a});
        QCOMPARE(ba.out, runCli({"diff", seven, five, "--type", "7"}).out);
        QVERIFY(!ba.out.contains("Kontaktschaltzeit"));
        const CliResult families = runCli({"history", "diff", a, four});
        QCOMPARE(families.status, 2);
        QVERIFY2(families.err.contains("verschiedenen Gerätefamilien"), qPrintable(families.err));
        QCOMPARE(runCli({"history", "diff", a, five}).status, 2);
        QCOMPARE(runCli({"history", "diff", a, five, "--type", "5"}).status, 0);
    }

    void notesDamageAndADamagedFile() {
        const QString data = path("data/Brovenik/Talvaro");
        QVERIFY(QDir().mkpath(data));
        QVERIFY(writeBytes(data + "/Verlauf.sqlite", "kein SQLite"));
        const CliResult empty = runCli({"history"});
        QCOMPARE(empty.status, 0);
        const QStringList aside = QDir(data).entryList({"Verlauf-beschädigt-*.sqlite"});
        QCOMPARE(aside.size(), 1);
        QVERIFY2(empty.err.contains(aside.first()), qPrintable(empty.err));
        QCOMPARE(fileBytes(data + "/" + aside.first()), QByteArray("kein SQLite"));

        // Metadata saying type 0 over a 76-byte image: listed as damaged, never exported.
        HistoryStore store(HistoryStore::defaultLocation());
        const auto wrong = store.add({"Ausgelesen", 0, "TK", "1.0", "COM1"}, QByteArray(76, 1));
        QVERIFY(wrong);
        const QString id = QString::number(wrong->id);
        const QString note = QStringLiteral("Meier \"Nord\" GmbH \\ Lager");
        QCOMPARE(runCli({"history", "note", id, note}).status, 0);
        QCOMPARE(runCli({"history", "note", "999", "niemand"}).status, 1);
        const CliResult list = runCli({"history"});
        QVERIFY(list.out.contains("beschädigt") && list.out.contains(note));
        QCOMPARE(listed().first()["note"].toString(), note);
        QVERIFY(listed().first()["damaged"].toString().contains("Gerätetyp 0"));
        const CliResult exported = runCli({"history", "export", id, "-o", path("x.tkx")});
        QCOMPARE(exported.status, 1);
        QVERIFY(exported.err.contains("beschädigt"));
        QVERIFY(!QFile::exists(path("x.tkx")));
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QJsonArray listed(const QStringList& extra = {}) {
        const CliResult result = runCli(QStringList{"history", "--json"} + extra);
        if (result.status != 0)
            return {};
        return QJsonDocument::fromJson(result.out.toUtf8()).array();
    }
    static QString idOf(const QJsonValue& entry) {
        return QString::number(entry["id"].toInteger());
    }
    QString makeFile(int rings, const QString& name, DeviceType type = 5) {
        ReferenceEditor editor(type);
        editor.host.model().setValue("LMDSpinEditAnzahlRufe", rings);
        writeBytes(path(name), editor.encoded());
        return path(name);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCliHistory)
#include "test_cli_history.moc"
