#pragma once

#include "LinkFakes.h"
#include "SimulatedPorts.h"
#include "link/LinkSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

// The whole link, real serial port included, against simulated devices on COM1, COM2, ...
// in the order given, each answering in its own thread.
struct LinkBench {
    explicit LinkBench(talvaro::DeviceType edited,
                       std::initializer_list<talvaro::DeviceType> devices)
        : host(edited), dialogs(host.calls), session(host, dialogs), sims(devices) {
        session.setPortAssignment(sims.assignment());
    }
    talvaro::sim::PtyDevice& device(int com) { return sims.at(com); }
    void start() { sims.start(); }
    // As after an earlier search: the device on COM<n> is known and its port open.
    bool connectedOn(quint16 com) {
        session.exchange().deviceFoundOn(com);
        session.ComPort1().setPortNumber(com);
        return session.ComPort1().open();
    }
    // Runs the event loop until the script is used up and nothing is armed; the limit
    // only bounds a hang.
    bool finished(int hangMs = 60000) {
        QTimer wakeUp; // lets the wait below notice the limit
        wakeUp.start(50);
        const QDeadlineTimer hang(hangMs);
        while (!settled() && !hang.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return settled();
    }
    // Nothing left to do: a packet still queued would arm the matcher again.
    bool settled() {
        QCoreApplication::sendPostedEvents();
        return dialogs.allAnswered() && !session.DataPacket1().isArmed();
    }
    QByteArray deviceImage(int com) { return sims.image(com); }

    FakeHost host;
    RecordingDialogs dialogs;
    talvaro::LinkSession session;
    SimulatedPorts sims;
};

inline const QString ErrorDialog = QStringLiteral("ErrorDialog");
