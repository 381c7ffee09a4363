#include "SerialLink.h"

#include "PortMap.h"

#include <QSignalBlocker>

#include <poll.h>
#include <utility>

namespace talvaro {
namespace {

// A line that keeps sending cannot hold a discard up for longer than this many reads.
constexpr int MaxDriverChunks = 16;

void applyLineSettings(QSerialPort& port) {
    port.setBaudRate(QSerialPort::Baud57600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.setReadBufferSize(SerialLink::BufferSize);
}

} // namespace

SerialLink::SerialLink(QObject* parent) : QObject(parent) {
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::readAvailable);
}

SerialLink::~SerialLink() {
    close();
}

bool SerialLink::open() {
    m_error.clear();
    if (m_port.isOpen()) {
        m_error = QStringLiteral("COM%1 ist bereits geöffnet").arg(m_number);
        return false;
    }
    const QString path = portPath();
    if (path.isEmpty()) {
        m_error = QStringLiteral("COM%1 gibt es nicht").arg(m_number);
        return false;
    }
    m_port.setPortName(path);
    applyLineSettings(m_port);
    m_input.clear();
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = m_port.errorString();
        return false;
    }
    if (!raiseControlLines()) {
        m_error = m_port.errorString();
        m_port.close();
        return false;
    }
    if (m_comLogging)
        loggingOn();
    m_trace.note(QStringLiteral("COM%1 geöffnet (%2)").arg(m_number).arg(path));
    return true;
}

void SerialLink::setComLogging(bool on) {
    m_comLogging = on;
    if (!m_port.isOpen() || on == m_trace.isRecording())
        return;
    if (on)
        loggingOn();
    else
        loggingAppend();
}

bool SerialLink::raiseControlLines() {
    // A pseudo-terminal has no modem lines; reading and writing work all the same.
    const auto tolerated = [this](bool ok) {
        if (ok)
            return true;
        if (m_port.error() != QSerialPort::UnsupportedOperationError)
            return false;
        m_port.clearError();
        return true;
    };
    return tolerated(m_port.setDataTerminalReady(true)) && tolerated(m_port.setRequestToSend(true));
}

void SerialLink::close() {
    if (!m_port.isOpen())
        return;
    m_trace.note(QStringLiteral("COM%1 geschlossen").arg(m_number));
    m_trace.endPayload();
    if (m_comLogging)
        loggingAppend();
    m_port.close();
    m_input.clear();
}

void SerialLink::write(const QByteArray& bytes) {
    if (!m_port.isOpen())
        return;
    m_trace.record(TraceLog::Direction::Sent, bytes);
    m_port.write(bytes);
    // Hand the bytes to the driver now: the search waits blocking after writing, and
    // an answer must not be held back behind it.
    m_port.flush();
}

void SerialLink::readAvailable() {
    const QByteArray bytes = m_port.readAll();
    m_trace.record(TraceLog::Direction::Received, bytes);
    const qsizetype room = BufferSize - m_input.size();
    m_input += bytes.left(room);
    if (bytes.size() > room)
        m_trace.record(TraceLog::Direction::Dropped, bytes.mid(room));
    if (!bytes.isEmpty())
        emit inputArrived();
}

QByteArray SerialLink::takeInput(qsizetype max) {
    const QByteArray front = m_input.left(max);
    m_input.remove(0, front.size());
    return front;
}

qsizetype SerialLink::discardInput() {
    if (!m_port.isOpen())
        return 0;
    QByteArray stale = std::exchange(m_input, QByteArray()) + m_port.readAll();
    {
        // What the driver holds is fetched to be counted and traced; the readyRead it
        // would raise must not hand anything to the matcher meanwhile.
        const QSignalBlocker quiet(m_port);
        for (int chunk = 0; chunk < MaxDriverChunks && driverHasInput(); ++chunk) {
            if (!m_port.waitForReadyRead(0))
                break;
            stale += m_port.readAll();
        }
    }
    // Finding the driver's queue empty after all counts as a time-out; it is no fault
    // of the port.
    if (m_port.error() == QSerialPort::TimeoutError)
        m_port.clearError();
    // A line that sends faster than it is read still holds more: it goes unseen.
    if (driverHasInput())
        m_port.clear(QSerialPort::Input);
    m_trace.record(TraceLog::Direction::Discarded, stale);
    return stale.size();
}

void SerialLink::discardOutput() {
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Output);
}

bool SerialLink::driverHasInput() {
    // Asked before Qt's wait and before the flush: on an empty queue either costs far
    // more than the question, and a discard runs before every byte of a write.
    pollfd input{static_cast<int>(m_port.handle()), POLLIN, 0};
    return ::poll(&input, 1, 0) > 0;
}

bool SerialLink::portAvailable(quint16 number) const {
    const QString path = m_ports.path(number);
    if (path.isEmpty())
        return false;
    QSerialPort probe;
    probe.setPortName(path);
    if (!probe.open(QIODevice::ReadWrite))
        return false;
    probe.close();
    return true;
}

} // namespace talvaro
