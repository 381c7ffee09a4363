#include "session/DeviceSession.h"

#include "link/LinkSession.h"
#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"

#include <QEventLoop>
#include <QTimer>

namespace talvaro {

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

bool DeviceSession::run(const std::function<void()>& start, int limitMs) {
    m_last.reset();
    QEventLoop loop;
    // The result may come within `start` already, before the loop runs.
    const QMetaObject::Connection ended = QObject::connect(
        &m_session, &EditorSession::exchangeFinished, &loop, [this, &loop](ExchangeResult result) {
            if (!m_last) {
                m_last = result;
                loop.quit();
            }
        });
    start();
    if (!m_last && m_session.link().exchange().running()) {
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(limitMs);
        loop.exec();
        if (!m_last) {
            m_dialogs.showMessageBox(MessageIcon::Critical,
                                     QStringLiteral("Die Telefonanlage hat nicht geantwortet."));
            m_session.link().exchange().abort(ExchangeResult::NoAnswer);
        }
    }
    QObject::disconnect(ended);
    return m_last == ExchangeResult::Ok;
}

} // namespace talvaro
