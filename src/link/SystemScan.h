#pragma once

#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringList>

#include <optional>

// What Linux shows about serial ports beyond the ports themselves: the processes that
// hold them open or lock them, who may open them, the USB devices behind them, what udev
// recorded of them and the USB serial adapters present. Every root is a parameter, so
// that tests read small trees of their own.
namespace talvaro {

struct SystemRoots {
    QString sys = QStringLiteral("/sys");
    QString proc = QStringLiteral("/proc");
    QString dev = QStringLiteral("/dev");
    QString etc = QStringLiteral("/etc"); // group and passwd
    // Where programs leave their LCK..NAME files; often one is a link to the other.
    QStringList locks = {QStringLiteral("/var/lock"), QStringLiteral("/run/lock")};
    QString udevData = QStringLiteral("/run/udev/data");
};

struct ProcessInfo {
    qint64 pid = 0;
    QString name;
    bool operator==(const ProcessInfo&) const = default;
};

// "0403:6001"-style identity of a USB device; empty parts when unknown.
struct UsbId {
    QString vendor;
    QString product;
    bool isEmpty() const { return vendor.isEmpty() || product.isEmpty(); }
    QString text() const { return vendor + QLatin1Char(':') + product; }
};

// What a USB device says of itself.
struct UsbDevice {
    UsbId id;
    QString manufacturer;
    QString product;
    QString serialNumber;
};

// One interface of a USB device, as /sys/bus/usb/devices lists it.
struct UsbInterface {
    UsbId id;
    QString device;      // the USB device's folder, the same for all its interfaces
    QString productName; // what the device calls itself, may be empty
    QString interfaceClass;
    QString interfaceSubClass;
    QString interfaceProtocol;
    QString driver; // bound driver, empty when none
    bool hasTty = false;
};

// Owner group and permissions of a device file.
struct DeviceFile {
    bool exists = false;
    uint gid = 0;
    QString group;            // its name, or the number when the group database does not know it
    uint mode = 0;            // st_mode
    QString modeText() const; // "crw-rw----"
    bool groupMayReadWrite() const;
};

// The user this program runs as and the groups of this login.
struct Login {
    uint uid = 0;
    QString user; // empty when the user database does not know the uid
    QList<uint> groups;
};

// A lock file a program left for a port (LCK..ttyUSB0).
struct PortLock {
    QString path;
    qint64 pid = 0;
    QString holder; // the running process's name; empty when it runs no more
    bool running = false;
};

class SystemScan {
public:
    explicit SystemScan(SystemRoots roots = {});

    // Every open file of every visible process: target path -> process.
    QMultiHash<QString, ProcessInfo> openFiles() const;
    // The processes of that name now running.
    QList<ProcessInfo> processesNamed(const QString& name) const;

    DeviceFile deviceFile(const QString& path) const;
    Login login(qint64 pid) const;
    // Whether the group database makes `user` a member of `gid` (as primary group too).
    bool groupDatabaseLists(const QString& user, uint gid) const;
    // The lock files of the port opened as `path`, the tty `name`, each once however many
    // lock folders lead to it: under the tty's own name (LCK..ttyUSB0, as minicom and most
    // programs write it) and under the one a Qt program, this one included, makes of the
    // path it opened (LCK..pts_0, LCK..serial_by-id_..., LCK.._home_..._link).
    QList<PortLock> locks(const QString& path, const QString& name) const;
    // What udev recorded of the tty `name` ("E:" lines as key -> value); nothing when
    // there is no record (no udev, as in containers).
    std::optional<QHash<QString, QString>> udevProperties(const QString& name) const;

    // The USB device behind the tty `name` ("ttyUSB0"); empty ids when it is none.
    UsbDevice usbDeviceOfTty(const QString& name) const;
    QList<UsbInterface> usbInterfaces() const;
    // The /dev/serial/by-id name that leads to `path`, empty when there is none.
    QString byIdName(const QString& path) const;

    const SystemRoots& roots() const { return m_roots; }

private:
    QList<qint64> pids() const;
    QString processName(qint64 pid) const;
    QString groupName(uint gid) const;

    SystemRoots m_roots;
};

} // namespace talvaro
