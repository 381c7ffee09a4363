#pragma once

#include "LinkFakes.h"
#include "SimulatedPorts.h"
#include "link/LinkSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// The whole link, real serial port included, against simulated devices on COM1, COM2, ...
// in the order given, each answering in its own thread.
struct LinkBench {
    explicit LinkBench(talvaro::DeviceType edited,
                       std::initializer_list<talvaro::DeviceType> devices)
        : host(edited), dialogs(host.calls), session(host, dialogs), sims(devices) {
        sims.assignPorts();
    }
    talvaro::sim::PtyDevice& device(int com) { return sims.at(com); }
    void start() { sims.start(); }
    // As after an earlier search: the device on COM<n> is known and its port open.
    bool connectedOn(quint16 com) {
        session.exchange().deviceFoundOn(com);
        session.ComPort1().setPortNumber(com);
        return session.ComPort1().open();
    }
    bool finished(int timeoutMs = 5000) {
        QElapsedTimer clock;
        clock.start();
        while ((!dialogs.allAnswered() || session.DataPacket1().isArmed()) &&
               clock.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        return dialogs.allAnswered() && !session.DataPacket1().isArmed();
    }
    QByteArray deviceImage(int com) { return sims.image(com); }

    FakeHost host;
    RecordingDialogs dialogs;
    talvaro::LinkSession session;
    SimulatedPorts sims;
};

inline const QString ErrorDialog = QStringLiteral("ErrorDialog");
