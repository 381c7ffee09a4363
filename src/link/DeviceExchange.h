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
// changes only through the operations below. One exchange runs at a time; every one of
// them ends in finish(), which leaves the state Idle.
class DeviceExchange {
public:
    DeviceExchange(LinkPort& link, ExchangeHost& host, Dialogs& dialogs);

    const ExchangeRecord& record() const { return m_record; }
    // From the start of a search, read, write or loader handshake until its end. While
    // it runs, none of them starts again.
    bool running() const { return m_running; }

    void DataPacket1Packet(const QByteArray& packet);
    void DataPacket1Timeout();
    // Called by the matcher from the serial read as soon as a packet is complete. Takes
    // the ACK of an image byte on a clean line at once, so that the next byte leaves
    // without waiting for the event loop; false for every other packet, which then
    // arrives through DataPacket1Packet.
    bool DataPacket1Immediate(const QByteArray& packet);

    // What the next identification leads to. Reading and programming from the window
    // keep the user's edits when the search finds a sibling model; the factory reset
    // starts from the sibling's defaults. Ignored while an exchange runs.
    void prepareTransfer(ExchangeOperation operation);
    void prepareFactoryReset();

    // The device search: it starts over at COM1 for `operation` (false while an exchange
    // runs), moves on port by port (false once the last port has been probed) and asks
    // the probed port who it is.
    bool beginSearch(ExchangeOperation operation);
    void restartSearch();
    bool advanceSearchPort();
    void beginIdentification();
    // The device answers on COM<port>: commands use it without searching. The
    // identification ends with it; the window starts with the port its settings keep.
    void deviceFoundOn(quint16 port);
    // No device: the search has ended, and the commands search again next time.
    void goOffline();

    // Entries used by the commands and the firmware update; false, with nothing sent,
    // while an exchange runs.
    bool beginRead();
    // Programming; a device whose configuration the host has not kept yet is read
    // first, without a result message, and programmed once its image is kept.
    bool beginWrite();
    bool beginLoaderHandshake();
    // The firmware update gave up waiting for the loader (start timer, dialog closed).
    void abandonLoaderHandshake();

    // Closing handler of the progress window: whatever is still under way stops.
    void transferWindowClosed();

    // Bytes 0x20 to 0x7E of a text answer, in order.
    static QString answerText(const QByteArray& packet);

private:
    bool start();
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

    void startRead();
    void startWrite();
    void writeImage();
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
    void atRest() { m_record.state = ExchangeState::Idle; }
    // Where every exchange ends, however it ends.
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
};

} // namespace talvaro
