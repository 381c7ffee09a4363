#include "SessionFirmwareHost.h"

#include "link/LinkSession.h"

namespace talvaro {

SessionFirmwareHost::SessionFirmwareHost(const Document& document, LinkSession& session)
    : m_document(document), m_session(session) {}

quint16 SessionFirmwareHost::portInUse() const {
    return m_session.record().portInUse;
}

LinkPort& SessionFirmwareHost::link() {
    return m_session;
}

bool SessionFirmwareHost::exchangeRunning() const {
    return m_session.exchange().running();
}

bool SessionFirmwareHost::beginLoaderHandshake() {
    return m_session.exchange().beginLoaderHandshake();
}

void SessionFirmwareHost::abandonLoaderHandshake(ExchangeResult result) {
    m_session.exchange().abandonLoaderHandshake(result);
}

void SessionFirmwareHost::searchAndRead() {
    m_session.search().startSearch(ExchangeOperation::Read);
}

} // namespace talvaro
