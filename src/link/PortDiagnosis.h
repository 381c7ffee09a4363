#pragma once

#include "SystemScan.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Why no telephone system answers on Linux: for the ports the search tries and the USB
// serial adapters present, the causes that lie outside the device, each named from what
// the system shows of it and with its cure. Runs only when asked (the search found
// nothing, the port list, the support report).
namespace talvaro {

struct PortAccess {
    enum class Result { Opened, NoPermission, Busy, Missing, Failed, NotProbed };
    Result result = Result::Opened;
    QString reason; // why it could not be opened, in German
};

// Opens the port for a moment, without becoming its controlling terminal.
PortAccess probePortAccess(const QString& path);

struct ComPortPath {
    quint16 number = 0;
    QString path;
};

// The numbered ports of `paths`, the device paths behind COM1, COM2, ... (an empty entry
// leaves that number without a port).
QList<ComPortPath> numberedComPorts(const QStringList& paths);

struct PortFinding {
    enum class Cause {
        NoPermission,       // the user is not in the port's group
        NotInThisLogin,     // in the group, but only from the next login on
        AccessRefused,      // refused although the group is no reason
        HeldBy,             // a visible process holds it open
        LockedBy,           // a running process left a lock file for it
        StaleLock,          // a lock file of a process that runs no more
        Busy,               // it refuses exclusive access, the holder unseen
        ModemManager,       // ModemManager probes it
        BrlttyHoldsAdapter, // brltty took a USB serial adapter
        AdapterWithoutTty,  // a USB serial adapter without tty: no driver
        NoSerialPort,       // nothing to search at all
    };
    Cause cause = Cause::NoSerialPort;
    quint16 number = 0; // the COM number; 0 for findings about the machine
    QString path;
    ProcessInfo holder; // HeldBy, LockedBy, StaleLock (PID only), ModemManager holding it
    QString lockFile;   // LockedBy, StaleLock
    DeviceFile file;    // the permission causes
    QString reason;     // AccessRefused
    UsbId usb;          // ModemManager, adapters
    QString adapter;    // the adapter's own name, adapters only
    QString driver;     // the driver an adapter needs
};

// The one German line that names the cause and its cure.
QString findingText(const PortFinding& finding);
// The cause's name for scripts: "noPermission", "heldBy", "busy", ...
QString findingKey(const PortFinding& finding);

struct PortState {
    ComPortPath port;
    PortAccess access;
    QString byId;     // the /dev/serial/by-id name, where there is one
    UsbDevice usb;    // what the adapter behind it says of itself
    bool own = false; // this program has it open
    QList<PortFinding> findings;

    // Another program has it open or locked.
    bool isHeld() const;
    // Opened by the probe and nobody else's.
    bool isFree() const;
};

struct Diagnosis {
    QList<PortState> ports;
    QList<PortFinding> machine; // adapters without tty, no port at all
    QStringList lines() const;
};

class PortDiagnosis {
public:
    using AccessProbe = std::function<PortAccess(const QString& path)>;

    // `ownPid`: this program, whose own descriptors and lock files are no one else's hold
    // and whose open ports are not probed (they would refuse a second opening).
    explicit PortDiagnosis(SystemRoots roots = {}, AccessProbe probe = probePortAccess,
                           qint64 ownPid = currentPid());

    Diagnosis run(const QList<ComPortPath>& ports) const;

    static qint64 currentPid();

private:
    struct Scene; // what holds for all ports
    PortState examine(const ComPortPath& port, const Scene& scene) const;
    QList<PortFinding> permissionFindings(const PortState& state, const Login& login) const;
    QList<PortFinding> adaptersWithoutTty() const;

    SystemScan m_scan;
    AccessProbe m_probe;
    qint64 m_ownPid;
};

} // namespace talvaro
