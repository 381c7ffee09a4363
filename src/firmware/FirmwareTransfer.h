#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <functional>

namespace talvaro {

class Dialogs;

constexpr quint8 AcceptByte = 0x11;

// Waits of the transfer, in milliseconds. Tests shorten them; the program uses these.
struct TransferTimings {
    int beforeOpen = 200;
    int openTimeout = 2000;
    int drainTimeout = 1;
    int replyTimeout = 4000; // a missing reply is given up after twice this
    int afterClose = 200;
    int afterTransfer = 3000; // the loader stores the firmware and restarts
};

struct TransferHooks {
    std::function<void(int percent)> progress;
    // Lets the user interface repaint between records.
    std::function<void()> processEvents = [] { QCoreApplication::processEvents(); };
};

// Streams the records of a firmware file's content, as they stand, to the loader on
// `portName` ("COM<n>" or a device path) and waits for AcceptByte after each. A refused
// record is sent again, four times at most in a row. Failures are shown in the error
// dialog once the port is closed. True when every record was accepted.
bool transferFirmware(const QByteArray& fileContent, const QString& portName, Dialogs& dialogs,
                      const TransferHooks& hooks = {}, const TransferTimings& timings = {});

} // namespace talvaro
