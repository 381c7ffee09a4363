#include "PortWatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

namespace talvaro {
namespace {

// The names serial ports get in the device folder.
const QStringList PortNames{QStringLiteral("ttyUSB*"),   QStringLiteral("ttyACM*"),
                            QStringLiteral("ttyS*"),     QStringLiteral("ttyAMA*"),
                            QStringLiteral("ttyXRUSB*"), QStringLiteral("rfcomm*")};

QStringList entriesOf(const QString& folder, const QStringList& filters = {}) {
    return QDir(folder).entryList(filters, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

PortWatcher::PortWatcher(const QString& devRoot, QObject* parent)
    : QObject(parent), m_dev(devRoot) {
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &PortWatcher::folderChanged);
}

void PortWatcher::setPortPaths(const QStringList& paths) {
    m_portPaths.clear();
    for (const QString& path : paths)
        if (!path.isEmpty())
            m_portPaths << QFileInfo(path).absoluteFilePath();
    if (m_watching) {
        watchFolders();
        m_known = listPorts();
    }
}

void PortWatcher::start() {
    m_watching = true;
    watchFolders();
    m_known = listPorts();
    m_settling.clear();
}

void PortWatcher::stop() {
    m_watching = false;
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_known.clear();
    m_settling.clear();
}

QStringList PortWatcher::ports() const {
    QStringList sorted(m_known.begin(), m_known.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

QSet<QString> PortWatcher::listPorts() const {
    QSet<QString> ports;
    for (const QString& name : entriesOf(m_dev, PortNames))
        ports.insert(m_dev + QLatin1Char('/') + name);
    // A by-id name leads to a port of the device folder; it counts once.
    const QString byId = m_dev + QStringLiteral("/serial/by-id");
    for (const QString& name : entriesOf(byId))
        if (const QString target = QFileInfo(byId + QLatin1Char('/') + name).canonicalFilePath();
            !target.isEmpty())
            ports.insert(target);
    for (const QString& path : m_portPaths)
        if (QFileInfo::exists(path))
            ports.insert(path);
    return ports;
}

void PortWatcher::watchFolders() {
    QStringList wanted{m_dev, m_dev + QStringLiteral("/serial"),
                       m_dev + QStringLiteral("/serial/by-id")};
    for (const QString& path : m_portPaths)
        wanted << QFileInfo(path).path();
    const QStringList watched = m_watcher.directories();
    for (const QString& folder : wanted)
        if (!watched.contains(folder) && QFileInfo(folder).isDir())
            m_watcher.addPath(folder);
}

void PortWatcher::folderChanged() {
    if (!m_watching)
        return;
    watchFolders(); // serial/by-id appears with the first USB serial adapter
    const QSet<QString> now = listPorts();
    QSet<QString> gone = m_known;
    gone.subtract(now);
    QSet<QString> added = now;
    added.subtract(m_known).subtract(m_settling);
    m_known.subtract(gone);
    m_settling.intersect(now);
    for (const QString& path : gone)
        emit portDisappeared(path);
    for (const QString& path : added) {
        m_settling.insert(path);
        QTimer::singleShot(m_settleMs, this, [this, path] { settled(path); });
    }
}

void PortWatcher::settled(const QString& path) {
    if (!m_settling.remove(path) || !QFileInfo::exists(path))
        return;
    m_known.insert(path);
    emit portAppeared(path);
}

} // namespace talvaro
