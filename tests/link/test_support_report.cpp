#include "link/PortDiagnosis.h"
#include "link/SupportReport.h"
#include "link/TraceLog.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace talvaro;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// One port held by another program: the port section's content.
Diagnosis oneHeldPort() {
    PortFinding held;
    held.cause = PortFinding::Cause::HeldBy;
    held.number = 1;
    held.path = "/dev/ttyUSB0";
    held.holder = {1234, "minicom"};
    return {{PortState{{1, "/dev/ttyUSB0"}, {}, {}, {}, false, {held}}}, {}};
}

// A record of a trace written before rows had marks.
QString unmarkedRow(const char* time, const char* label, const QByteArray& bytes) {
    return QStringLiteral("2026-12-09 10:00:00.%1 %2 ").arg(time, label) +
           TraceLog::hexDump(bytes).join("\n" + QString(37, ' '));
}

} // namespace

// The report for support: every section there, and nothing from outside them.
class TestSupportReport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void holdsEachSectionAndNothingElse();
    void tellsHowToSwitchTheTraceOn();
    void traceLeavesOutConfigurations();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSupportReport::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->path() + "/user");
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir->path() + "/sys");
}

void TestSupportReport::holdsEachSectionAndNothingElse() {
    writeFile(m_dir->path() + "/user/Brovenik/Talvaro.conf",
              "[General]\nWorkDir=/daten/anlagen/\ncom=3\nComLogging=1\nGeheimnis=Kennwort42\n");
    // More trace than the report takes: the oldest part stays out.
    const QString trace = m_dir->path() + "/ComLog.log";
    QByteArray traffic = "ANFANG der Aufzeichnung\n";
    while (traffic.size() < 2 * SupportTraceBytes)
        traffic += "2026-12-09 10:00:00.000 PC -> Anlage 54 0D  T.\n";
    traffic += "ENDE der Aufzeichnung\n";
    writeFile(trace, traffic);

    const SupportFacts facts{"talvaro", "Quenta 26 - Firmware 2.07",
                             3,         true,
                             trace,     {"2026-12-09 10:02:00", "2026-12-08 17:45:12"}};
    const QString report = supportReport(facts, oneHeldPort());

    for (const char* section :
         {"== Programm ==", "== System ==", "== Serielle Anschlüsse ==", "== Einstellungen ==",
          "== Telefonanlage ==", "== Verlauf ==", "== Serielles Protokoll =="})
        QVERIFY2(report.contains(QString::fromUtf8(section)), section);
    QVERIFY(report.contains("talvaro " + QString(TALVARO_VERSION_CHECK)));
    QVERIFY(report.contains("Qt " + QString::fromLatin1(qVersion())));
    QVERIFY(report.contains("COM1\t/dev/ttyUSB0\tbelegt\n")); // never "frei" beside "belegt"
    QVERIFY(report.contains("ist belegt von minicom (PID 1234)"));
    QVERIFY(report.contains("WorkDir = /daten/anlagen/\nCOM = 3\nComLogging = 1\n"));
    QVERIFY(report.contains("Quenta 26 - Firmware 2.07 an COM3\n"));
    QVERIFY(report.contains("Die letzten Einträge:\n2026-12-09 10:02:00\n2026-12-08 17:45:12\n"));
    QVERIFY(report.endsWith("ENDE der Aufzeichnung\n"));

    QVERIFY(!report.contains("Geheimnis"));
    QVERIFY(!report.contains("Kennwort42"));
    QVERIFY(!report.contains("ANFANG"));
    const qsizetype traceStart = report.indexOf("Die letzten 64 KB");
    QVERIFY(traceStart > 0);
    const QString tail = report.mid(report.indexOf('\n', traceStart) + 1);
    QVERIFY(tail.toUtf8().size() <= SupportTraceBytes);
    QVERIFY(tail.toUtf8().size() > SupportTraceBytes - 100); // only the cut line is lost
}

void TestSupportReport::tellsHowToSwitchTheTraceOn() {
    const QString trace = m_dir->path() + "/ComLog.log";
    writeFile(trace, "ALTE Aufzeichnung\n");
    const QString report = supportReport({"talvaro-cli", {}, 0, false, trace, {}}, {{}, {}});
    QVERIFY(report.contains("Das serielle Protokoll ist ausgeschaltet."));
    QVERIFY(report.contains("talvaro --trace"));
    QVERIFY(report.contains("ComLogging=1"));
    QVERIFY(report.contains("ALTE Aufzeichnung")); // a trace on disk goes in all the same
    QVERIFY(report.contains("COM = (nicht gesetzt)"));
    QVERIFY(report.contains("In dieser Sitzung wurde keine Telefonanlage gefunden."));
    QVERIFY(!report.contains("== Verlauf =="));
}

void TestSupportReport::traceLeavesOutConfigurations() {
    const QByteArray image = QByteArray(60, '\x11') + "\x03\x09\x02\x07" + QByteArray(13, 'A');
    TraceLog trace;
    trace.start();
    trace.record(TraceLog::Direction::Sent, "R0000,4c\r");
    trace.incomingIsPayload();
    trace.record(TraceLog::Direction::Received, image.left(70));
    trace.record(TraceLog::Direction::Discarded, image.mid(70)); // the window was closed
    trace.record(TraceLog::Direction::Sent, "W0000,4c\r");
    trace.record(TraceLog::Direction::Received, "\x06");
    trace.nextSentIsPayload();
    trace.record(TraceLog::Direction::Sent, image.left(1));
    trace.record(TraceLog::Direction::Received, "\x06");
    const QStringList marked = TraceLog::withoutConfigurations(trace.text()).split('\n');
    QCOMPARE(marked.size(), 7);
    QVERIFY(marked[0].endsWith("- PC -> Anlage 52 30 30 30 30 2C 34 63 0D" + QString(23, ' ') +
                               "R0000,4c."));
    QVERIFY(marked[1].endsWith(" K Anlage -> PC [70 Byte Konfiguration ausgelassen]"));
    QVERIFY(marked[2].endsWith(" K verworfen    [7 Byte Konfiguration ausgelassen]"));
    QVERIFY(marked[3].contains("- PC -> Anlage 57 30"));
    QVERIFY(marked[4].endsWith(" - Anlage -> PC 06" + QString(47, ' ') + '.'));
    QVERIFY(marked[5].endsWith(" K PC -> Anlage [1 Byte Konfiguration ausgelassen]"));

    // Without marks: every record of more than two bytes, and all from a long command to
    // the next short one; a row whose record was cut off stays out too.
    const QStringList unmarked{
        QString(37, ' ') + TraceLog::hexDump("\x03\x09\x02").first(),
        unmarkedRow("000", "PC -> Anlage", "T\r"),
        unmarkedRow("100", "Anlage -> PC", "Quenta 26\r\n"),
        unmarkedRow("200", "PC -> Anlage", "W0000,4c\r"),
        unmarkedRow("210", "Anlage -> PC", "\x06"),
        unmarkedRow("220", "PC -> Anlage", "\x03"),
        unmarkedRow("230", "PC -> Anlage", "V\r"),
        unmarkedRow("240", "PC -> Anlage", "<"),
        unmarkedRow("300", "PC -> Anlage", image.left(20)),
        "2026-12-09 10:00:00.400 COM1 geschlossen",
    };
    const QStringList expected{
        "[3 Byte ausgelassen]",
        unmarked[1],
        "2026-12-09 10:00:00.100 Anlage -> PC [11 Byte ausgelassen]",
        "2026-12-09 10:00:00.200 PC -> Anlage [9 Byte ausgelassen]",
        "2026-12-09 10:00:00.210 Anlage -> PC [1 Byte ausgelassen]",
        "2026-12-09 10:00:00.220 PC -> Anlage [1 Byte ausgelassen]",
        unmarked[6],
        unmarked[7],
        "2026-12-09 10:00:00.300 PC -> Anlage [20 Byte ausgelassen]",
        unmarked[9],
    };
    QCOMPARE(TraceLog::withoutConfigurations(unmarked.join('\n')).split('\n'), expected);
}

QTEST_GUILESS_MAIN(TestSupportReport)
#include "test_support_report.moc"
