#include "RawSerialPort.h"

#include <QDeadlineTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>

namespace talvaro {
namespace {

struct BaudRate {
    qint32 rate;
    speed_t speed;
};

constexpr BaudRate BaudRates[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

// The longest a blocking wait goes without looking at the cancel flag.
constexpr int SliceMs = 50;

} // namespace

RawSerialPort::~RawSerialPort() {
    close();
}

bool RawSerialPort::open(const QString& path, qint32 baudRate, int timeoutMs) {
    if (isOpen())
        return false;
    if (path.isEmpty())
        return false;
    // Non-blocking, so that opening does not wait for a carrier; reads and writes wait
    // with poll instead.
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        m_fd = InvalidHandle;
        return false;
    }
    if (!setUp(baudRate, timeoutMs)) {
        close();
        return false;
    }
    return true;
}

bool RawSerialPort::setUp(qint32 baudRate, int timeoutMs) {
    // Another program's exclusive hold does not keep root out, and not every program
    // takes one: refuse a port that is marked exclusive or locked, then claim it both
    // ways ourselves.
    int exclusive = 0;
    if (::ioctl(m_fd, TIOCGEXCL, &exclusive) != 0 || exclusive)
        return false;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    if (::ioctl(m_fd, TIOCEXCL) != 0)
        return false;
    m_exclusive = true;

    const auto baud = std::find_if(std::begin(BaudRates), std::end(BaudRates),
                                   [&](const BaudRate& b) { return b.rate == baudRate; });
    if (baud == std::end(BaudRates))
        return false;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, baud->speed) != 0 || ::cfsetospeed(&tio, baud->speed) != 0)
        return false;
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return false;

    // The driver's queues are fixed on this platform; there is no size to request.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(m_fd, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
        return false; // devices without modem lines (pseudo-terminals) have nothing to clear
    return setTimeouts(timeoutMs);
}

bool RawSerialPort::setTimeouts(int timeoutMs) {
    if (timeoutMs < 0)
        return false;
    m_timeoutMs = timeoutMs;
    return true;
}

bool RawSerialPort::waitFor(short events, int timeoutMs) const {
    const QDeadlineTimer deadline =
        timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    pollfd p{m_fd, events, 0};
    while (!cancelled()) {
        const qint64 left = deadline.remainingTime();
        const int slice = left < 0 ? SliceMs : static_cast<int>(std::min<qint64>(left, SliceMs));
        const int ready = ::poll(&p, 1, slice);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
        if (deadline.hasExpired())
            return false;
    }
    return false;
}

bool RawSerialPort::close() {
    if (isOpen()) {
        // The exclusive mark outlives this handle while anyone else keeps the device open;
        // clear it, but only when it is ours.
        if (m_exclusive)
            ::ioctl(m_fd, TIOCNXCL);
        m_exclusive = false;
        ::close(m_fd); // releases the lock
        m_fd = InvalidHandle;
    }
    return true;
}

bool RawSerialPort::write(const quint8* data, qsizetype count) {
    if (!isOpen() || cancelled())
        return false;
    qsizetype done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, data + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            if (!waitFor(POLLOUT, -1))
                return false;
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool RawSerialPort::read(quint8* buffer, qsizetype count) {
    if (!isOpen())
        return false;
    const qint64 totalMs = qint64(m_timeoutMs) * (count + 1);
    const QDeadlineTimer total(totalMs);
    QDeadlineTimer interval = total; // the gap between bytes counts from the first byte
    qsizetype got = 0;
    while (got < count) {
        const qint64 left = std::min(total.remainingTime(), interval.remainingTime());
        if (!waitFor(POLLIN, static_cast<int>(std::max<qint64>(left, 0))))
            return false;
        const ssize_t n = ::read(m_fd, buffer + got, static_cast<size_t>(count - got));
        if (n > 0) {
            got += n;
            interval.setRemainingTime(m_timeoutMs);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            return false; // hung up or failed
        }
    }
    return true;
}

} // namespace talvaro
