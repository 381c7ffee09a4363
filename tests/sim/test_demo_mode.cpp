// Demo mode: the arguments it takes, and the simulated device it puts behind COM1.
#include "link/PortMap.h"
#include "sim/DemoMode.h"

#include <QDir>

#include <QSerialPort>
#include <QTest>

using namespace talvaro;

namespace {

// Asks the device on `path` one question and returns the answer line.
QByteArray ask(const QString& path, const QByteArray& question) {
    QSerialPort port;
    port.setPortName(path);
    if (!port.open(QIODevice::ReadWrite))
        return {};
    port.write(question);
    port.waitForBytesWritten(1000);
    QByteArray answer;
    while (!answer.endsWith("\r\n") && port.waitForReadyRead(1000))
        answer += port.readAll();
    return answer;
}

} // namespace

class TestDemoMode : public QObject {
    Q_OBJECT
private slots:
    void arguments_data();
    void arguments();
    void deviceAnswersBehindCom1();
};

void TestDemoMode::arguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("type");
    QTest::newRow("no demo") << QStringList{"talvaro", "--type", "6"} << 0 << 5;
    QTest::newRow("default type") << QStringList{"talvaro", "--demo"} << 1 << 5;
    QTest::newRow("sibling type") << QStringList{"talvaro", "--demo", "--type", "7"} << 1 << 7;
    // The window edits the six-extension models only: it would never find these.
    QTest::newRow("four extensions") << QStringList{"talvaro", "--demo", "--type", "2"} << 2 << 2;
    QTest::newRow("beyond the types") << QStringList{"talvaro", "--demo", "--type", "8"} << 2 << 8;
    QTest::newRow("type missing") << QStringList{"talvaro", "--demo", "--type"} << 2 << 0;
}

void TestDemoMode::arguments() {
    QFETCH(QStringList, args);
    QFETCH(int, request);
    QFETCH(int, type);
    DemoMode demo;
    QCOMPARE(static_cast<int>(demo.parse(args)), request);
    QCOMPARE(demo.deviceType(), DeviceType(type));
}

void TestDemoMode::deviceAnswersBehindCom1() {
    DemoMode demo;
    QVERIFY(demo.startIfRequested({"talvaro", "--demo", "--type", "6"}));
    const PortMap ports = demo.ports().current();
    QCOMPARE(ports.path(1), demo.portPath());
    QVERIFY(ports.path(2).isEmpty()); // no other port is searched
    QCOMPARE(ask(ports.path(1), "T\r"), QByteArray("Quenta 26\r\n"));
    QVERIFY(QDir(demo.historyFolder()).exists()); // the user's own history stays out
    // The loader is there for the firmware update: it answers the wake-up.
    QSerialPort port;
    port.setPortName(demo.portPath());
    QVERIFY(port.open(QIODevice::ReadWrite));
    port.write("U\r");
    QVERIFY(port.waitForReadyRead(1000));
    QCOMPARE(port.readAll(), QByteArray(1, deviceProfile(6).loaderTypeByte));
    QVERIFY(demo.firmwareFile().endsWith("demo-typ6.efw"));
}

QTEST_GUILESS_MAIN(TestDemoMode)
#include "test_demo_mode.moc"
