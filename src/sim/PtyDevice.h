#pragma once

#include "sim/SimDevice.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace talvaro::sim {

// A simulated device behind a pseudo-terminal: the program under test opens the slave
// side like a serial port, the simulator answers on the master side. The simulator
// keeps the slave open itself, so a client closing and reopening it does not hang up
// the line.
class PtyDevice {
public:
    explicit PtyDevice(DeviceType type);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Creates the pseudo-terminal in raw mode; false with a reason in errorText().
    bool open();
    QString slavePath() const { return m_slavePath; }
    QString errorText() const { return m_error; }
    // A symbolic link at `path` to the slave, removed again on destruction.
    bool linkTo(const QString& path);

    // Answers in a thread of its own until stop().
    void start();
    void stop();
    // Answers in the calling thread until `stop` becomes true.
    void run(const std::atomic_bool& stop);

    // Takes and gives every byte no faster than a serial line of `baud` with 8N1 framing
    // would (10 bits a byte); 0 answers as fast as the pty allows. Set before start().
    void setWireRate(int baud) { m_baud = baud; }

    // The device restarts: what it had not yet delivered is lost, its protocol starts
    // over, its configuration stays. Only while started.
    void powerCycle();

    // Sends bytes unasked, as a device with a chattering line would.
    bool send(const QByteArray& bytes);

    // Access to the device's state, safe while the simulator runs.
    template <typename F> auto withDevice(F f) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f(m_device);
    }

private:
    using Clock = std::chrono::steady_clock;

    void serveOnce(int timeoutMs);
    // The device's answer held back by its late fault, once its time has come.
    void sendLate();
    // What the device sends on its own, such as a chattering loader; false for nothing.
    bool sendUnasked();
    // Gives up when the simulator stops while the reader does not take the bytes.
    bool writeAll(const QByteArray& bytes);
    void servePaced(const QByteArray& received);
    Clock::duration byteTime() const;

    SimDevice m_device;
    std::mutex m_mutex;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QString m_error;
    int m_baud = 0;
    Clock::time_point m_receiveLineFree{}; // when the last byte will have arrived
    Clock::time_point m_sendLineFree{};    // when the last byte sent will be on the wire
    std::atomic_bool m_stop{false};
    std::thread m_thread;
};

} // namespace talvaro::sim
