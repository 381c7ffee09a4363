#include "PtyPair.h"

#include "firmware/RawSerialPort.h"
#include "link/PortMap.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>

#include <memory>
#include <thread>
#include <vector>

using namespace talvaro;

class TestRawSerialPort : public QObject {
    Q_OBJECT
private slots:
    void init();
    void readsAndWritesRawBytes();
    void appliesLineSettings();
    void isExclusive();
    void refusesWhatIsNoPort();
    void comNameMapsToDevice();
    void readTimeouts();
    void closedPortDoesNothing();

private:
    std::unique_ptr<PtyPair> m_pty;
};

void TestRawSerialPort::init() {
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
}

void TestRawSerialPort::readsAndWritesRawBytes() {
    RawSerialPort port;
    QVERIFY(port.open(m_pty->slavePath, 57600, 200));
    QVERIFY(port.isOpen());

    // Every byte value passes untouched, CR, LF and XON/XOFF included.
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    QVERIFY(port.write(reinterpret_cast<const quint8*>(all.constData()), all.size()));
    QByteArray got;
    while (got.size() < all.size()) {
        const QByteArray part = m_pty->receive(500);
        QVERIFY(!part.isEmpty());
        got += part;
    }
    QCOMPARE(got, all);

    QVERIFY(m_pty->send(all));
    QByteArray back(256, '\0');
    QVERIFY(port.read(reinterpret_cast<quint8*>(back.data()), back.size()));
    QCOMPARE(back, all);
}

void TestRawSerialPort::appliesLineSettings() {
    termios before{};
    ::tcgetattr(m_pty->slave, &before);
    before.c_cflag |= PARENB | CSTOPB;
    before.c_iflag |= IXON | IXOFF;
    ::tcsetattr(m_pty->slave, TCSANOW, &before);

    RawSerialPort port;
    QVERIFY(port.open(m_pty->slavePath, 57600, 100));
    termios tio{};
    QCOMPARE(::tcgetattr(m_pty->slave, &tio), 0);
    QCOMPARE(::cfgetospeed(&tio), speed_t(B57600));
    QCOMPARE(::cfgetispeed(&tio), speed_t(B57600));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(tio.c_iflag & (IXON | IXOFF | INPCK), tcflag_t(0));
    QCOMPARE(tio.c_lflag & (ICANON | ECHO), tcflag_t(0));

    RawSerialPort other;
    QVERIFY(!other.open(m_pty->slavePath, 12345, 100)); // no such baud rate
}

void TestRawSerialPort::isExclusive() {
    RawSerialPort first;
    RawSerialPort second;
    QVERIFY(first.open(m_pty->slavePath, 57600, 100));
    QVERIFY(!first.open(m_pty->slavePath, 57600, 100)); // already open
    QVERIFY(first.isOpen());
    QVERIFY(!second.open(m_pty->slavePath, 57600, 100));
    QVERIFY(!second.isOpen());

    // Once released (while the line itself stays up), the port can be had again.
    QVERIFY(first.close());
    QVERIFY(second.open(m_pty->slavePath, 57600, 100));

    // A program that marked the port exclusive keeps it, also from root.
    second.close();
    QCOMPARE(::ioctl(m_pty->slave, TIOCEXCL), 0);
    QVERIFY(!first.open(m_pty->slavePath, 57600, 100));
    int exclusive = 0;
    ::ioctl(m_pty->slave, TIOCGEXCL, &exclusive);
    QVERIFY(exclusive); // the failed open left the other program's mark alone
    ::ioctl(m_pty->slave, TIOCNXCL);
}

void TestRawSerialPort::refusesWhatIsNoPort() {
    RawSerialPort port;
    QVERIFY(!port.open(QStringLiteral("/dev/no-such-port"), 57600, 100));
    QVERIFY(!port.isOpen());
    QTemporaryFile plain;
    QVERIFY(plain.open());
    QVERIFY(!port.open(plain.fileName(), 57600, 100));
    QVERIFY(!port.isOpen());
}

void TestRawSerialPort::comNameMapsToDevice() {
    const PortMap ports({QString(), m_pty->slavePath});
    RawSerialPort port;
    QVERIFY(!port.open(ports.pathOf("COM1"), 57600, 100)); // nothing behind COM1
    QVERIFY(!port.open(ports.pathOf("COM3"), 57600, 100));
    QVERIFY(port.open(ports.pathOf("COM2"), 57600, 100));
}

void TestRawSerialPort::readTimeouts() {
    RawSerialPort port;
    QVERIFY(port.open(m_pty->slavePath, 57600, 100));
    quint8 buffer[3];

    // Nothing comes: one byte gives up after 2 x t.
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!port.read(buffer, 1));
    QVERIFY2(clock.elapsed() >= 190, qPrintable(QString::number(clock.elapsed())));

    // One byte, then silence: the gap after it ends the read. The total for this many
    // bytes would be more than the test's own time limit.
    std::vector<quint8> large(5000);
    QVERIFY(port.setTimeouts(60));
    QVERIFY(m_pty->send("A"));
    QVERIFY(!port.read(large.data(), static_cast<qsizetype>(large.size())));
    QCOMPARE(large[0], quint8('A'));

    // Bytes that keep coming within the gap make the read; the gap is wide enough for a
    // loaded machine.
    QVERIFY(port.setTimeouts(2000));
    std::thread device([&] {
        m_pty->send("B");
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        m_pty->send("CD");
    });
    const bool complete = port.read(buffer, 3);
    device.join();
    QVERIFY(complete);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), 3), QByteArray("BCD"));
}

void TestRawSerialPort::closedPortDoesNothing() {
    RawSerialPort port;
    quint8 byte = 0x11;
    QVERIFY(!port.write(&byte, 1));
    QVERIFY(!port.read(&byte, 1));
    QVERIFY(port.close());
    QVERIFY(port.open(m_pty->slavePath, 57600, 100));
    QVERIFY(port.close());
    QVERIFY(!port.isOpen());
    QVERIFY(!port.write(&byte, 1));
}

QTEST_GUILESS_MAIN(TestRawSerialPort)
#include "test_raw_serial_port.moc"
