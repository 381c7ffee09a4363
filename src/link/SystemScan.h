#pragma once

#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringList>

// What Linux shows about serial ports beyond the ports themselves: the processes that
// hold them open, the USB devices behind them and the USB serial adapters present.
// Every root is a parameter, so that tests read small trees of their own.
namespace talvaro {

struct SystemRoots {
    QString sys = QStringLiteral("/sys");
    QString proc = QStringLiteral("/proc");
    QString dev = QStringLiteral("/dev");
    // brltty counts as installed when one of these exists.
    QStringList brltty = {QStringLiteral("/usr/bin/brltty"), QStringLiteral("/bin/brltty"),
                          QStringLiteral("/usr/lib/udev/rules.d/85-brltty.rules"),
                          QStringLiteral("/lib/udev/rules.d/85-brltty.rules")};
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

// One interface of a USB device, as /sys/bus/usb/devices lists it.
struct UsbInterface {
    UsbId id;
    QString device;      // the USB device's folder, the same for all its interfaces
    QString productName; // what the device calls itself, may be empty
    QString interfaceClass;
    QString interfaceSubClass;
    QString driver; // bound driver, empty when none
    bool hasTty = false;
};

class SystemScan {
public:
    explicit SystemScan(SystemRoots roots = {});

    // Every open file of every visible process: target path -> process.
    QMultiHash<QString, ProcessInfo> openFiles() const;
    // The processes of that name now running.
    QList<ProcessInfo> processesNamed(const QString& name) const;
    bool brlttyInstalled() const;

    // The USB device behind the tty `name` ("ttyUSB0"); empty when it is none.
    UsbId usbIdOfTty(const QString& name) const;
    QList<UsbInterface> usbInterfaces() const;
    // The /dev/serial/by-id name that leads to `path`, empty when there is none.
    QString byIdName(const QString& path) const;

    const SystemRoots& roots() const { return m_roots; }

private:
    QList<qint64> pids() const;
    QString processName(qint64 pid) const;

    SystemRoots m_roots;
};

} // namespace talvaro
