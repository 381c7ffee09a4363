// The simulated device's firmware loader: record framing, replies, faults, and the
// return to the command protocol once the loader has gone quiet.
#include "sim/LoaderHandler.h"

#include "firmware/Crc16.h"

#include <QTest>

using namespace talvaro;
using namespace talvaro::sim;
using namespace std::chrono_literals;

namespace {

const QByteArray Accept(1, LoaderReception::AcceptByte);
const QByteArray Refuse(1, LoaderReception::RefuseByte);

// A record of `blocks` cipher blocks filled with `fill`, with its length field and CRC.
QByteArray record(char fill, int blocks = 1) {
    const QByteArray cipher(blocks * 16, fill);
    const quint16 crc =
        crc16Umts(reinterpret_cast<const quint8*>(cipher.constData()), cipher.size());
    const int length = cipher.size() + 2;
    QByteArray r;
    r.append(char(length >> 8)).append(char(length)).append(cipher);
    return r.append(char(crc >> 8)).append(char(crc));
}

// Feeds bytes one at a time, as the device hands them over; every reply in order.
QByteArray feed(LoaderReception& loader, const QByteArray& bytes) {
    QByteArray replies;
    for (const char b : bytes)
        replies += loader.receive(b);
    return replies;
}

} // namespace

class TestSimLoader : public QObject {
    Q_OBJECT
private slots:
    void answersOnlyWholeRecords();
    void wrongCrcIsRefused();
    void impossibleLengthIsRefusedAtOnce_data();
    void impossibleLengthIsRefusedAtOnce();
    void refusesOneRecordSoManyTimes();
    void fallsSilentAfterRecord();
    void deviceComesBackAfterQuietLoader();
};

void TestSimLoader::answersOnlyWholeRecords() {
    LoaderReception loader;
    const QByteArray first = record('a', 17); // the largest the record buffer takes
    QCOMPARE(feed(loader, first.left(first.size() - 1)), QByteArray());
    QCOMPARE(loader.receive(first.back()), Accept);
    const QByteArray two = record('b') + record('c', 2);
    QCOMPARE(feed(loader, two), Accept + Accept);
    QCOMPARE(loader.recordsAccepted(), 3);
    QCOMPARE(loader.acceptedStream(), first + two);
}

void TestSimLoader::wrongCrcIsRefused() {
    LoaderReception loader;
    QByteArray damaged = record('a', 3);
    damaged[20] = char(damaged[20] ^ 0x01);
    QCOMPARE(feed(loader, damaged), Refuse);
    QCOMPARE(feed(loader, record('a', 3)), Accept);
    QCOMPARE(loader.recordsReceived(), 2);
    QCOMPARE(loader.recordsAccepted(), 1);
    QCOMPARE(loader.acceptedStream(), record('a', 3));
}

void TestSimLoader::impossibleLengthIsRefusedAtOnce_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("zero") << QByteArray("\x00\x00", 2);
    QTest::newRow("CRC only") << QByteArray("\x00\x02", 2);
    QTest::newRow("part block") << QByteArray("\x00\x13", 2);
    QTest::newRow("18 blocks") << QByteArray("\x01\x22", 2);
    QTest::newRow("a command") << QByteArray("T\r");
}

void TestSimLoader::impossibleLengthIsRefusedAtOnce() {
    QFETCH(QByteArray, header);
    LoaderReception loader;
    QCOMPARE(feed(loader, header), Refuse);
    // The next bytes are a length field again.
    QCOMPARE(feed(loader, record('x')), Accept);
    QCOMPARE(loader.recordsAccepted(), 1);
}

void TestSimLoader::refusesOneRecordSoManyTimes() {
    LoaderReception loader({2, 3, -1});
    QCOMPARE(feed(loader, record('1')), Accept);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(feed(loader, record('2')), Refuse);
    QCOMPARE(feed(loader, record('2')), Accept);
    QCOMPARE(feed(loader, record('3')), Accept); // the fault is spent
    QCOMPARE(loader.recordsReceived(), 6);
    QCOMPARE(loader.acceptedStream(), record('1') + record('2') + record('3'));
}

void TestSimLoader::fallsSilentAfterRecord() {
    LoaderReception loader({0, 0, 1});
    QCOMPARE(feed(loader, record('1')), Accept);
    QCOMPARE(feed(loader, record('2')), QByteArray());
    QCOMPARE(feed(loader, record('2')), QByteArray());
    QCOMPARE(loader.recordsReceived(), 3);
    QCOMPARE(loader.recordsAccepted(), 1);
}

void TestSimLoader::deviceComesBackAfterQuietLoader() {
    SimDevice device(7);
    auto now = std::chrono::steady_clock::time_point{};
    LoaderOptions options;
    options.restartAfter = 500ms;
    options.clock = [&now] { return now; };
    const auto loader = installFirmwareLoader(device, options);

    QCOMPARE(device.receive("U\r"), QByteArray("\""));
    QCOMPARE(device.receive("<"), QByteArray("L"));
    const QByteArray r = record('q', 2);
    QCOMPARE(device.receive(r.left(10)), QByteArray());
    now += 400ms; // a slow line is no restart
    QCOMPARE(device.receive(r.mid(10)), Accept);
    now += 400ms;
    // "T\r" is no record length; the loader refuses it while it listens.
    QCOMPARE(device.receive("T\r"), Refuse);
    QVERIFY(device.inLoader());

    now += 500ms;
    QCOMPARE(device.receive("T\r"), QByteArray("Quenta 26x\r\n"));
    QVERIFY(!device.inLoader());
    QCOMPARE(loader->recordsAccepted(), 1);

    // A second update starts the loader afresh, even straight after.
    QCOMPARE(device.receive("U\r<"), QByteArray("\"L"));
    now += 2s; // the gap before the first record is no restart either
    QCOMPARE(device.receive(record('r')), Accept);
    QCOMPARE(loader->acceptedStream(), r + record('r'));
}

QTEST_GUILESS_MAIN(TestSimLoader)
#include "test_sim_loader.moc"
