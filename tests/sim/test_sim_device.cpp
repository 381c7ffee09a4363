// The simulated device's side of the protocol, where it must catch the tool's faults.
#include "model/ImageBuffers.h"
#include "sim/SimDevice.h"

#include <QTest>

using namespace talvaro;
using talvaro::sim::SimDevice;

class TestSimDevice : public QObject {
    Q_OBJECT

    static QByteArray ack(int n) { return QByteArray(n, SimDevice::Ack); }

private slots:
    void writeWithWrongChecksumIsRefusedAndDropped();
    void transfersOutsideTheImageAreRefused();
    void commandsSplitAcrossChunksAndNoise();
    void loaderHandsOverToItsHandler();
};

void TestSimDevice::writeWithWrongChecksumIsRefusedAndDropped() {
    SimDevice device(0);
    const QByteArray before = device.image();
    const QByteArray data(60, '\x11');
    QCOMPARE(device.receive("W0000,3c\r"), ack(1));
    QCOMPARE(device.receive(data), ack(60));
    QCOMPARE(device.receive(QByteArray(1, static_cast<char>(imageChecksum(data) + 1))),
             QByteArray(1, SimDevice::Nak));
    QCOMPARE(device.image(), before);
    QCOMPARE(device.writesCompleted(), 0);
    // Back in command mode: the next question is answered.
    QCOMPARE(device.receive("T\r"), QByteArray("Vorda 12\r\n"));
}

void TestSimDevice::transfersOutsideTheImageAreRefused() {
    SimDevice device(0);
    QCOMPARE(device.receive("W0000,4c\r"), QByteArray(1, SimDevice::Nak)); // 76 > 60
    QCOMPARE(device.receive("R0000,4c\r"), QByteArray());
    const QByteArray part = device.receive("R0038,04\r");
    QCOMPARE(part, device.image().mid(0x38, 4) + char(imageChecksum(device.image().mid(0x38, 4))));
}

void TestSimDevice::commandsSplitAcrossChunksAndNoise() {
    SimDevice device(7);
    QCOMPARE(device.receive("\nT"), QByteArray());
    QCOMPARE(device.receive("\r"), QByteArray("Quenta 26x\r\n"));
    QCOMPARE(device.receive(QByteArray(100, 'x') + "\rV\r"), QByteArray("2.04\r\n"));
}

void TestSimDevice::loaderHandsOverToItsHandler() {
    SimDevice device(6);
    device.setLoaderHandler([](const QByteArray& bytes) { return bytes.toUpper(); });
    QCOMPARE(device.receive("U\r"), QByteArray("\xa7"));
    QCOMPARE(device.receive("x<"), QByteArray("L")); // anything before "<" is ignored
    QVERIFY(device.inLoader());
    QCOMPARE(device.receive("ab"), QByteArray("AB"));
}

QTEST_GUILESS_MAIN(TestSimDevice)
#include "test_sim_device.moc"
