#pragma once

#include "link/SystemScan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

// Small /sys, /proc, /dev, /etc, lock and udev trees in a temporary folder, laid out as
// Linux lays them out, for the port diagnosis.
class FakeSystem {
public:
    FakeSystem() {
        const QString top = m_dir.path();
        roots = {top + "/sys",
                 top + "/proc",
                 top + "/dev",
                 top + "/etc",
                 {top + "/var/lock", top + "/run/lock"},
                 top + "/run/udev/data"};
    }

    // A process with the given files open on descriptors 3, 4, ...
    void process(qint64 pid, const QString& name, const QStringList& open = {}) {
        const QString folder = QStringLiteral("%1/%2").arg(roots.proc).arg(pid);
        write(folder + "/comm", name.toUtf8() + "\n");
        for (int i = 0; i < open.size(); ++i)
            link(open[i], QStringLiteral("%1/fd/%2").arg(folder).arg(i + 3));
    }

    // The user "anna" runs process `pid`; its login has `groups` besides her own.
    void login(qint64 pid, const QList<uint>& groups = {}) {
        append(roots.etc + "/passwd",
               QStringLiteral("anna:x:1000:%1::/home/anna:/bin/sh\n").arg(userGid()).toUtf8());
        QStringList ids;
        for (const uint gid : groups)
            ids << QString::number(gid);
        write(QStringLiteral("%1/%2/status").arg(roots.proc).arg(pid),
              QStringLiteral("Uid:\t1000\t1000\t1000\t1000\nGid:\t%1\t%1\t%1\t%1\nGroups:\t%2\n")
                  .arg(userGid())
                  .arg(ids.join(' '))
                  .toUtf8());
    }

    // Gives the device file `path` the group `name` (with `members`) and `permissions`;
    // returns the group's id.
    uint group(const QString& path, const QString& name, const QString& members = {},
               QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::WriteGroup) {
        const uint gid = deviceGid();
        [[maybe_unused]] const int changed = ::chown(QFile::encodeName(path), -1, gid);
        QFile::setPermissions(path, permissions);
        append(roots.etc + "/group",
               QStringLiteral("%1:x:%2:%3\n").arg(name).arg(gid).arg(members).toUtf8());
        return gid;
    }

    // A lock file LCK..`tty` in the first lock folder, holding `pid` as programs write it.
    QString lock(const QString& tty, qint64 pid) {
        return write(roots.locks.first() + "/LCK.." + tty,
                     QByteArray::number(pid).rightJustified(10, ' ') + "\n");
    }

    // What udev recorded of the tty: its E: properties.
    void udev(const QString& tty, const QByteArray& properties) {
        write(roots.sys + "/class/tty/" + tty + "/dev", "166:0\n");
        write(roots.udevData + "/c166:0", "I:1234\n" + properties);
    }

    // A USB device "1-<n>" with one interface; `tty` names the port its driver made.
    void usbDevice(int n, const QByteArray& vendor, const QByteArray& product,
                   const QString& tty = {}, const QByteArray& interfaceClass = "ff",
                   const QByteArray& protocol = "00", const QString& driver = {}) {
        const QString name = QStringLiteral("1-%1").arg(n);
        const QString device = roots.sys + "/devices/pci0000:00/usb1/" + name;
        const QString interface = device + "/" + name + ":1.0";
        write(device + "/idVendor", vendor + "\n");
        write(device + "/idProduct", product + "\n");
        write(device + "/product", "USB Serial\n");
        write(interface + "/bInterfaceClass", interfaceClass + "\n");
        write(interface + "/bInterfaceSubClass", "02\n");
        write(interface + "/bInterfaceProtocol", protocol + "\n");
        link(interface, roots.sys + "/bus/usb/devices/" + name + ":1.0");
        if (!driver.isEmpty() && QDir().mkpath(roots.sys + "/bus/usb/drivers/" + driver))
            link(roots.sys + "/bus/usb/drivers/" + driver, interface + "/driver");
        if (!tty.isEmpty() && QDir().mkpath(interface + "/" + tty))
            link(interface + "/" + tty, roots.sys + "/class/tty/" + tty + "/device");
    }

    static QString write(const QString& path, const QByteArray& bytes = {}) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }
    static void append(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::Append))
            file.write(bytes);
    }
    static void link(const QString& target, const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        QFile::link(target, path);
    }

    talvaro::SystemRoots roots;

private:
    // A group the test may give its files: its own, or any for root.
    static uint deviceGid() { return ::getegid() != 0 ? ::getegid() : 20; }
    static uint userGid() { return deviceGid() + 1; }

    QTemporaryDir m_dir;
};
