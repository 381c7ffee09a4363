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
// firmware loader. Every step arms the matcher before it writes; the matcher's
// packet and time-out events advance the state. The record changes only through the
// operations below, and every exchange, however it ends, leaves the state Idle.
class DeviceExchange {
public:
    DeviceExchange(LinkPort& link, ExchangeHost& host, Dialogs& dialogs);

    const ExchangeRecord& record() const { return m_record; }

    void DataPacket1Packet(const QByteArray& packet);
    void DataPacket1Timeout();
    // Called by the matcher as soon as a packet is complete. Takes the ACK of an image
    // byte at once, so that the next byte leaves without waiting for the event loop;
    // false for every other packet, which then arrives through DataPacket1Packet.
    bool DataPacket1Immediate(const QByteArray& packet);

    // What the next identification leads to. Reading and programming from the window
    // keep the user's edits when the search finds a sibling model; the factory reset
    // starts from the sibling's defaults.
    void prepareTransfer(ExchangeOperation operation);
    void prepareFactoryReset();

    // The device search: it starts over at COM1 for `operation`, moves on port by port
    // (false once the last port has been probed) and asks the probed port who it is.
    void beginSearch(ExchangeOperation operation);
    void restartSearch();
    bool advanceSearchPort();
    void beginIdentification();
    // The device answers on COM<port>: commands use it without searching. The
    // identification ends with it; the window starts with the port its settings keep.
    void deviceFoundOn(quint16 port);
    // No device: the commands search again next time.
    void goOffline();

    // Entries used by the commands and the firmware update.
    void beginRead();
    // Programming; a device whose configuration the host has not kept yet is read
    // first, without a result message, and programmed once its image is kept.
    void beginWrite();
    void beginLoaderHandshake();
    // The firmware update gave up waiting for the loader (start timer, dialog closed).
    void abandonLoaderHandshake();

    // Closing handler of the progress window: whatever is still under way stops.
    void transferWindowClosed();

    // Bytes 0x20 to 0x7E of a text answer, in order.
    static QString answerText(const QByteArray& packet);

private:
    void identified(const QString& text);
    void nameReceived(const QString& text);
    void versionReceived(const QString& text);
    void imageReceived(const QByteArray& packet);
    void writeAcknowledged(char reply);
    void checksumAcknowledged(char reply);
    void loaderPrompt(char reply);
    void loaderReady(char reply);

    void beginBackupRead();
    void writeImage();
    bool transferred(TransferKind kind, const QByteArray& image);
    // The backup could not be made: the user decides whether to program anyway.
    void backupFailed();
    void sendNextImageByte();
    void readFailed();
    void programmingFailed();
    void timeoutFailed();
    void notRecognised();
    void finish() { m_record.state = ExchangeState::Idle; }

    LinkPort& m_link;
    ExchangeHost& m_host;
    Dialogs& m_dialogs;
    ExchangeRecord m_record;

    int m_sendCursor = 0;
    int m_bytesSent = 0;
    int m_sendLimit = 0;
    bool m_backupRead = false;
};

} // namespace talvaro
