#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QStringList>

// Notices serial ports that appear or disappear, without polling: a file-system watcher
// on the folders ports live in (the device folder, its serial/by-id once it exists, and
// the folders of the port map's paths). A change there is first compared by names only;
// a new port is reported after a short settle, because the kernel makes the device file
// before udev has set its group and rights. A port that goes is reported at once.
namespace talvaro {

class PortWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultSettleMs = 1000;

    // `devRoot` is the device folder ("/dev"; another one in tests).
    explicit PortWatcher(const QString& devRoot = QStringLiteral("/dev"),
                         QObject* parent = nullptr);

    // The paths of the port map (COM1, COM2, ...): each counts as a port while it exists,
    // wherever it lies, and its folder is watched too.
    void setPortPaths(const QStringList& paths);
    void setSettleMs(int ms) { m_settleMs = ms; }

    // Takes the ports there are now as known and watches from then on.
    void start();
    void stop();
    bool isWatching() const { return m_watching; }
    // The ports known now (settled ones only), sorted.
    QStringList ports() const;

signals:
    void portAppeared(const QString& path);
    void portDisappeared(const QString& path);

private:
    QSet<QString> listPorts() const;
    void watchFolders();
    void folderChanged();
    void settled(const QString& path);

    QString m_dev;
    QStringList m_portPaths;
    int m_settleMs = DefaultSettleMs;
    bool m_watching = false;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_known;    // reported, or there at the start
    QSet<QString> m_settling; // new, not yet reported
};

} // namespace talvaro
