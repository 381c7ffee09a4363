#include "link/PortDiagnosis.h"
#include "link/SupportReport.h"

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
    return {{PortState{{1, "/dev/ttyUSB0"}, {}, {}, {held}}}, {}};
}

} // namespace

// The report for support: every section there, and nothing from outside them.
class TestSupportReport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void holdsEachSectionAndNothingElse();
    void tellsHowToSwitchTheTraceOn();

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
    QVERIFY(report.contains("COM1\t/dev/ttyUSB0\tfrei\n"));
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
    QVERIFY(!report.contains("ALTE"));
    QVERIFY(report.contains("COM = (nicht gesetzt)"));
    QVERIFY(report.contains("In dieser Sitzung wurde keine Telefonanlage gefunden."));
    QVERIFY(!report.contains("== Verlauf =="));
}

QTEST_GUILESS_MAIN(TestSupportReport)
#include "test_support_report.moc"
