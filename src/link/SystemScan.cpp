#include "SystemScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <array>
#include <cstring>
#include <sys/stat.h>

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

// The lines of a colon-separated database (/etc/group, /etc/passwd), split into fields.
QList<QStringList> databaseEntries(const QString& path) {
    QList<QStringList> entries;
    for (const QString& line : readTrimmed(path).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!line.startsWith(QLatin1Char('#')))
            entries << line.split(QLatin1Char(':'));
    return entries;
}

// "Uid:\t1000\t1000..." of /proc/PID/status: the numbers after the key.
QList<uint> statusNumbers(const QString& status, const QString& key) {
    QList<uint> numbers;
    for (const QString& line : status.split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char(':')))
            for (const QString& field :
                 line.mid(key.size() + 1)
                     .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
                numbers << field.toUInt();
    return numbers;
}

// A lock file holds its owner's PID as text ("  1234\n", perhaps followed by more
// lines), or as a binary int from older programs.
qint64 lockPid(const QByteArray& bytes) {
    bool ok = false;
    const qint64 pid = bytes.left(bytes.indexOf('\n')).trimmed().toLongLong(&ok);
    if (ok)
        return pid;
    if (bytes.size() == sizeof(qint32)) {
        qint32 binary = 0;
        std::memcpy(&binary, bytes.constData(), sizeof binary);
        return binary;
    }
    return 0;
}

struct ModeBit {
    uint bit;
    char letter;
};

constexpr std::array<ModeBit, 9> ModeBits{{{S_IRUSR, 'r'},
                                           {S_IWUSR, 'w'},
                                           {S_IXUSR, 'x'},
                                           {S_IRGRP, 'r'},
                                           {S_IWGRP, 'w'},
                                           {S_IXGRP, 'x'},
                                           {S_IROTH, 'r'},
                                           {S_IWOTH, 'w'},
                                           {S_IXOTH, 'x'}}};

// The name a Qt program gives the lock file of the port it opened as `path`: the path
// below /dev, or the whole path, with '/' as '_'.
QString qtLockName(const QString& path) {
    const QLatin1String dev("/dev/");
    QString name = path.startsWith(dev) ? path.mid(dev.size()) : path;
    return name.replace(QLatin1Char('/'), QLatin1Char('_'));
}

} // namespace

QString DeviceFile::modeText() const {
    QString text(1, S_ISCHR(mode) ? QLatin1Char('c') : QLatin1Char('-'));
    for (const ModeBit& m : ModeBits)
        text += (mode & m.bit) ? QLatin1Char(m.letter) : QLatin1Char('-');
    return text;
}

bool DeviceFile::groupMayReadWrite() const {
    return (mode & S_IRGRP) && (mode & S_IWGRP);
}

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

QString SystemScan::groupName(uint gid) const {
    for (const QStringList& group : databaseEntries(m_roots.etc + QStringLiteral("/group")))
        if (group.size() > 2 && group[2].toUInt() == gid && !group[2].isEmpty())
            return group[0];
    return QString::number(gid);
}

DeviceFile SystemScan::deviceFile(const QString& path) const {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {true, info.st_gid, groupName(info.st_gid), info.st_mode};
}

Login SystemScan::login(qint64 pid) const {
    const QString status = readTrimmed(QStringLiteral("%1/%2/status").arg(m_roots.proc).arg(pid));
    Login login;
    login.uid = statusNumbers(status, QStringLiteral("Uid")).value(1); // effective
    for (const QStringList& user : databaseEntries(m_roots.etc + QStringLiteral("/passwd")))
        if (user.size() > 2 && user[2].toUInt() == login.uid && !user[2].isEmpty())
            login.user = user[0];
    login.groups = statusNumbers(status, QStringLiteral("Groups"));
    login.groups << statusNumbers(status, QStringLiteral("Gid")).value(1);
    return login;
}

bool SystemScan::groupDatabaseLists(const QString& user, uint gid) const {
    if (user.isEmpty())
        return false;
    for (const QStringList& entry : databaseEntries(m_roots.etc + QStringLiteral("/passwd")))
        if (entry.size() > 3 && entry[0] == user && entry[3].toUInt() == gid)
            return true;
    for (const QStringList& group : databaseEntries(m_roots.etc + QStringLiteral("/group")))
        if (group.size() > 3 && group[2].toUInt() == gid &&
            group[3].split(QLatin1Char(',')).contains(user))
            return true;
    return false;
}

QList<PortLock> SystemScan::locks(const QString& path, const QString& name) const {
    QList<PortLock> found;
    QSet<QString> seen; // the two names may be one, and a lock folder a link to another
    for (const QString& lockName : {name, qtLockName(path)})
        for (const QString& folder : m_roots.locks) {
            const QString lockPath = folder + QStringLiteral("/LCK..") + lockName;
            QFile file(lockPath);
            if (seen.contains(canonical(lockPath)) || !file.open(QIODevice::ReadOnly))
                continue;
            seen.insert(canonical(lockPath));
            PortLock lock{lockPath, lockPid(file.read(64)), {}, false};
            if (lock.pid <= 0)
                continue; // no holder to name, nothing to tell
            lock.running =
                QFileInfo::exists(QStringLiteral("%1/%2").arg(m_roots.proc).arg(lock.pid));
            if (lock.running)
                lock.holder = processName(lock.pid);
            found << lock;
        }
    return found;
}

std::optional<QHash<QString, QString>> SystemScan::udevProperties(const QString& name) const {
    const QString number =
        readTrimmed(m_roots.sys + QStringLiteral("/class/tty/") + name + QStringLiteral("/dev"));
    QFile file(m_roots.udevData + QStringLiteral("/c") + number);
    if (number.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QHash<QString, QString> properties;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("E:")))
            properties.insert(line.mid(2).section(QLatin1Char('='), 0, 0),
                              line.section(QLatin1Char('='), 1));
    return properties;
}

UsbDevice SystemScan::usbDeviceOfTty(const QString& name) const {
    const QString top = canonical(m_roots.sys);
    QString folder =
        QFileInfo(m_roots.sys + QStringLiteral("/class/tty/") + name + QStringLiteral("/device"))
            .canonicalFilePath();
    // The tty hangs below its USB interface, which hangs below the device with the ids.
    while (!folder.isEmpty() && folder.startsWith(top) && folder != top) {
        const QString vendor = readTrimmed(folder + QStringLiteral("/idVendor"));
        if (!vendor.isEmpty())
            return {{vendor, readTrimmed(folder + QStringLiteral("/idProduct"))},
                    readTrimmed(folder + QStringLiteral("/manufacturer")),
                    readTrimmed(folder + QStringLiteral("/product")),
                    readTrimmed(folder + QStringLiteral("/serial"))};
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
        usb.interfaceProtocol = readTrimmed(folder + QStringLiteral("/bInterfaceProtocol"));
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
