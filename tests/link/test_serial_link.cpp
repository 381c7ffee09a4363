// The serial port and its packet matcher on a pseudo-terminal.
#include "sim/PtyDevice.h"
#include "link/LinkTypes.h"
#include "link/PacketMatcher.h"
#include "link/SerialLink.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace talvaro;

class TestSerialLink : public QObject {
    Q_OBJECT

    // A silent device on COM1 whose line the test feeds by hand.
    struct Line {
        Line() : device(5) {
            device.withDevice([](sim::SimDevice& d) { d.faults().silent = true; });
            if (!device.open())
                qFatal("no pty: %s", qPrintable(device.errorText()));
            qputenv("TALVARO_PORTS", device.slavePath().toLocal8Bit());
            link.setPortNumber(1);
        }
        bool waitPending(qsizetype n) {
            QElapsedTimer t;
            t.start();
            while (link.pendingInput() < n && t.elapsed() < 2000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            return link.pendingInput() == n;
        }
        sim::PtyDevice device;
        SerialLink link;
        PacketMatcher matcher{link};
        QSignalSpy packets{&matcher, &PacketMatcher::packet};
        QSignalSpy timeouts{&matcher, &PacketMatcher::timeout};
    };

private slots:
    void opensPtyAndRefusesWhatIsNoPort();
    void lineRequestEndsWithCrLf();
    void countRequestShortByOneTimesOut();
    void emptyRequestTimesOutAfterItsTicks();
    void bytesBeforeArmingBelongToNextRequest();
    void disarmCancelsEvenACompletedPacket();
    void inputBufferIsBounded();
    void answersSplitAtEveryByteBoundary();
    void traceIsAppendedOnClose();
};

void TestSerialLink::opensPtyAndRefusesWhatIsNoPort() {
    Line line;
    QVERIFY2(line.link.open(), qPrintable(line.link.errorText())); // DTR/RTS unsupported
    QVERIFY(!line.link.open());                                    // already open
    QVERIFY(!SerialLink::portAvailable(1));                        // in use
    line.link.close();
    QVERIFY(!line.link.isOpen());
    QVERIFY(SerialLink::portAvailable(1));
    QVERIFY(!SerialLink::portAvailable(2));

    line.link.setPortNumber(2);
    QVERIFY(!line.link.open());
    QVERIFY(!line.link.errorText().isEmpty());
    qputenv("TALVARO_PORTS", "/dev/does-not-exist");
    line.link.setPortNumber(1);
    QVERIFY(!line.link.open());
    QVERIFY(!SerialLink::portAvailable(1));
}

void TestSerialLink::lineRequestEndsWithCrLf() {
    Line line;
    QVERIFY(line.link.open());
    QElapsedTimer clock;
    clock.start();
    line.matcher.armForLine(12);
    line.device.send("abc\r\nrest");
    QTRY_COMPARE_WITH_TIMEOUT(line.packets.size(), 1, 2000);
    // Handed over when complete, not when the time-out clock runs out.
    QVERIFY(clock.elapsed() < 400);
    QCOMPARE(line.packets.at(0).at(0).toByteArray(), QByteArray("abc\r\n"));
    QVERIFY(!line.matcher.isArmed());
    QVERIFY(line.waitPending(4)); // "rest" stays for the next request
    QTest::qWait(12 * TickMs + 100);
    QCOMPARE(line.timeouts.size(), 0); // one event per request
    QCOMPARE(line.packets.size(), 1);
}

void TestSerialLink::countRequestShortByOneTimesOut() {
    Line line;
    QVERIFY(line.link.open());
    QElapsedTimer clock;
    clock.start();
    line.matcher.armForBytes(61, 12);
    line.device.send(QByteArray(60, 'x'));
    QTRY_COMPARE_WITH_TIMEOUT(line.timeouts.size(), 1, 3000);
    QVERIFY2(clock.elapsed() >= 12 * TickMs - 5 && clock.elapsed() < 12 * TickMs + 300,
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(line.packets.size(), 0);
    // The 60 bytes went with the time-out.
    line.matcher.armForBytes(1, 12);
    line.device.send("Z");
    QTRY_COMPARE_WITH_TIMEOUT(line.packets.size(), 1, 2000);
    QCOMPARE(line.packets.at(0).at(0).toByteArray(), QByteArray("Z"));
}

void TestSerialLink::emptyRequestTimesOutAfterItsTicks() {
    Line line;
    QVERIFY(line.link.open());
    QElapsedTimer clock;
    clock.start();
    line.matcher.armForLine(2);
    QTRY_COMPARE_WITH_TIMEOUT(line.timeouts.size(), 1, 2000);
    QVERIFY(clock.elapsed() >= 2 * TickMs - 5);
    QVERIFY(!line.matcher.isArmed());
}

void TestSerialLink::bytesBeforeArmingBelongToNextRequest() {
    Line line;
    QVERIFY(line.link.open());
    line.device.send("ab\r\ncd\r\n");
    QVERIFY(line.waitPending(8));
    line.matcher.armForLine(12);
    QTRY_COMPARE(line.packets.size(), 1);
    line.matcher.armForLine(12);
    QTRY_COMPARE(line.packets.size(), 2);
    QCOMPARE(line.packets.at(0).at(0).toByteArray(), QByteArray("ab\r\n"));
    QCOMPARE(line.packets.at(1).at(0).toByteArray(), QByteArray("cd\r\n"));

    // Discarded input never reaches a packet.
    line.device.send("xy\r\n");
    QVERIFY(line.waitPending(4));
    line.link.discardInput();
    QCOMPARE(line.link.pendingInput(), 0);
    line.matcher.armForLine(2);
    QTRY_COMPARE(line.timeouts.size(), 1);
    QCOMPARE(line.packets.size(), 2);
}

void TestSerialLink::disarmCancelsEvenACompletedPacket() {
    Line line;
    QVERIFY(line.link.open());
    line.device.send("A");
    QVERIFY(line.waitPending(1));
    line.matcher.armForBytes(1, 2); // complete at once, its event still queued
    line.matcher.disarm();
    QTest::qWait(3 * TickMs);
    QCOMPARE(line.packets.size(), 0);
    QCOMPARE(line.timeouts.size(), 0);

    // Re-arming replaces the queued packet's request as well.
    line.device.send("BC");
    QVERIFY(line.waitPending(2));
    line.matcher.armForBytes(1, 12);
    line.matcher.armForBytes(1, 12);
    QTRY_COMPARE(line.packets.size(), 1);
    QCOMPARE(line.packets.at(0).at(0).toByteArray(), QByteArray("C"));
}

void TestSerialLink::inputBufferIsBounded() {
    Line line;
    QVERIFY(line.link.open());
    line.device.send(QByteArray(SerialLink::BufferSize + 1000, 'n'));
    QVERIFY(line.waitPending(SerialLink::BufferSize));
    QTest::qWait(50);
    QCOMPARE(line.link.pendingInput(), SerialLink::BufferSize);
}

// However the line cuts an answer into two pieces, the matcher hands over the whole answer
// once, and never before its last byte.
void TestSerialLink::answersSplitAtEveryByteBoundary() {
    Line line;
    QVERIFY(line.link.open());
    QSignalSpy arrivals(&line.link, &SerialLink::inputArrived);
    auto waitFor = [](const std::function<bool()>& done) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return done();
    };
    const QByteArray text("TK\nQuenta\r26\r\n"); // a line ends at CR LF only
    const QByteArray image = sim::SimDevice::patternImage(76) + '\x5a';
    for (const QByteArray& answer : {text, image}) {
        for (qsizetype cut = 1; cut < answer.size(); ++cut) {
            line.packets.clear();
            if (answer == text)
                line.matcher.armForLine(12);
            else
                line.matcher.armForBytes(int(answer.size()), 12);
            const qsizetype before = arrivals.size();
            QVERIFY(line.device.send(answer.left(cut)));
            QVERIFY(waitFor([&] { return arrivals.size() > before; }));
            QCoreApplication::processEvents(); // an early packet would be delivered here
            QVERIFY2(line.packets.isEmpty(), qPrintable(QString::number(cut)));
            QVERIFY(line.device.send(answer.mid(cut)));
            QVERIFY(waitFor([&] { return !line.packets.isEmpty(); }));
            QCOMPARE(line.packets.size(), 1);
            QCOMPARE(line.packets.at(0).at(0).toByteArray(), answer);
        }
    }
    QCOMPARE(line.timeouts.size(), 0);
}

void TestSerialLink::traceIsAppendedOnClose() {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("ComLog.log"));
    Line line;
    line.device.withDevice([](sim::SimDevice& d) { d.faults().silent = false; });
    line.device.start();
    line.link.setLogFileName(log);

    QVERIFY(line.link.open()); // logging off: nothing is written
    line.link.write("T\r");
    QVERIFY(line.waitPending(12)); // its answer must not wait for the next opening
    line.link.close();
    QVERIFY(!QFile::exists(log));

    line.link.setComLogging(true);
    for (int session = 0; session < 2; ++session) {
        QVERIFY(line.link.open());
        line.matcher.armForLine(12);
        line.link.write("T\r");
        QTRY_COMPARE(line.packets.size(), session + 1);
        line.link.close();
    }
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QCOMPARE(text.count(QStringLiteral("geöffnet")), 2); // appended, not replaced
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("PC -> Anlage 54 0D +T\\."))), 2);
    QCOMPARE(text.count(QStringLiteral("Anlage -> PC 4D 69 72 65")), 2);
    QVERIFY(text.contains(QStringLiteral("Mirello 16..")));
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "test_serial_link.moc"
