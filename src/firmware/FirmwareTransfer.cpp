#include "FirmwareTransfer.h"

#include "firmware/FirmwareRecords.h"
#include "firmware/HexStream.h"
#include "firmware/RawSerialPort.h"
#include "model/Dialogs.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QMetaObject>

#include <chrono>
#include <optional>

namespace talvaro {
namespace {

constexpr qint32 TransferBaudRate = 57600;
constexpr qsizetype StreamCapacity = 262144; // a file accepted by the check never holds more

struct ErrorText {
    TransferResult result;
    const char* caption;
    const char* line;
};

constexpr ErrorText ErrorTexts[] = {
    {TransferResult::FileAccess, "Fehler", "Auf die Firmwaredatei kann nicht zugegriffen werden."},
    {TransferResult::PortAccess, "Schnittstellenfehler",
     "Auf die Schnittstelle kann nicht zugegriffen werden."},
    {TransferResult::NoReply, "Schnittstellenfehler", "Telefonanlage antwortet nicht."},
    {TransferResult::Corrupt, "Fehler", "Die Datei ist beschädigt."},
};

// The record stream of the content, or nothing when it is cut off or broken: such a
// stream is never sent to the loader.
std::optional<QByteArray> recordStream(const QByteArray& fileContent) {
    QBuffer in;
    in.setData(fileContent);
    in.open(QIODevice::ReadOnly);
    QByteArray stream(StreamCapacity, '\0');
    auto* bytes = reinterpret_cast<quint8*>(stream.data());
    const HexStreamResult parsed = parseHexStream(in, bytes, StreamCapacity);
    if (parsed.overflow || !isWellFormedStream(bytes, parsed.count))
        return std::nullopt;
    stream.truncate(parsed.count);
    return stream;
}

// The machine's line on the raw port; runs on the worker thread.
class RawTransferPort : public TransferPort {
public:
    RawTransferPort(RawSerialPort& port, const TransferTimings& timings, FirmwareTransfer& transfer)
        : m_port(port), m_timings(timings), m_transfer(transfer) {}

    bool drainInput() override {
        m_port.setTimeouts(m_timings.drainTimeout);
        const QDeadlineTimer limit(m_timings.drainLimit);
        quint8 stale = 0;
        int drained = 0;
        bool quiet = false;
        while (!quiet && drained <= m_timings.drainLimitBytes && !limit.hasExpired()) {
            quiet = !m_port.read(&stale, 1);
            drained += quiet ? 0 : 1;
        }
        m_port.setTimeouts(m_timings.replyTimeout);
        return quiet;
    }
    void sendRecord(const QByteArray& record) override {
        // A failed write shows as a missing reply.
        m_port.write(reinterpret_cast<const quint8*>(record.constData()), record.size());
    }
    void reportProgress(int percent) override { emit m_transfer.progress(percent); }

private:
    RawSerialPort& m_port;
    const TransferTimings& m_timings;
    FirmwareTransfer& m_transfer;
};

TransferResult resultOf(TransferMachine::State state) {
    switch (state) {
    case TransferMachine::State::Accepted:
        return TransferResult::Done;
    case TransferMachine::State::NoReply:
        return TransferResult::NoReply;
    case TransferMachine::State::Corrupt:
        return TransferResult::Corrupt;
    default:
        return TransferResult::Cancelled;
    }
}

} // namespace

FirmwareTransfer::FirmwareTransfer(QObject* parent) : QObject(parent) {
    qRegisterMetaType<TransferResult>();
}

FirmwareTransfer::~FirmwareTransfer() {
    stop();
}

bool FirmwareTransfer::start(const QByteArray& fileContent, const QString& portPath,
                             const TransferTimings& timings) {
    if (m_running)
        return false;
    joinWorker(); // the previous worker has reported its end and is leaving
    m_cancelled = false;
    m_running = true;
    m_worker = std::thread([this, fileContent, portPath, timings] {
        const TransferResult result = run(fileContent, portPath, timings);
        // Delivered on the starting thread, after every progress report.
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                m_running = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void FirmwareTransfer::cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_wake.notify_all();
}

void FirmwareTransfer::stop() {
    cancel();
    joinWorker();
}

void FirmwareTransfer::joinWorker() {
    if (m_worker.joinable())
        m_worker.join();
}

bool FirmwareTransfer::pause(int ms) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, std::chrono::milliseconds(ms),
                            [this] { return m_cancelled.load(); });
}

TransferResult FirmwareTransfer::run(const QByteArray& fileContent, const QString& portPath,
                                     const TransferTimings& timings) {
    const std::optional<QByteArray> stream = recordStream(fileContent);
    if (!stream)
        return TransferResult::FileAccess;
    if (!pause(timings.afterLinkClosed + timings.beforeOpen))
        return TransferResult::Cancelled;
    TransferMachine::State end;
    {
        RawSerialPort port;
        port.setCancelFlag(&m_cancelled);
        if (!port.open(portPath, TransferBaudRate, timings.openTimeout))
            return TransferResult::PortAccess;
        RawTransferPort line(port, timings, *this);
        TransferMachine machine(line, *stream);
        machine.start();
        while (!machine.finished() && !m_cancelled) {
            quint8 reply = 0;
            if (port.read(&reply, 1))
                machine.replyReceived(reply);
            else if (!m_cancelled)
                machine.replyTimedOut();
        }
        machine.cancel();
        end = machine.state();
    } // the port is closed before any error is shown
    if (end != TransferMachine::State::Accepted)
        return m_cancelled ? TransferResult::Cancelled : resultOf(end);
    // The loader stores the firmware and restarts; a cancel cuts only the waiting short.
    if (pause(timings.afterClose))
        pause(timings.afterTransfer);
    return TransferResult::Done;
}

void showTransferError(Dialogs& dialogs, TransferResult result) {
    for (const ErrorText& text : ErrorTexts) {
        if (text.result == result) {
            dialogs.showMessage(MessageDialog::Error, QString::fromUtf8(text.caption),
                                {QStringLiteral("Fehler!"), QString::fromUtf8(text.line)});
            return;
        }
    }
}

} // namespace talvaro
