#pragma once

#include "LinkFakes.h"
#include "link/DeviceExchange.h"
#include "link/DeviceSearch.h"
#include "link/TransferCommands.h"

#include <QCoreApplication>

// The link's logic wired together on a fake link with simulated devices, events
// running through the queue as in the program.
struct LinkRig {
    explicit LinkRig(talvaro::DeviceType type = 5)
        : host(type), dialogs(host.calls), exchange(link, host, dialogs),
          search(link, exchange, host, dialogs), commands(exchange, search, host, dialogs) {
        link.onPacket = [this](const QByteArray& p) { exchange.DataPacket1Packet(p); };
        link.onTimeout = [this] { exchange.DataPacket1Timeout(); };
        link.onPost = [this](QEvent::Type message) {
            if (message == talvaro::MsgDeviceNotRecognised)
                search.deviceNotRecognised();
        };
    }
    // Lets queued events run until the script is used up and nothing is armed.
    bool settle() {
        for (int i = 0; i < 1000 && (link.armed() || !dialogs.allAnswered()); ++i)
            QCoreApplication::processEvents();
        return dialogs.allAnswered() && !link.armed();
    }
    // The port is known and open, as after an earlier search.
    void connectedOn(quint16 port) {
        exchange.deviceFoundOn(port);
        link.present.insert(port);
        link.setPortNumber(port);
        link.open();
        link.log.clear();
    }

    FakeLink link;
    FakeHost host;
    RecordingDialogs dialogs;
    talvaro::DeviceExchange exchange;
    talvaro::DeviceSearch search;
    talvaro::TransferCommands commands;
};
