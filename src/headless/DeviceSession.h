#pragma once

#include "headless/HeadlessHost.h"
#include "headless/TerminalDialogs.h"
#include "link/LinkSession.h"

#include <functional>

// One conversation with the telephone system: the window's read, program and reset
// commands, each run until its result or error message.
namespace talvaro::headless {

class DeviceSession {
public:
    DeviceSession(HeadlessHost& host, TerminalDialogs& dialogs);

    LinkSession& link() { return m_link; }
    bool connected() { return m_link.record().portInUse != 0; }

    // "Konfiguration auslesen": searches first unless a device is known.
    bool read();
    // "Konfiguration programmieren".
    bool program();
    // "Werkseinstellungen".
    bool factoryReset();

private:
    bool run(const std::function<void()>& start);

    TerminalDialogs& m_dialogs;
    LinkSession m_link;
};

// Limits the device search to one port ("COM<n>" or a device path) by assigning only
// that number. Returns the COM number, or 0 when nothing stands behind the name.
quint16 restrictSearchTo(const QString& port);

} // namespace talvaro::headless
