#pragma once

#include "HistoryStore.h"
#include "link/ExchangeHost.h"

namespace talvaro {

class Dialogs;

// What the window and the command line do with the history while they talk to a device:
// they keep every image, know whether the history holds what the device found last has
// now, and say once per run when the history cannot be written.
class HistoryRecorder {
public:
    HistoryRecorder(HistoryStore& store, Dialogs& dialogs);

    HistoryStore& store() { return m_store; }

    // A device has been found: what it holds is not in the history yet.
    void deviceFound() { m_deviceHeld = false; }
    bool deviceHeld() const { return m_deviceHeld; }

    // Keeps the image. False when it could not be written; that is said once per run,
    // except for backups, whose caller asks instead.
    bool record(const TransferredImage& transferred);

private:
    HistoryStore& m_store;
    Dialogs& m_dialogs;
    bool m_deviceHeld = false;
    bool m_failureSaid = false;
};

} // namespace talvaro
