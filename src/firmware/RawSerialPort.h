#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>

namespace talvaro {

// A serial port opened raw, with blocking reads under time-outs, for the firmware
// transfer. A new port is closed; destroying an open port closes it. Reads and writes
// wait in short slices, so that a cancel flag set by another thread ends them soon.
class RawSerialPort {
public:
    RawSerialPort() = default;
    ~RawSerialPort();
    RawSerialPort(const RawSerialPort&) = delete;
    RawSerialPort& operator=(const RawSerialPort&) = delete;

    // Opens the device at `path` exclusively at the given baud rate, 8N1, no flow
    // control, DTR and RTS inactive, with read time-outs for t. Fails when already open,
    // when the device is missing or held by another program, or when it cannot be set up.
    bool open(const QString& path, qint32 baudRate, int timeoutMs);
    // A read gives up when no byte came for t ms after the previous one, or when
    // t x (count + 1) ms have passed in all: one byte waits at most 2 x t.
    bool setTimeouts(int timeoutMs);
    bool close();
    // True only when the port is open and every byte was written; waits as long as needed.
    bool write(const quint8* data, qsizetype count);
    // True only when the port is open and exactly `count` bytes arrived in time.
    bool read(quint8* buffer, qsizetype count);

    bool isOpen() const { return m_fd != InvalidHandle; }
    // Once `*cancel` is true, reads and writes give up (false) within one slice.
    void setCancelFlag(const std::atomic<bool>* cancel) { m_cancel = cancel; }

private:
    static constexpr int InvalidHandle = -1;

    bool setUp(qint32 baudRate, int timeoutMs);
    bool cancelled() const { return m_cancel && m_cancel->load(); }
    // Waits until the port is ready for `events`, at most `timeoutMs` (-1: without limit);
    // false on time-out, failure or cancel.
    bool waitFor(short events, int timeoutMs) const;

    int m_fd = InvalidHandle;
    bool m_exclusive = false;
    int m_timeoutMs = 0;
    const std::atomic<bool>* m_cancel = nullptr;
};

} // namespace talvaro
