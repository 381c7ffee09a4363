#pragma once

#include "LinkTypes.h"

#include <QByteArray>

namespace talvaro {

class Dialogs;
class ExchangeHost;
class LinkPort;

// The conversation with the telephone system: identification, name and version, then
// reading or writing the configuration image, and the first handshake with the
// firmware loader. Every step arms the matcher before it writes; the matcher's
// packet and time-out events advance the state.
class DeviceExchange {
public:
    DeviceExchange(LinkPort& link, ExchangeHost& host, Dialogs& dialogs);

    ExchangeRecord& record() { return m_record; }
    const ExchangeRecord& record() const { return m_record; }

    void DataPacket1Packet(const QByteArray& packet);
    void DataPacket1Timeout();

    // Entries used by the commands and the firmware update.
    void beginRead();
    void beginWrite();
    void beginLoaderHandshake();

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

    void sendNextImageByte();
    void readFailed();
    void programmingFailed();
    void timeoutFailed();

    LinkPort& m_link;
    ExchangeHost& m_host;
    Dialogs& m_dialogs;
    ExchangeRecord m_record;

    int m_sendCursor = 0;
    int m_bytesSent = 0;
    int m_sendLimit = 0;
};

} // namespace talvaro
