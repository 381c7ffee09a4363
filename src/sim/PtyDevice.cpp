#include "sim/PtyDevice.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace talvaro::sim {
namespace {

constexpr int PollMs = 10;
constexpr int ChunkSize = 256;

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

PtyDevice::PtyDevice(DeviceType type) : m_device(type) {}

PtyDevice::~PtyDevice() {
    stop();
    if (!m_linkPath.isEmpty())
        QFile::remove(m_linkPath);
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyDevice::open() {
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_error = systemError("openpty");
        return false;
    }
    // Raw from the start: no echo of the device's answers, no line editing, no CR/LF
    // translation, before any client has configured the line.
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    // Non-blocking, so that a reader that stopped reading cannot keep stop() waiting.
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = QString::fromLocal8Bit(name);
    return true;
}

bool PtyDevice::linkTo(const QString& path) {
    QFile::remove(path);
    if (!QFile::link(m_slavePath, path)) {
        m_error = QStringLiteral("cannot create link %1").arg(path);
        return false;
    }
    m_linkPath = path;
    return true;
}

bool PtyDevice::send(const QByteArray& bytes) {
    return writeAll(bytes);
}

bool PtyDevice::writeAll(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size() && !m_stop) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd fd{m_master, POLLOUT, 0};
            ::poll(&fd, 1, PollMs);
        } else {
            return false;
        }
    }
    return done == bytes.size();
}

void PtyDevice::start() {
    m_stop = false;
    m_thread = std::thread([this] { run(m_stop); });
}

void PtyDevice::stop() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void PtyDevice::powerCycle() {
    stop();
    tcflush(m_slave, TCIFLUSH);
    withDevice([](SimDevice& d) { d.restart(); });
    start();
}

void PtyDevice::run(const std::atomic_bool& stop) {
    while (!stop) {
        // A device that sends on its own keeps the line full; only a reader that does
        // not read holds it back.
        const bool sending = sendUnasked();
        serveOnce(sending ? 0 : PollMs);
    }
}

bool PtyDevice::sendUnasked() {
    QByteArray bytes;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        bytes = m_device.unasked();
    }
    writeAll(bytes);
    return !bytes.isEmpty();
}

void PtyDevice::sendLate() {
    QByteArray late;
    int delayMs = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        late = m_device.takeLate();
        delayMs = m_device.faults().lateMs;
    }
    if (late.isEmpty())
        return;
    // The device is busy meanwhile: it takes nothing from the line either.
    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(delayMs);
    while (!m_stop && Clock::now() < due)
        std::this_thread::sleep_for(
            std::min<Clock::duration>(due - Clock::now(), std::chrono::milliseconds(PollMs)));
    writeAll(late);
}

void PtyDevice::serveOnce(int timeoutMs) {
    pollfd fd{m_master, POLLIN, 0};
    if (::poll(&fd, 1, timeoutMs) <= 0 || !(fd.revents & POLLIN))
        return;
    char buffer[ChunkSize];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0)
        return;
    if (m_baud > 0) {
        servePaced(QByteArray(buffer, n));
    } else {
        QByteArray reply;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            reply = m_device.receive(QByteArray(buffer, n));
        }
        writeAll(reply);
    }
    sendLate();
}

PtyDevice::Clock::duration PtyDevice::byteTime() const {
    constexpr long long BitsPerByte = 10; // start bit, 8 data bits, stop bit
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(BitsPerByte * 1000000000LL / m_baud));
}

// The pty delivers a whole write at once; a serial line hands over one byte after the
// other. Each byte is taken when it would have arrived, and each answer byte is given
// when it would have been sent. Deadlines are absolute, so waits do not add up errors.
void PtyDevice::servePaced(const QByteArray& received) {
    const Clock::duration perByte = byteTime();
    m_receiveLineFree = std::max(m_receiveLineFree, Clock::now());
    for (const char byte : received) {
        m_receiveLineFree += perByte;
        std::this_thread::sleep_until(m_receiveLineFree);
        QByteArray reply;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            reply = m_device.receive(QByteArray(1, byte));
        }
        m_sendLineFree = std::max(m_sendLineFree, Clock::now());
        for (const char out : reply) {
            m_sendLineFree += perByte;
            std::this_thread::sleep_until(m_sendLineFree);
            writeAll(QByteArray(1, out));
        }
    }
}

} // namespace talvaro::sim
