#pragma once

#include "link/PortMap.h"
#include "model/DeviceTypes.h"

#include <QString>
#include <QStringList>

#include <QTemporaryDir>

#include <memory>

namespace talvaro {

namespace sim {
class PtyDevice;
}

// "talvaro --demo [--type N]": a simulated telephone system, firmware loader included,
// answers on a pseudo-terminal that stands behind COM1, so that every command can be
// tried without hardware. The window edits the six-extension models only, so the demo
// offers those. What the demo reads and programs goes into a history of its own, which
// ends with the demo: the user's own history never holds the simulated device.
class DemoMode {
public:
    DemoMode();
    ~DemoMode();

    enum class Request { None, Demo, Invalid };
    // Looks for --demo and its --type among the program's arguments.
    Request parse(const QStringList& arguments);
    DeviceType deviceType() const { return m_type; }

    // With --demo among the arguments: starts the device and says so on stderr. False
    // (with the reason on stderr) when the demo was asked for but cannot run.
    bool startIfRequested(const QStringList& arguments);

    // Starts the device; false with errorText() otherwise.
    bool start();
    bool isRunning() const { return m_device != nullptr; }
    QString errorText() const { return m_error; }
    QString portPath() const;
    // COM1 is the demo device, and no other port is searched.
    PortAssignment ports() const;
    // The demo's own history folder, removed with the demo.
    QString historyFolder() const { return m_history ? m_history->path() : QString(); }
    // The demo firmware file of the device's type, empty when it is not installed.
    QString firmwareFile() const;

private:
    DeviceType m_type = DefaultDeviceType;
    QString m_error;
    std::unique_ptr<sim::PtyDevice> m_device;
    std::unique_ptr<QTemporaryDir> m_history;
};

} // namespace talvaro
