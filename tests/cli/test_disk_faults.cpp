// Writes onto a full or read-only disk: a clear message, a failure status, the old file
// untouched and nothing half-written left behind.
#include "CliRunner.h"
#include "ScriptedDialogs.h"
#include "TinyDisk.h"
#include "link/TraceLog.h"
#include "model/ConfigFile.h"

#include <QTest>

using namespace talvaro;

namespace {

const QByteArray OldContent(60, '\x33');

enum class Fault { Full, ReadOnly };

// A disk holding "anlage.tkx" with the old content, then made full or read-only.
bool prepare(TinyDisk& disk, Fault fault) {
    if (!writeBytes(disk.filePath(QStringLiteral("anlage.tkx")), OldContent))
        return false;
    return fault == Fault::Full ? disk.fill() : disk.makeReadOnly();
}

QStringList leftBehind(const TinyDisk& disk) {
    QStringList names = disk.entries();
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

} // namespace

class TestDiskFaults : public QObject {
    Q_OBJECT
private slots:
    void saveKeepsTheOldFile_data();
    void saveKeepsTheOldFile();
    void commandLineReportsTheFailure_data();
    void commandLineReportsTheFailure();
    void traceKeepsItsLinesOnAFullDisk();
};

void TestDiskFaults::saveKeepsTheOldFile_data() {
    QTest::addColumn<Fault>("fault");
    QTest::newRow("full") << Fault::Full;
    QTest::newRow("read-only") << Fault::ReadOnly;
}

void TestDiskFaults::saveKeepsTheOldFile() {
    QFETCH(Fault, fault);
    TinyDisk disk;
    if (!disk.mounted())
        QSKIP("cannot mount a small file system here");
    QVERIFY(prepare(disk, fault));
    ScriptedDialogs dialogs;
    dialogs.answerAnyWith(DialogResult::Ok);
    const QString path = disk.filePath(QStringLiteral("anlage.tkx"));
    QVERIFY(!writeConfigurationFile(
        path, [] { return QByteArray(60, '\x44'); }, SaveAsFailedLine, dialogs));
    QCOMPARE(dialogs.shown.size(), 1);
    QVERIFY(!dialogs.shown.first().lines.join(QString()).isEmpty());
    QCOMPARE(fileBytes(path), OldContent);
    QCOMPARE(leftBehind(disk), QStringList{"anlage.tkx"});
}

void TestDiskFaults::commandLineReportsTheFailure_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("command");
    QTest::newRow("new, full") << Fault::Full << "new";
    QTest::newRow("new, read-only") << Fault::ReadOnly << "new";
    QTest::newRow("report, full") << Fault::Full << "report";
    QTest::newRow("report, read-only") << Fault::ReadOnly << "report";
}

void TestDiskFaults::commandLineReportsTheFailure() {
    QFETCH(Fault, fault);
    QFETCH(QString, command);
    QTemporaryDir source;
    const QString input = source.filePath(QStringLiteral("quelle.tkx"));
    QVERIFY(writeBytes(input, QByteArray(76, '\0')));
    TinyDisk disk;
    if (!disk.mounted())
        QSKIP("cannot mount a small file system here");
    QVERIFY(prepare(disk, fault));
    const QString target = disk.filePath(command == "new" ? "neu.tkx" : "bericht.pdf");
    const QStringList args = command == "new"
                                 ? QStringList{"new", "--type", "5", "-o", target}
                                 : QStringList{"report", "--type", "5", input, "--pdf", target};
    const CliResult result = runCli(args);
    QVERIFY2(result.status == 1, qPrintable(result.err));
    QVERIFY(!result.err.trimmed().isEmpty());
    QCOMPARE(leftBehind(disk), QStringList{"anlage.tkx"});
}

// The trace of a session is not lost when the disk is full: it stays for the next append.
void TestDiskFaults::traceKeepsItsLinesOnAFullDisk() {
    TinyDisk disk;
    if (!disk.mounted())
        QSKIP("cannot mount a small file system here");
    TraceLog trace;
    trace.setFileName(disk.filePath(QStringLiteral("ComLog.log")));
    trace.start();
    trace.record(TraceLog::Direction::Sent, QByteArray(400, 'T'));
    QVERIFY(disk.fill());
    QVERIFY(!trace.append());
    QVERIFY(trace.text().contains(QStringLiteral("54 54")));
}

QTEST_GUILESS_MAIN(TestDiskFaults)
#include "test_disk_faults.moc"
