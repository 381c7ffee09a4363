#pragma once

#include "FuzzDialogs.h"
#include "link/DeviceExchange.h"
#include "link/DeviceSearch.h"
#include "link/LinkPort.h"
#include "link/TransferCommands.h"
#include "session/EditorSession.h"

#include <QByteArray>
#include <QList>

#include <functional>

// The serial port and its matcher as the exchange sees them: the script decides which
// ports exist and what arrives when; the rig plays the matcher on what has arrived and
// remembers what was asked of it.
class FuzzLink : public talvaro::LinkPort {
public:
    struct Queued {
        quint64 request;
        QByteArray packet;
    };

    quint32 presentPorts = 0; // bit n-1: COM<n> exists
    QByteArray written;       // every byte written while open
    QByteArray pending;       // arrived and not taken: what a discard finds
    QList<Queued> queued;     // packets on their way through the event queue
    QList<QEvent::Type> posted;
    bool armed = false;
    int armedCount = 0; // 0: a CR LF line
    // The matcher's immediate hook, run from the serial read only.
    std::function<bool(const QByteArray&)> immediate;

    // Bytes from the line, as one read brings them: a request they complete takes its
    // packet through the immediate hook or the queue; the rest waits in `pending`.
    void arrive(const QByteArray& bytes);
    // The armed request runs out of time.
    void expire();
    // Whether a queued packet still belongs to the request it was taken for.
    bool current(const Queued& q) const { return q.request == m_request; }

    void setPortNumber(quint16 number) override { m_number = number; }
    quint16 portNumber() const override { return m_number; }
    bool portAvailable(quint16 number) override;
    bool open() override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void write(const QByteArray& bytes) override;
    qsizetype discardInput() override;
    void discardOutput() override {}
    void armForLine(int ticks) override { arm(0, ticks); }
    void armForBytes(int count, int ticks) override { arm(std::max(count, 1), ticks); }
    void disarm() override;
    void post(QEvent::Type message) override { posted << message; }
    void pause(int) override {}

private:
    void arm(int count, int ticks);
    bool takeComplete(QByteArray& packet);

    quint16 m_number = 1;
    bool m_open = false;
    quint64 m_request = 0;
    bool m_questionOpen = false; // a question went out and its request has not ended
};

// The window's state with the real editor model; it keeps no history, and its firmware
// start timer is a flag of the rig's.
class FuzzHost : public talvaro::EditorSession {
public:
    FuzzHost(talvaro::Dialogs& dialogs, bool& firmwareTimerRunning)
        : EditorSession(dialogs, {.ports = {}, .historyRoot = std::nullopt}),
          m_firmwareTimerRunning(firmwareTimerRunning) {}
    void stopFirmwareStartTimer() override { m_firmwareTimerRunning = false; }

private:
    bool& m_firmwareTimerRunning;
};

// Exchange, search and commands wired as in the window.
struct ExchangeRig {
    FuzzDialogs dialogs;
    FuzzLink link;
    bool firmwareTimerRunning = false;
    FuzzHost host{dialogs, firmwareTimerRunning};

    ExchangeRig() {
        link.immediate = [this](const QByteArray& p) { return exchange.DataPacket1Immediate(p); };
    }
    talvaro::DeviceExchange exchange{link, host, dialogs};
    talvaro::DeviceSearch search{link, exchange, host, dialogs};
    talvaro::TransferCommands commands{exchange, search, host, dialogs};
};
