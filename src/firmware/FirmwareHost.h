#pragma once

#include "link/LinkTypes.h"
#include "model/DeviceTypes.h"

#include <QtGlobal>

namespace talvaro {

class Document;
class LinkPort;

// What the firmware update needs of the main window: the edited device type with its
// file chooser texts, the identified port, the window's serial port with its matcher,
// the loader handshake of the exchange and the search afterwards.
class FirmwareHost {
public:
    virtual ~FirmwareHost() = default;

    virtual const Document& document() const = 0;
    // COM number of the identified device, 0 when offline.
    virtual quint16 portInUse() const = 0;
    virtual LinkPort& link() = 0;
    // Whether the window's link is in the middle of an exchange with the device.
    virtual bool exchangeRunning() const = 0;
    // Arms for the loader's type byte and sends "U\r"; the exchange takes it from there.
    // False, with nothing sent, while another exchange runs.
    virtual bool beginLoaderHandshake() = 0;
    // Stops waiting for the loader, ending its exchange with `result`; nothing is armed
    // afterwards.
    virtual void abandonLoaderHandshake(ExchangeResult result) = 0;
    // Finds the device again and reads its configuration; returns once the search
    // window has closed.
    virtual void searchAndRead() = 0;
};

// The firmware dialog as the update drives it.
class FirmwareView {
public:
    virtual ~FirmwareView() = default;

    // "U\r" has gone out and the loader has not confirmed yet (true), or the handshake
    // has ended (false): "Start" waits meanwhile.
    virtual void waitingForLoader(bool waiting) { Q_UNUSED(waiting); }
    // The transfer begins: every button and the file controls are disabled.
    virtual void transferStarting() = 0;
    virtual void setProgress(int percent) = 0;
    // The buttons work again; the file controls stay disabled until the next showing.
    virtual void transferEnded() = 0;
    // Ends the dialog with Cancel.
    virtual void closeDialog() = 0;
};

} // namespace talvaro
