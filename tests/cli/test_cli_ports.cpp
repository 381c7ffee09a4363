// talvaro-cli on the ports: the list with its diagnosis, the failed search, the support
// report and the trace on request.
#include "CliRunner.h"
#include "SimulatedPorts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pty.h>
#include <unistd.h>

using namespace talvaro;

namespace {

// Readable and writable by the owner (who runs the test) and nobody else.
const QFile::Permissions OwnerOnly =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

const QString NoPortLine =
    QStringLiteral("Kein serieller Anschluss gefunden. Ist der USB-Adapter eingesteckt?");

// A pseudo-terminal whose slave side only a child process ("sleep") holds open.
struct HeldPty {
    HeldPty() {
        char name[128] = {};
        int slave = -1;
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        ::close(slave);
        path = QString::fromLocal8Bit(name);
        holder.start("sh", {"-c", "exec sleep 60 < " + path});
    }
    ~HeldPty() {
        holder.kill();
        holder.waitForFinished();
        ::close(master);
    }
    qint64 pid() const { return holder.processId(); }
    // The child has the slave on its standard input.
    bool held() const {
        return QFile::symLinkTarget(QStringLiteral("/proc/%1/fd/0").arg(pid())) == path;
    }

    int master = -1;
    QString path;
    QProcess holder;
};

} // namespace

class TestCliPorts : public QObject {
    Q_OBJECT
private slots:
    void init();
    void portsNameTheProgramHoldingThePort();
    void noPortAtAll();
    void supportReportHoldsItsSections();
    void traceAndReportOfAFoundDevice();
    void watchNamesPortsThatComeAndGo();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliPorts::init() {
    // The tool's settings and trace stay in the test's own folder.
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", (m_dir->path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (m_dir->path() + "/data").toLocal8Bit());
    qputenv("HOME", m_dir->path().toLocal8Bit());
}

void TestCliPorts::portsNameTheProgramHoldingThePort() {
    HeldPty pty;
    QVERIFY(!pty.path.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(pty.held(), 10000);

    const CliResult text = runCli({"ports"}, pty.path);
    QCOMPARE(text.status, 0);
    const QStringList lines = text.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), "COM1\t" + pty.path + "\tbelegt");
    QVERIFY2(lines.contains(QStringLiteral("\tCOM1 (%1) ist belegt von sleep (PID %2): beenden "
                                           "Sie dieses Programm.")
                                .arg(pty.path)
                                .arg(pty.pid())),
             qPrintable(text.out));

    const CliResult json = runCli({"ports", "--json"}, pty.path);
    QCOMPARE(json.status, 0);
    const QJsonObject port =
        QJsonDocument::fromJson(json.out.toUtf8()).object()["ports"].toArray()[0].toObject();
    QCOMPARE(port["com"].toInt(), 1);
    QCOMPARE(port["path"].toString(), pty.path);
    QVERIFY(!port["available"].toBool());
    const QJsonObject finding = port["findings"].toArray()[0].toObject();
    QCOMPARE(finding["cause"].toString(), "heldBy");
    QCOMPARE(finding["program"].toString(), "sleep");
    QCOMPARE(finding["pid"].toInteger(), pty.pid());
}

void TestCliPorts::noPortAtAll() {
    const CliResult text = runCli({"ports"}, "");
    QCOMPARE(text.status, 0);
    QVERIFY2(text.out.contains(NoPortLine + "\n"), qPrintable(text.out));
    QVERIFY(!text.out.contains("COM1"));

    const CliResult json = runCli({"ports", "--json"}, "");
    const QJsonObject list = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QVERIFY(list["ports"].toArray().isEmpty());
    QCOMPARE(list["findings"].toArray()[0].toObject()["cause"].toString(), "noSerialPort");

    // The failed search says the same.
    const CliResult read = runCli({"read", "--type", "6", "-o", m_dir->filePath("x.tkx")}, "");
    QCOMPARE(read.status, 1);
    QVERIFY2(read.err.contains(NoPortLine), qPrintable(read.err));
}

void TestCliPorts::supportReportHoldsItsSections() {
    QDir().mkpath(m_dir->path() + "/config/Brovenik");
    QVERIFY(writeBytes(m_dir->path() + "/config/Brovenik/Talvaro.conf",
                       "[General]\nCOM=2\nFremd=nicht-fuer-den-Support\n"));
    QDir().mkpath(m_dir->path() + "/data/Brovenik/Talvaro");
    QVERIFY(writeBytes(m_dir->path() + "/data/Brovenik/Talvaro/ComLog.log", "T\\r gesendet\n"));
    const QString file = m_dir->filePath("bericht.txt");
    const CliResult result = runCli({"support-report", "-o", file}, "");
    QCOMPARE(result.status, 0);
    const QString report = QString::fromUtf8(fileBytes(file));
    QVERIFY(report.startsWith("Talvaro Fehlerbericht"));
    QVERIFY(report.contains("talvaro-cli 1."));
    QVERIFY(report.contains(NoPortLine));
    QVERIFY(report.contains("COM = 2\n"));
    QVERIFY(!report.contains("nicht-fuer-den-Support"));
    QVERIFY(report.contains("T\\r gesendet\n"));

    const CliResult refused = runCli({"support-report", "-o", m_dir->filePath("no/such/dir")}, "");
    QCOMPARE(refused.status, 1);
    QVERIFY(refused.err.contains("no/such/dir"));
}

// The device holds the remote-control PIN 3927: its bytes travel in the image read,
// are in the trace, and stay out of the report.
void TestCliPorts::traceAndReportOfAFoundDevice() {
    SimulatedPorts devices{6};
    const QByteArray pin("\x03\x09\x02\x07");
    devices.at(1).withDevice([&](sim::SimDevice& d) {
        QByteArray image = d.image();
        image.replace(64, pin.size(), pin);
        d.setImage(image);
    });
    devices.start();
    const CliResult result = runCli(
        {"read", "--type", "6", "--trace", "-o", m_dir->filePath("x.tkx")}, devices.portList());
    QCOMPARE(result.status, 0);
    const QString trace = m_dir->path() + "/data/Brovenik/Talvaro/ComLog.log";
    QVERIFY(result.err.contains("Serielles Protokoll: " + trace));
    const QString traffic = QString::fromUtf8(fileBytes(trace));
    QVERIFY2(traffic.contains("COM1 geöffnet (" + devices.paths[0] + ")"), qPrintable(traffic));
    QVERIFY(traffic.contains("PC -> Anlage 54 0D"));
    QVERIFY(traffic.contains("K Anlage -> PC"));
    QCOMPARE(QFile::permissions(trace) & 0x7777, OwnerOnly);

    // The report searches the device first and names it.
    const QString file = m_dir->filePath("bericht.txt");
    QVERIFY(writeBytes(file, "older report\n"));
    QVERIFY(QFile::setPermissions(file, QFile::permissions(file) | QFile::ReadOther));
    QCOMPARE(runCli({"support-report", "--type", "6", "-o", file}, devices.portList()).status, 0);
    const QString report = QString::fromUtf8(fileBytes(file));
    QVERIFY2(report.contains(QRegularExpression("Quenta 26 - Firmware \\S+ an COM1\\n")),
             qPrintable(report));
    QVERIFY(report.contains("Byte Konfiguration ausgelassen]"));
    QVERIFY(report.contains("Die letzten 64 KB von ~/data/Brovenik/Talvaro/ComLog.log"));
    QVERIFY(!report.contains(m_dir->path()));
    // No four bytes of the image in a row.
    const QString image = QString::fromLatin1(devices.image(1).toHex(' ').toUpper());
    for (qsizetype i = 0; i + 11 <= image.size(); i += 3)
        QVERIFY2(!report.contains(image.mid(i, 11)), qPrintable(image.mid(i, 11)));
    QCOMPARE(QFile::permissions(file) & 0x7777, OwnerOnly);

    QCOMPARE(runCli({"support-report", "--type", "9", "-o", file}, "").status, 2);
}

// A port of the port map that appears is named once it has settled, one that goes at
// once; SIGTERM ends the watch with status 0.
void TestCliPorts::watchNamesPortsThatComeAndGo() {
    const QString port = m_dir->filePath("ports/adapter");
    QDir().mkpath(QFileInfo(port).path());
    QProcess watch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TALVARO_PORTS", port);
    watch.setProcessEnvironment(env);
    watch.start(TALVARO_CLI_PATH, {"ports", "--watch"});
    QString err;
    QTRY_VERIFY_WITH_TIMEOUT((err += watch.readAllStandardError()).contains("Strg+C"), 10000);

    QVERIFY(writeBytes(port, {}));
    QString out;
    QTRY_VERIFY_WITH_TIMEOUT((out += watch.readAllStandardOutput()).contains("angeschlossen"),
                             10000);
    QVERIFY2(out.contains(" angeschlossen: COM1 " + port + "\t"), qPrintable(out));
    QVERIFY(QFile::remove(port));
    QTRY_VERIFY_WITH_TIMEOUT((out += watch.readAllStandardOutput()).contains("entfernt"), 10000);
    QVERIFY2(out.contains(" entfernt: " + port + "\n"), qPrintable(out));

    watch.terminate();
    QVERIFY(watch.waitForFinished(10000));
    QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
    QCOMPARE(watch.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestCliPorts)
#include "test_cli_ports.moc"
