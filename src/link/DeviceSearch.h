#pragma once

#include "LinkTypes.h"

namespace talvaro {

class DeviceExchange;
class Dialogs;
class ExchangeHost;
class LinkPort;

// Finds the telephone system on COM1 to COM20: each port in turn is opened and asked
// for its identity; the exchange decides whether the answer belongs to the edited
// model group. With no device found the user searches again or works offline.
class DeviceSearch {
public:
    DeviceSearch(LinkPort& link, DeviceExchange& exchange, ExchangeHost& host, Dialogs& dialogs);

    // Starts from COM1 and shows the search window while a probe runs. Nothing happens
    // while an exchange runs.
    void startSearch(ExchangeOperation operation);
    // The same within an exchange begun already (a read or program command).
    void searchFor(ExchangeOperation operation);
    // Handler of MsgDeviceNotRecognised: the probed port is closed, the next one tried.
    void deviceNotRecognised();

    // Probes from the port after the last one probed; true when a probe is running.
    // With the ports used up it asks the user, and goes offline unless told to search
    // again.
    bool searchDevice();

private:
    bool probeNextPort();
    void restartAtFirstPort();
    void showSearchWhileProbing();
    void goOffline();

    LinkPort& m_link;
    DeviceExchange& m_exchange;
    ExchangeHost& m_host;
    Dialogs& m_dialogs;
};

} // namespace talvaro
