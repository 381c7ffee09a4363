#pragma once

#include "link/SystemScan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Small /sys, /proc and /dev trees in a temporary folder, laid out as Linux lays them
// out, for the port diagnosis.
class FakeSystem {
public:
    FakeSystem() {
        const QString top = m_dir.path();
        roots = {top + "/sys", top + "/proc", top + "/dev", {top + "/usr/bin/brltty"}};
    }

    // A process with the given files open on descriptors 3, 4, ...
    void process(qint64 pid, const QString& name, const QStringList& open = {}) {
        const QString folder = QStringLiteral("%1/%2").arg(roots.proc).arg(pid);
        write(folder + "/comm", name.toUtf8() + "\n");
        for (int i = 0; i < open.size(); ++i)
            link(open[i], QStringLiteral("%1/fd/%2").arg(folder).arg(i + 3));
    }

    // A USB device "1-<n>" with one interface; `tty` names the port its driver made.
    void usbDevice(int n, const QByteArray& vendor, const QByteArray& product,
                   const QString& tty = {}, const QByteArray& interfaceClass = "ff") {
        const QString name = QStringLiteral("1-%1").arg(n);
        const QString device = roots.sys + "/devices/pci0000:00/usb1/" + name;
        const QString interface = device + "/" + name + ":1.0";
        write(device + "/idVendor", vendor + "\n");
        write(device + "/idProduct", product + "\n");
        write(device + "/product", "USB Serial\n");
        write(interface + "/bInterfaceClass", interfaceClass + "\n");
        write(interface + "/bInterfaceSubClass", "02\n");
        link(interface, roots.sys + "/bus/usb/devices/" + name + ":1.0");
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
    static void link(const QString& target, const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        QFile::link(target, path);
    }

    talvaro::SystemRoots roots;

private:
    QTemporaryDir m_dir;
};
