#pragma once

#include "link/PortMap.h"
#include "sim/PtyDevice.h"

#include <QStringList>

#include <memory>
#include <vector>

// Simulated telephone systems on COM1, COM2, ... in the order given, each answering on a
// pseudo-terminal of its own once started. Tests that use it link the simulator library.
class SimulatedPorts {
public:
    explicit SimulatedPorts(std::initializer_list<talvaro::DeviceType> types) {
        for (const talvaro::DeviceType type : types) {
            auto device = std::make_unique<talvaro::sim::PtyDevice>(type);
            if (!device->open())
                qFatal("no pty: %s", qPrintable(device->errorText()));
            paths << device->slavePath();
            m_devices.push_back(std::move(device));
        }
    }

    void start() {
        for (auto& d : m_devices)
            d->start();
    }
    // The value of TALVARO_PORTS that makes them COM1, COM2, ...
    QString portList() const { return paths.join(QLatin1Char(',')); }
    void assignPorts() const { qputenv("TALVARO_PORTS", portList().toLocal8Bit()); }
    // The same as a map to hand to a session.
    talvaro::PortAssignment assignment() const {
        return talvaro::PortAssignment(talvaro::PortMap(paths));
    }

    talvaro::sim::PtyDevice& at(int com) { return *m_devices.at(com - 1); }
    QByteArray image(int com) {
        return at(com).withDevice([](talvaro::sim::SimDevice& d) { return d.image(); });
    }
    int writes(int com) {
        return at(com).withDevice([](talvaro::sim::SimDevice& d) { return d.writesCompleted(); });
    }
    // The simulator dies: both ends of its pseudo-terminal close.
    void kill(int com) { m_devices.at(com - 1).reset(); }

    QStringList paths;

private:
    std::vector<std::unique_ptr<talvaro::sim::PtyDevice>> m_devices;
};
