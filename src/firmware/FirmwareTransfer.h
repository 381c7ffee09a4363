#pragma once

#include "firmware/TransferMachine.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace talvaro {

class Dialogs;

// Waits of the transfer, in milliseconds. Tests shorten them; the program uses these.
struct TransferTimings {
    int afterLinkClosed = 100; // the window's port has just been released
    int beforeOpen = 200;
    int openTimeout = 2000;
    int drainTimeout = 1;
    // A line that still sends after this much, or this many bytes, of draining before a
    // record is no loader listening: the transfer ends as unanswered.
    int drainLimit = 1000;
    int drainLimitBytes = 1024;
    int replyTimeout = 4000; // a missing reply is given up after twice this
    int afterClose = 200;
    int afterTransfer = 3000; // the loader stores the firmware and restarts
};

enum class TransferResult { Done, FileAccess, PortAccess, NoReply, Corrupt, Cancelled };

// Streams the records of a firmware file's content, as they stand, to the loader on a
// port ("COM<n>" or a device path) that it opens raw. The port's blocking reads and
// writes and the transfer's waits run on a worker thread, in short slices that notice a
// cancel; progress and the end come back as signals to the thread that started it.
class FirmwareTransfer : public QObject {
    Q_OBJECT
public:
    explicit FirmwareTransfer(QObject* parent = nullptr);
    // A transfer still running is cancelled and waited for.
    ~FirmwareTransfer() override;

    // False when a transfer is still running.
    bool start(const QByteArray& fileContent, const QString& portPath,
               const TransferTimings& timings = {});
    // Nothing more is sent once the step under way has ended; `finished` follows.
    void cancel();
    // Cancels and returns once the worker has closed the port and left.
    void stop();
    bool isRunning() const { return m_running; }

signals:
    void progress(int percent);
    void finished(talvaro::TransferResult result);

private:
    TransferResult run(const QByteArray& fileContent, const QString& portPath,
                       const TransferTimings& timings);
    // False when cancelled during the wait.
    bool pause(int ms);
    void joinWorker();

    std::thread m_worker;
    std::atomic<bool> m_running = false;
    std::atomic<bool> m_cancelled = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

// The error dialog of a failed transfer; nothing for Done and Cancelled.
void showTransferError(Dialogs& dialogs, TransferResult result);

} // namespace talvaro
