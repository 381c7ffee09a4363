// The serial port and its packet matcher on a pseudo-terminal.
#include "link/LinkTypes.h"
#include "link/PacketMatcher.h"
#include "link/SerialLink.h"
#include "sim/PtyDevice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace talvaro;

class TestSerialLink : public QObject {
    Q_OBJECT

    static constexpr int HangMs = 30000; // bounds a hang only
    // A time-out no answer on the pty can run into.
    static constexpr int LongTicks = HangMs / TickMs + 1;

    // A silent device on COM1 whose line the test feeds by hand.
    struct Line {
        Line() : device(5) {
            device.withDevice([](sim::SimDevice& d) { d.faults().silent = true; });
            if (!device.open())
                qFatal("no pty: %s", qPrintable(device.errorText()));
            link.setPortMap(PortMap({device.slavePath()}));
            link.setPortNumber(1);
        }
        bool waitPending(qsizetype n) {
            return QTest::qWaitFor([&] { return link.pendingInput() >= n; }, HangMs) &&
                   link.pendingInput() == n;
        }
        // Runs the event loop until a request armed just before for `ticks` would have
        // timed out: a precise timer started later and running longer fires after it.
        static bool pastTimeout(int ticks) {
            QTimer sentinel;
            sentinel.setTimerType(Qt::PreciseTimer);
            QSignalSpy fired(&sentinel, &QTimer::timeout);
            sentinel.start((ticks + 1) * TickMs);
            return fired.wait(HangMs);
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
    void immediateHandlerTakesOnlyWhatTheReadBrings();
    void traceIsAppendedOnClose();
};

void TestSerialLink::opensPtyAndRefusesWhatIsNoPort() {
    Line line;
    QVERIFY2(line.link.open(), qPrintable(line.link.errorText())); // DTR/RTS unsupported
    QVERIFY(!line.link.open());                                    // already open
    QVERIFY(!line.link.portAvailable(1));                          // in use
    line.link.close();
    QVERIFY(!line.link.isOpen());
    QVERIFY(line.link.portAvailable(1));
    QVERIFY(!line.link.portAvailable(2));

    line.link.setPortNumber(2);
    QVERIFY(!line.link.open());
    QVERIFY(!line.link.errorText().isEmpty());
    line.link.setPortMap(PortMap({QStringLiteral("/dev/does-not-exist")}));
    line.link.setPortNumber(1);
    QVERIFY(!line.link.open());
    QVERIFY(!line.link.portAvailable(1));
}

void TestSerialLink::lineRequestEndsWithCrLf() {
    Line line;
    QVERIFY(line.link.open());
    line.device.send("abc\r\nrest");
    QVERIFY(line.waitPending(9));
    line.matcher.armForLine(12);
    QVERIFY(Line::pastTimeout(12)); // one event per request: no time-out after the line
    QCOMPARE(line.timeouts.size(), 0);
    QCOMPARE(line.packets.size(), 1);
    QCOMPARE(line.packets.at(0).at(0).toByteArray(), QByteArray("abc\r\n"));
    QVERIFY(!line.matcher.isArmed());
    QCOMPARE(line.link.pendingInput(), 4); // "rest" stays for the next request
}

void TestSerialLink::countRequestShortByOneTimesOut() {
    Line line;
    QVERIFY(line.link.open());
    line.device.send(QByteArray(60, 'x'));
    QVERIFY(line.waitPending(60));
    QElapsedTimer clock;
    clock.start();
    line.matcher.armForBytes(61, 12);
    QVERIFY(line.timeouts.wait(HangMs));
    QVERIFY2(clock.elapsed() >= 12 * TickMs - 5, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(line.packets.size(), 0);
    // The 60 bytes went with the time-out.
    line.matcher.armForBytes(1, LongTicks);
    line.device.send("Z");
    QVERIFY(line.packets.wait(HangMs));
    QCOMPARE(line.packets.at(0).at(0).toByteArray(), QByteArray("Z"));
}

void TestSerialLink::emptyRequestTimesOutAfterItsTicks() {
    Line line;
    QVERIFY(line.link.open());
    QElapsedTimer clock;
    clock.start();
    line.matcher.armForLine(2);
    QVERIFY(line.timeouts.wait(HangMs));
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
    QVERIFY(Line::pastTimeout(2));
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
    line.link.loggingOn();
    // The trace shows the last byte once the port has read everything sent.
    line.device.send(QByteArray(SerialLink::BufferSize + 999, 'n') + 'Z');
    QVERIFY(QTest::qWaitFor([&] { return line.link.trace().text().contains('Z'); }, HangMs));
    QCOMPARE(line.link.pendingInput(), SerialLink::BufferSize);
    QVERIFY(!line.link.takeInput(SerialLink::BufferSize).contains('Z'));
}

// However the line cuts an answer into two pieces, the matcher hands over the whole answer
// once, and never before its last byte.
void TestSerialLink::answersSplitAtEveryByteBoundary() {
    Line line;
    QVERIFY(line.link.open());
    QSignalSpy arrivals(&line.link, &SerialLink::inputArrived);
    const QByteArray text("TK\nQuenta\r26\r\n"); // a line ends at CR LF only
    const QByteArray image = sim::SimDevice::patternImage(76) + '\x5a';
    for (const QByteArray& answer : {text, image}) {
        for (qsizetype cut = 1; cut < answer.size(); ++cut) {
            line.packets.clear();
            if (answer == text)
                line.matcher.armForLine(LongTicks);
            else
                line.matcher.armForBytes(int(answer.size()), LongTicks);
            QVERIFY(line.device.send(answer.left(cut)));
            QVERIFY(arrivals.wait(HangMs));
            QCoreApplication::processEvents(); // an early packet would be delivered here
            QVERIFY2(line.packets.isEmpty(), qPrintable(QString::number(cut)));
            QVERIFY(line.device.send(answer.mid(cut)));
            QVERIFY(line.packets.wait(HangMs));
            QCOMPARE(line.packets.size(), 1);
            QCOMPARE(line.packets.at(0).at(0).toByteArray(), answer);
        }
    }
    QCOMPARE(line.timeouts.size(), 0);
}

// Only the serial read hands a packet to the immediate handler; bytes that were already
// waiting when a request is armed come through the queue, so arming never runs a
// handler, and a handler that arms again is never run from inside itself.
void TestSerialLink::immediateHandlerTakesOnlyWhatTheReadBrings() {
    Line line;
    QVERIFY(line.link.open());
    QByteArrayList taken;
    line.matcher.setImmediateHandler([&](const QByteArray& bytes) {
        if (bytes != "A")
            return false;
        taken << bytes;
        line.matcher.armForBytes(1, LongTicks);
        return true;
    });
    line.device.send("AAB");
    QVERIFY(line.waitPending(3));
    line.matcher.armForBytes(1, LongTicks);
    QVERIFY(taken.isEmpty());
    QVERIFY(line.packets.wait(HangMs));
    QCOMPARE(line.packets.at(0).at(0).toByteArray(), QByteArray("A"));
    QVERIFY(taken.isEmpty());
    QCOMPARE(line.link.discardInput(), 2); // "AB" waited unasked

    // Brought by the read, "A" is taken at once; "B", in the same read or not, completes
    // the request the handler armed, through the queue.
    line.matcher.armForBytes(1, LongTicks);
    line.device.send("AB");
    QVERIFY(line.packets.wait(HangMs));
    QCOMPARE(taken, QByteArrayList{"A"});
    QCOMPARE(line.packets.size(), 2);
    QCOMPARE(line.packets.at(1).at(0).toByteArray(), QByteArray("B"));
    QCOMPARE(line.timeouts.size(), 0);
}

void TestSerialLink::traceIsAppendedOnClose() {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("trace/ComLog.log")); // folder made on the way
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
        line.matcher.armForLine(LongTicks);
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

    // Switched on while connected, it records from then on; switched off, what it holds
    // is written at once and nothing more is kept.
    line.link.setComLogging(false);
    QVERIFY(line.link.open());
    line.link.setComLogging(true);
    QVERIFY(line.link.trace().isRecording());
    line.matcher.armForLine(LongTicks);
    line.link.write("T\r");
    QTRY_COMPARE(line.packets.size(), 3);
    line.link.setComLogging(false);
    QVERIFY(!line.link.trace().isRecording());
    const QString written = QString::fromUtf8(file.readAll());
    QCOMPARE(written.count(QRegularExpression(QStringLiteral("PC -> Anlage 54 0D +T\\."))), 1);
    line.link.write("T\r");
    line.link.close();
    QCOMPARE(QFileInfo(log).size(), file.pos());
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "test_serial_link.moc"
