#pragma once

#include "ExchangeHost.h"
#include "LinkTypes.h"

#include <QByteArray>

namespace talvaro {

class Dialogs;
class ExchangeHost;
class LinkPort;

// The conversation with the telephone system: identification, name and version, then
// reading or writing the configuration image, and the first handshake with the
// firmware loader. Before every question the input is discarded, then the matcher is
// armed, then the question is written: only what arrives after a byte went out can
// answer it. The matcher's packet and time-out events advance the state. The record
// changes only through the operations below. One exchange runs at a time, from begin()
// to end(), which leaves the state Idle and hands its one result to the host.
class DeviceExchange {
public:
    DeviceExchange(LinkPort& link, ExchangeHost& host, Dialogs& dialogs);

    const ExchangeRecord& record() const { return m_record; }
    // From the start of a command, search, read, write or loader handshake until its end.
    // While it runs, none of them starts again.
    bool running() const { return m_running; }
    // Claims the link for an exchange; false, with the result Busy, while one runs.
    bool begin();
    // The exchange is over: the host gets its result. Nothing happens when none runs.
    void end(ExchangeResult result);
    // Stops whatever runs, with its windows, and ends it with `result`.
    void abort(ExchangeResult result);

    void DataPacket1Packet(const QByteArray& packet);
    void DataPacket1Timeout();
    // Called by the matcher from the serial read as soon as a packet is complete. Takes
    // the ACK of an image byte on a clean line at once, so that the next byte leaves
    // without waiting for the event loop; false for every other packet, which then
    // arrives through DataPacket1Packet.
    bool DataPacket1Immediate(const QByteArray& packet);

    // What the next identification leads to. Reading and programming from the window
    // keep the user's edits when the search finds a sibling model; the factory reset
    // starts from the sibling's defaults. Part of an exchange begun already.
    void prepareTransfer(ExchangeOperation operation);
    void prepareFactoryReset();

    // The device search: it starts over at COM1 for `operation` (begun here, or part of
    // an exchange begun already), moves on port by port (false once the last port has
    // been probed) and asks the probed port who it is.
    bool beginSearch(ExchangeOperation operation);
    void searchFor(ExchangeOperation operation);
    void restartSearch();
    bool advanceSearchPort();
    void beginIdentification();
    // The device answers on COM<port>: commands use it without searching. The
    // identification ends with it; the window starts with the port its settings keep.
    void deviceFoundOn(quint16 port);
    // No device: the commands search again next time. The search ends the exchange once
    // the user has chosen a model.
    void goOffline();

    // Entries used by the firmware update and tests; false, with nothing sent, while an
    // exchange runs.
    bool beginRead();
    bool beginWrite();
    bool beginLoaderHandshake();
    // The same within an exchange begun already. Programming a device found earlier
    // identifies it again first; with a history, its configuration is read (without a
    // result message) and kept as the backup before it is written.
    void read();
    void write();
    // The firmware update gave up waiting for the loader: the start timer ran out
    // (NoAnswer) or the dialog closed (Cancelled).
    void abandonLoaderHandshake(ExchangeResult result);

    // Closing handler of the progress window: whatever is still under way stops.
    void transferWindowClosed();

    // Bytes 0x20 to 0x7E of a text answer, in order.
    static QString answerText(const QByteArray& packet);

private:
    // Discard, arm, send. `answerBytes` 0 waits for a CR LF line.
    void ask(ExchangeState awaiting, const QByteArray& question, int answerBytes, int ticks);
    void arm(int answerBytes, int ticks);

    void identified(const QString& text);
    void nameReceived(const QString& text);
    void versionReceived(const QString& text);
    void imageReceived(const QByteArray& packet);
    void writeAcknowledged(char reply);
    void checksumAcknowledged(char reply);
    void loaderPrompt(char reply);
    void loaderReady(char reply);

    void backUpThenWrite();
    void writeImage();
    // The device answers otherwise than when it was found.
    void deviceChanged();
    // Discards what came in since the last answer of the write; false once anything has.
    bool lineStaysClean();
    void sendNextWriteStep();
    void writeDone();
    bool transferred(TransferKind kind, const QByteArray& image);
    // The backup could not be made: the user decides whether to program anyway.
    void backupFailed();
    void readFailed();
    void programmingFailed();
    void timeoutFailed();
    void notRecognised();
    // No answer is awaited while the user is asked; the exchange goes on afterwards.
    void atRest() {
        m_record.state = ExchangeState::Idle;
        m_recheck = false;
    }
    // No answer is awaited any more; the exchange may still show its result.
    void finish();

    LinkPort& m_link;
    ExchangeHost& m_host;
    Dialogs& m_dialogs;
    ExchangeRecord m_record;
    bool m_running = false;

    int m_sendCursor = 0;
    int m_sendLimit = 0;
    bool m_strayInput = false; // this write found bytes it had not asked for
    bool m_backupRead = false;
    // Identifying the device found again before a backup: its answers so far.
    bool m_recheck = false;
    QString m_identity; // what the device found answered to "T\r"
    QString m_checkedText;
};

} // namespace talvaro
