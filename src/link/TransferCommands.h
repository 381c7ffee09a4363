#pragma once

#include "LinkTypes.h"

namespace talvaro {

class DeviceExchange;
class DeviceSearch;
class Dialogs;
class ExchangeHost;
class LinkPort;

// The user commands "Konfiguration auslesen", "Konfiguration programmieren" and
// "Werkseinstellungen": their checks, then the exchange on the known port or a search.
class TransferCommands {
public:
    TransferCommands(LinkPort& link, DeviceExchange& exchange, DeviceSearch& search,
                     ExchangeHost& host, Dialogs& dialogs);

    // Download (Read) and Upload (Program) share this handler.
    void UpDownloadExecute(ExchangeOperation operation);
    void WerkseinstellungExecute();
    // Runs the checks for the record's operation and starts the exchange.
    void startTransfer();

private:
    LinkPort& m_link;
    DeviceExchange& m_exchange;
    DeviceSearch& m_search;
    ExchangeHost& m_host;
    Dialogs& m_dialogs;
};

} // namespace talvaro
