#pragma once

#include "firmware/Decryptfw.h"
#include "firmware/FirmwareHost.h"
#include "firmware/FirmwareTransfer.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace talvaro {

class Dialogs;

// The firmware update from "Start" to the result: checks the file, brings the device
// into its loader through the main window's link under the start timer, streams the
// file once the loader is ready and searches for the device again. The dialog only
// forwards its buttons here.
class FirmwareUpdate : public QObject {
    Q_OBJECT
public:
    static constexpr int StartTimeoutMs = 10000;

    FirmwareUpdate(FirmwareHost& host, Dialogs& dialogs, QObject* parent = nullptr);

    void setView(FirmwareView* view);
    // Tests shorten the waits.
    void setStartTimeout(int ms) { TimerFWUpdate.setInterval(ms); }
    void setTransferTimings(const TransferTimings& timings) { m_timings = timings; }

    // BtnSuchenClick: the chosen file, or an empty text when cancelled.
    QString chooseFile();
    // OKBtnClick: the file check, then startLoader. Nothing happens while the loader is
    // being woken or the transfer runs.
    void OKBtnClick(const QString& fileName);
    // False when no port could be used (the reason has been shown) or while the window's
    // link is busy with another exchange.
    bool startLoader();
    void TimerFWUpdateTimer();
    void stopStartTimer() { TimerFWUpdate.stop(); }
    // Handler of MsgLoaderReady: releases the window's port and starts the transfer.
    void MsgLoaderReady();

    // FormCloseQuery: no closing while the transfer runs.
    bool FormCloseQuery() const { return !m_busy; }
    // The dialog has closed: an update still waiting for the loader is given up.
    void dialogClosed();
    // Stops a running transfer and returns once its port is closed; `updateEnded`
    // follows without a message and without a search.
    void cancelTransfer();

    bool busy() const { return m_busy; }
    bool awaitingLoader() const { return m_awaitingLoader; }
    QString portName() const { return m_portName; }
    const QTimer& startTimer() const { return TimerFWUpdate; }

signals:
    // The transfer has ended, its result has been shown and the search after it has
    // run; `done` when every record was accepted.
    void updateEnded(bool done);

private:
    bool choosePort();
    void startTransfer();
    void transferFinished(TransferResult result);

    FirmwareHost& m_host;
    Dialogs& m_dialogs;
    FirmwareView* m_view;
    TDecryptFirmware m_decrypt;
    TransferTimings m_timings;
    FirmwareTransfer m_transfer;
    QTimer TimerFWUpdate;

    QString m_portName;
    QString m_portPath;          // what the transfer opens
    QByteArray m_checkedContent; // what the check passed; the transfer sends exactly this
    bool m_busy = false;
    bool m_awaitingLoader = false;
};

} // namespace talvaro
