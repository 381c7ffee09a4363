#pragma once

#include "SystemScan.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Why no telephone system answers on Linux: for the ports the search tries and the USB
// serial adapters present, the causes that lie outside the device, each with its cure.
// Runs only when asked (the search found nothing, the port list, the support report).
namespace talvaro {

struct PortAccess {
    enum class Result { Opened, NoPermission, Busy, Missing, Failed };
    Result result = Result::Opened;
    QString reason; // the system's words when it could not be opened
};

// Opens the port for a moment, without becoming its controlling terminal.
PortAccess probePortAccess(const QString& path);

struct ComPortPath {
    quint16 number = 0;
    QString path;
};

// COM1 to COM20, each with the device path behind it, as the search tries them.
QList<ComPortPath> assignedComPorts();

struct PortFinding {
    enum class Cause {
        NoPermission,       // the user may not open the port
        HeldBy,             // a visible process holds it open
        Busy,               // it refuses exclusive access, the holder unseen
        ModemManager,       // ModemManager probes USB and ACM ports
        BrlttyHoldsAdapter, // a USB serial adapter without tty while brltty is around
        AdapterWithoutTty,  // a USB serial adapter without tty: no driver
        NoSerialPort,       // nothing to search at all
    };
    Cause cause = Cause::NoSerialPort;
    quint16 number = 0; // the COM number; 0 for findings about the machine
    QString path;
    ProcessInfo holder; // HeldBy
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
    QString byId; // the /dev/serial/by-id name, where there is one
    QList<PortFinding> findings;
};

struct Diagnosis {
    QList<PortState> ports;
    QList<PortFinding> machine; // adapters without tty, no port at all
    QStringList lines() const;
};

class PortDiagnosis {
public:
    using AccessProbe = std::function<PortAccess(const QString& path)>;

    // `ownPid`: this program, whose own descriptors are no one else's hold.
    explicit PortDiagnosis(SystemRoots roots = {}, AccessProbe probe = probePortAccess,
                           qint64 ownPid = currentPid());

    Diagnosis run(const QList<ComPortPath>& ports) const;
    // The lines of the dialog "Keine Telefonanlage gefunden", for the ports searched.
    QStringList noDeviceLines() const { return run(assignedComPorts()).lines(); }

    static qint64 currentPid();

private:
    PortState examine(const ComPortPath& port, const QMultiHash<QString, ProcessInfo>& open,
                      bool modemManager) const;
    QList<PortFinding> adaptersWithoutTty() const;

    SystemScan m_scan;
    AccessProbe m_probe;
    qint64 m_ownPid;
};

} // namespace talvaro
