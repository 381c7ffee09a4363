#include "session/DeviceSession.h"

#include "link/LinkSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace talvaro {
namespace {

// A search over all twenty ports takes about twenty seconds; no step waits longer than
// two seconds. Beyond this something is broken, not slow.
constexpr int OperationLimitMs = 120000;

} // namespace

DeviceSession::DeviceSession(EditorSession& session, TerminalDialogs& dialogs)
    : m_session(session), m_dialogs(dialogs) {}

bool DeviceSession::read() {
    return run([this] { m_session.readDevice(); });
}

bool DeviceSession::program() {
    return run([this] { m_session.programDevice(); });
}

bool DeviceSession::factoryReset() {
    return run([this] { m_session.resetDevice(); });
}

bool DeviceSession::run(const std::function<void()>& start) {
    m_dialogs.resetOutcome();
    start();
    QDeadlineTimer deadline(OperationLimitMs);
    while (m_dialogs.outcome() == Outcome::Running && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (m_dialogs.outcome() == Outcome::Running) {
        m_dialogs.showMessageBox(MessageIcon::Critical,
                                 QStringLiteral("Die Telefonanlage hat nicht geantwortet."));
        m_session.link().DataPacket1().disarm();
    }
    return m_dialogs.outcome() == Outcome::Succeeded;
}

} // namespace talvaro
