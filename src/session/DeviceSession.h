#pragma once

#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"

#include <functional>

// One conversation with the telephone system: the window's read, program and reset
// commands, each run until its result or error message.
namespace talvaro {

class DeviceSession {
public:
    DeviceSession(EditorSession& session, TerminalDialogs& dialogs);

    bool connected() const { return m_session.portInUse() != 0; }

    // "Konfiguration auslesen": searches first unless a device is known.
    bool read();
    // "Konfiguration programmieren".
    bool program();
    // "Werkseinstellungen".
    bool factoryReset();

private:
    bool run(const std::function<void()>& start);

    EditorSession& m_session;
    TerminalDialogs& m_dialogs;
};

} // namespace talvaro
