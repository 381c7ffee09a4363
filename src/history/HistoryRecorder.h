#pragma once

#include "HistoryStore.h"
#include "link/ExchangeHost.h"

namespace talvaro {

class Dialogs;

// What the window and the command line do with the history while they talk to a device:
// they keep every image, and say once per run when the history cannot be written.
class HistoryRecorder {
public:
    HistoryRecorder(HistoryStore& store, Dialogs& dialogs);

    HistoryStore& store() { return m_store; }

    // Keeps the image. False when it could not be written; that is said once per run,
    // except for backups, whose caller asks instead.
    bool record(const TransferredImage& transferred);

private:
    HistoryStore& m_store;
    Dialogs& m_dialogs;
    bool m_failureSaid = false;
};

} // namespace talvaro
