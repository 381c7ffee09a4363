#pragma once

#include "FuzzDialogs.h"
#include "link/DeviceExchange.h"
#include "link/DeviceSearch.h"
#include "link/LinkPort.h"
#include "link/TransferCommands.h"
#include "session/EditorSession.h"

#include <QByteArray>
#include <QList>

// The serial port and its matcher as the exchange sees them: the script decides which
// ports exist and what arrives; the rig only remembers what was asked of it.
class FuzzLink : public talvaro::LinkPort {
public:
    quint32 presentPorts = 0; // bit n-1: COM<n> exists
    QByteArray written;       // every byte written while open
    QList<QEvent::Type> posted;
    bool armed = false;
    int armedCount = 0; // 0: a CR LF line

    void setPortNumber(quint16 number) override { m_number = number; }
    quint16 portNumber() const override { return m_number; }
    bool portAvailable(quint16 number) override;
    bool open() override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void write(const QByteArray& bytes) override;
    void discardInput() override {}
    void discardOutput() override {}
    void armForLine(int ticks) override { arm(0, ticks); }
    void armForBytes(int count, int ticks) override { arm(std::max(count, 1), ticks); }
    void disarm() override { armed = false; }
    void post(QEvent::Type message) override { posted << message; }
    void pause(int) override {}

private:
    void arm(int count, int ticks);

    quint16 m_number = 1;
    bool m_open = false;
};

// The window's state with the real editor model; it keeps no history, and its firmware
// start timer is a flag of the rig's.
class FuzzHost : public talvaro::EditorSession {
public:
    FuzzHost(talvaro::Dialogs& dialogs, bool& firmwareTimerRunning)
        : EditorSession(dialogs, std::nullopt), m_firmwareTimerRunning(firmwareTimerRunning) {}
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
    talvaro::DeviceExchange exchange{link, host, dialogs};
    talvaro::DeviceSearch search{link, exchange, host, dialogs};
    talvaro::TransferCommands commands{link, exchange, search, host, dialogs};
};
