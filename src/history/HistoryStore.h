#pragma once

#include "model/DeviceTypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The configuration history: every image read from or written to a device, each a plain
// .tkx file with its metadata beside it. Several processes may write one folder at once:
// every file is written atomically under a name no other writer picks.
namespace talvaro {

inline const QString ActionRead = QStringLiteral("Ausgelesen");
inline const QString ActionProgrammed = QStringLiteral("Programmiert");
inline const QString ActionFactoryReset = QStringLiteral("Werkseinstellungen");
inline const QString ActionBackup = QStringLiteral("Sicherung vor dem Programmieren");

// What happened to which device.
struct HistoryEvent {
    QString action;
    DeviceType type = DefaultDeviceType;
    QString deviceText; // the device's name as the search reported it
    QString firmware;
    QString port;
};

struct HistoryEntry {
    QString id; // the metadata file's name without its extension
    QDateTime time;
    HistoryEvent event;
    QString imageFile; // within the history folder; identical images share one file
    // Set when the metadata cannot be read or the image is missing or short; such an
    // entry can only be deleted.
    QString damage;
    bool damaged() const { return !damage.isEmpty(); }
};

class HistoryStore {
public:
    // At least this many entries per device text survive pruning.
    static constexpr int KeptPerDevice = 500;

    explicit HistoryStore(QString root);
    // The window's data folder + "/Verlauf", the same for the window and the command line.
    static QString defaultRoot();

    const QString& root() const { return m_root; }

    // Adds an entry for `image`; an image equal to the one of the previous entry of the
    // same device text and type is not stored again. Returns the entry, or nothing with
    // `error` set.
    std::optional<HistoryEntry> add(const HistoryEvent& event, const QByteArray& image,
                                    QString* error = nullptr);
    // Every entry, newest first; damaged ones included.
    QList<HistoryEntry> entries() const;
    std::optional<HistoryEntry> find(const QString& id) const;
    // Local times of the newest `count` entries, newest first, for the support report.
    QStringList newestTimes(int count) const;
    // The entry's image, or nothing when it is damaged or gone.
    std::optional<QByteArray> image(const HistoryEntry& entry) const;
    // Removes the entry, and its image once no other entry refers to it.
    bool remove(const QString& id);
    // Drops the oldest entries of `deviceText` beyond KeptPerDevice, never the newest
    // backup.
    void prune(const QString& deviceText);

private:
    QString path(const QString& name) const { return m_root + QLatin1Char('/') + name; }
    QString uniqueName() const;
    bool imageStillUsed(const QString& imageFile, const QList<HistoryEntry>& entries) const;
    // As remove and prune, on the list already read; `all` is kept up to date.
    bool removeFrom(QList<HistoryEntry>& all, const QString& id);
    void pruneFrom(QList<HistoryEntry>& all, const QString& deviceText);

    QString m_root;
};

} // namespace talvaro
