#pragma once

#include "LinkTypes.h"

namespace talvaro {

class DeviceExchange;
class DeviceSearch;
class Dialogs;
class ExchangeHost;

// The user commands "Konfiguration auslesen", "Konfiguration programmieren" and
// "Werkseinstellungen": their checks, then the exchange on the known port or a search.
class TransferCommands {
public:
    TransferCommands(DeviceExchange& exchange, DeviceSearch& search, ExchangeHost& host,
                     Dialogs& dialogs);

    // Download (Read) and Upload (Program) share this handler. Both commands do nothing
    // while an exchange runs.
    void UpDownloadExecute(ExchangeOperation operation);
    void WerkseinstellungExecute();

private:
    // Runs the checks for the record's operation and starts the exchange.
    void startTransfer();

    DeviceExchange& m_exchange;
    DeviceSearch& m_search;
    ExchangeHost& m_host;
    Dialogs& m_dialogs;
};

} // namespace talvaro
