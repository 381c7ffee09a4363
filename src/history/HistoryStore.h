#pragma once

#include "model/DeviceTypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The configuration history: every image read from, programmed into or reset on a
// device, in one SQLite file that the window and any number of talvaro-cli processes
// write at the same time. Nothing is ever removed except by the user.
namespace talvaro {

class Dialogs;
class HistoryDatabase;

inline const QString ActionRead = QStringLiteral("Ausgelesen");
inline const QString ActionProgrammed = QStringLiteral("Programmiert");
inline const QString ActionFactoryReset = QStringLiteral("Werkseinstellungen");
inline const QString ActionBackup = QStringLiteral("Sicherung vor dem Programmieren");

// What happened to which device; `type` is the type its image is read under.
struct HistoryEvent {
    QString action;
    DeviceType type = DefaultDeviceType;
    QString deviceText; // the device's name as the search reported it
    QString firmware;
    QString port;
};

struct HistoryEntry {
    qint64 id = 0;  // increases in the order the events happened
    QDateTime time; // UTC, for display: a clock set back makes it go backwards
    HistoryEvent event;
    QString note; // the user's, e.g. the customer's name
    // Set when the image does not fit the entry's type; such an entry is never used as
    // a configuration, only listed, annotated and deleted.
    QString damage;
    bool damaged() const { return !damage.isEmpty(); }
};

class HistoryStore {
public:
    using Clock = std::function<QDateTime()>;

    // `location`: the database file, or a folder that holds it as "Verlauf.sqlite". An
    // old "Verlauf" folder beside the file is imported when the file is made. Messages
    // that are no failure (a damaged file put aside) go to `dialogs`, if given.
    explicit HistoryStore(QString location, Dialogs* dialogs = nullptr, Clock clock = {});
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // "Verlauf.sqlite" in the window's data folder, the same for the command line.
    static QString defaultLocation();
    QString databasePath() const;
    // "wal" once opened, unless the file system refused SQLite's write-ahead log: then
    // the classic journal it kept, where readers wait while another program writes.
    QString journalMode() const;

    // Keeps the event and its image (stored once per type and content). Returns the
    // entry, or nothing with `error` set.
    std::optional<HistoryEntry> add(const HistoryEvent& event, const QByteArray& image,
                                    QString* error = nullptr);
    // Every entry, newest first. Empty with `error` set when the history cannot be read.
    QList<HistoryEntry> entries(QString* error = nullptr) const;
    std::optional<HistoryEntry> find(qint64 id) const;
    // Local times of the newest `count` entries, newest first, for the support report.
    QStringList newestTimes(int count) const;
    // The entry's image, or nothing when it is damaged or gone.
    std::optional<QByteArray> image(const HistoryEntry& entry) const;
    // Removes the event, and its image once no other event refers to it, together.
    // False when there is no such entry or the history cannot be written.
    bool remove(qint64 id, QString* error = nullptr);
    // Replaces the entry's note; line breaks become blanks.
    bool setNote(qint64 id, const QString& note, QString* error = nullptr);

private:
    bool open(QString* error) const;

    std::unique_ptr<HistoryDatabase> m_db;
    Clock m_clock;
};

// An entry's id as the user typed it; nothing for a text that is none.
std::optional<qint64> historyId(const QString& text);

} // namespace talvaro
