#pragma once

#include "firmware/FirmwareHost.h"

namespace talvaro {

class LinkSession;

// The firmware host over the main window's document and device link.
class SessionFirmwareHost : public FirmwareHost {
public:
    SessionFirmwareHost(const Document& document, LinkSession& session);

    const Document& document() const override { return m_document; }
    quint16 portInUse() const override;
    LinkPort& link() override;
    bool exchangeRunning() const override;
    bool beginLoaderHandshake() override;
    void abandonLoaderHandshake(ExchangeResult result) override;
    void searchAndRead() override;

private:
    const Document& m_document;
    LinkSession& m_session;
};

} // namespace talvaro
