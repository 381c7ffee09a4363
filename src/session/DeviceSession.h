#pragma once

#include "link/LinkTypes.h"

#include <functional>
#include <optional>

namespace talvaro {

class EditorSession;
class TerminalDialogs;

// The device commands of an editor session run to their end, for callers without a
// window (the command line, benchmarks, tests): each waits in an event loop for the one
// result of its exchange, no longer than a limit that only a broken line reaches.
class DeviceSession {
public:
    // A search over all twenty ports takes about twenty seconds; no step waits longer
    // than two seconds.
    static constexpr int OperationLimitMs = 120000;

    DeviceSession(EditorSession& session, TerminalDialogs& dialogs);

    // "Konfiguration auslesen", "Konfiguration speichern", "Werkseinstellungen": true
    // when the exchange ended Ok.
    bool read();
    bool program();
    bool factoryReset();
    // Whatever `start` begins, to its end; true when it ended Ok. When `start` begins no
    // exchange (it refused with a message of its own), false at once. Past `limitMs`
    // the exchange is stopped and ends as NoAnswer.
    bool run(const std::function<void()>& start, int limitMs = OperationLimitMs);
    // How the last exchange ended; nothing when the last command began none.
    std::optional<ExchangeResult> lastResult() const { return m_last; }

private:
    EditorSession& m_session;
    TerminalDialogs& m_dialogs;
    std::optional<ExchangeResult> m_last;
};

} // namespace talvaro
