#include "FirmwareTransfer.h"

#include "firmware/ComPort.h"
#include "firmware/FirmwareRecords.h"
#include "firmware/HexStream.h"
#include "model/Dialogs.h"

#include <QBuffer>
#include <QThread>

#include <optional>
#include <vector>

namespace talvaro {
namespace {

constexpr qint32 TransferBaudRate = 57600;
constexpr qsizetype TransferBufferSize = 262144;
constexpr quint8 MaxRejections = 4; // in a row, for one record

enum class TransferError { FileAccess, PortAccess, NoReply, Corrupt };

struct ErrorText {
    TransferError error;
    const char* caption;
    const char* line;
};

constexpr ErrorText ErrorTexts[] = {
    {TransferError::FileAccess, "Fehler", "Auf die Firmwaredatei kann nicht zugegriffen werden."},
    {TransferError::PortAccess, "Schnittstellenfehler",
     "Auf die Schnittstelle kann nicht zugegriffen werden."},
    {TransferError::NoReply, "Schnittstellenfehler", "Telefonanlage antwortet nicht."},
    {TransferError::Corrupt, "Fehler", "Die Datei ist beschädigt."},
};

void showError(Dialogs& dialogs, TransferError error) {
    for (const ErrorText& text : ErrorTexts) {
        if (text.error == error) {
            dialogs.showMessage(MessageDialog::Error, QString::fromUtf8(text.caption),
                                {QStringLiteral("Fehler!"), QString::fromUtf8(text.line)});
            return;
        }
    }
}

void drainInput(ComPort& port, const TransferTimings& timings) {
    port.setTimeouts(timings.drainTimeout);
    quint8 stale = 0;
    while (port.read(&stale, 1)) {
    }
    port.setTimeouts(timings.replyTimeout);
}

// The transfer proper. The port is closed when it returns, so that an error is shown
// only after it is released.
std::optional<TransferError> runTransfer(const QByteArray& fileContent, const QString& portName,
                                         const TransferHooks& hooks,
                                         const TransferTimings& timings) {
    ComPort port;
    QBuffer in;
    in.setData(fileContent);
    in.open(QIODevice::ReadOnly);
    std::vector<quint8> stream(TransferBufferSize);
    const HexStreamResult parsed = parseHexStream(in, stream.data(), TransferBufferSize);
    // Never send a cut-off or broken stream to the loader.
    if (parsed.overflow || !isWellFormedStream(stream.data(), parsed.count))
        return TransferError::FileAccess;
    QThread::msleep(timings.beforeOpen);
    if (!port.open(portName, TransferBaudRate, timings.openTimeout))
        return TransferError::PortAccess;
    const qsizetype count = parsed.count;

    qsizetype pos = 0;
    qsizetype accepted = 0;
    quint8 rejections = 0;
    while (pos < count) {
        const qsizetype recordSize = RecordHeaderSize + *recordLength(stream.data(), count, pos);
        drainInput(port, timings);
        if (hooks.progress)
            hooks.progress(static_cast<int>(accepted * 100 / count));
        port.write(stream.data() + pos, recordSize); // a failed write shows as no reply
        if (hooks.processEvents)
            hooks.processEvents();

        quint8 reply = 0;
        if (!port.read(&reply, 1))
            return TransferError::NoReply;
        if (reply == AcceptByte) {
            accepted += recordSize;
            pos += recordSize;
            rejections = 0;
        } else if (++rejections == MaxRejections) {
            return TransferError::Corrupt;
        }
    }

    port.close();
    QThread::msleep(timings.afterClose);
    return std::nullopt;
}

} // namespace

bool transferFirmware(const QByteArray& fileContent, const QString& portName, Dialogs& dialogs,
                      const TransferHooks& hooks, const TransferTimings& timings) {
    if (const auto error = runTransfer(fileContent, portName, hooks, timings)) {
        showError(dialogs, *error);
        return false;
    }
    QThread::msleep(timings.afterTransfer);
    return true;
}

} // namespace talvaro
