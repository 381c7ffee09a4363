#include "SystemScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace talvaro {
namespace {

QString readTrimmed(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
}

QString canonical(const QString& path) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

} // namespace

SystemScan::SystemScan(SystemRoots roots) : m_roots(std::move(roots)) {}

QList<qint64> SystemScan::pids() const {
    QList<qint64> result;
    for (const QString& entry : entriesOf(m_roots.proc)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok)
            result << pid;
    }
    return result;
}

QString SystemScan::processName(qint64 pid) const {
    return readTrimmed(QStringLiteral("%1/%2/comm").arg(m_roots.proc).arg(pid));
}

QMultiHash<QString, ProcessInfo> SystemScan::openFiles() const {
    QMultiHash<QString, ProcessInfo> files;
    for (const qint64 pid : pids()) {
        // Other users' processes keep their descriptors to themselves; they stay unseen.
        const QString fdFolder = QStringLiteral("%1/%2/fd").arg(m_roots.proc).arg(pid);
        const QStringList fds = entriesOf(fdFolder);
        if (fds.isEmpty())
            continue;
        const ProcessInfo process{pid, processName(pid)};
        for (const QString& fd : fds) {
            const QString target = QFile::symLinkTarget(fdFolder + QLatin1Char('/') + fd);
            if (!target.isEmpty() && !files.contains(target, process))
                files.insert(target, process);
        }
    }
    return files;
}

QList<ProcessInfo> SystemScan::processesNamed(const QString& name) const {
    QList<ProcessInfo> found;
    for (const qint64 pid : pids())
        if (processName(pid) == name)
            found << ProcessInfo{pid, name};
    return found;
}

bool SystemScan::brlttyInstalled() const {
    for (const QString& path : m_roots.brltty)
        if (QFileInfo::exists(path))
            return true;
    return false;
}

UsbId SystemScan::usbIdOfTty(const QString& name) const {
    const QString top = canonical(m_roots.sys);
    QString folder =
        QFileInfo(m_roots.sys + QStringLiteral("/class/tty/") + name + QStringLiteral("/device"))
            .canonicalFilePath();
    // The tty hangs below its USB interface, which hangs below the device with the ids.
    while (!folder.isEmpty() && folder.startsWith(top) && folder != top) {
        const QString vendor = readTrimmed(folder + QStringLiteral("/idVendor"));
        if (!vendor.isEmpty())
            return {vendor, readTrimmed(folder + QStringLiteral("/idProduct"))};
        folder = QFileInfo(folder).path();
    }
    return {};
}

QList<UsbInterface> SystemScan::usbInterfaces() const {
    QList<UsbInterface> interfaces;
    const QString listed = m_roots.sys + QStringLiteral("/bus/usb/devices");
    for (const QString& entry : entriesOf(listed)) {
        if (!entry.contains(QLatin1Char(':')))
            continue; // a device or a hub, not one of its interfaces
        const QString folder = canonical(listed + QLatin1Char('/') + entry);
        const QString device = QFileInfo(folder).path();
        UsbInterface usb;
        usb.id = {readTrimmed(device + QStringLiteral("/idVendor")),
                  readTrimmed(device + QStringLiteral("/idProduct"))};
        usb.device = device;
        usb.productName = readTrimmed(device + QStringLiteral("/product"));
        usb.interfaceClass = readTrimmed(folder + QStringLiteral("/bInterfaceClass"));
        usb.interfaceSubClass = readTrimmed(folder + QStringLiteral("/bInterfaceSubClass"));
        const QString driver = QFileInfo(folder + QStringLiteral("/driver")).canonicalFilePath();
        usb.driver = driver.isEmpty() ? QString() : QFileInfo(driver).fileName();
        usb.hasTty = !QDir(folder)
                          .entryList({QStringLiteral("tty"), QStringLiteral("ttyUSB*"),
                                      QStringLiteral("ttyACM*")},
                                     QDir::AllEntries | QDir::NoDotAndDotDot)
                          .isEmpty();
        interfaces << usb;
    }
    return interfaces;
}

QString SystemScan::byIdName(const QString& path) const {
    const QString target = canonical(path);
    const QString folder = m_roots.dev + QStringLiteral("/serial/by-id");
    for (const QString& entry : entriesOf(folder)) {
        const QString link = folder + QLatin1Char('/') + entry;
        if (QFileInfo(link).canonicalFilePath() == target)
            return link;
    }
    return {};
}

} // namespace talvaro
