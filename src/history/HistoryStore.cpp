#include "HistoryStore.h"

#include "HistoryDatabase.h"
#include "LegacyHistory.h"
#include "model/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

namespace talvaro {
namespace {

const QString DatabaseName = QStringLiteral("Verlauf.sqlite");
const QString LegacyFolderName = QStringLiteral("Verlauf");

const QString EntryQuery =
    QStringLiteral("SELECT e.id, e.time, e.action, i.type, e.device, e.firmware, e.port, e.note, "
                   "length(i.bytes) FROM events e LEFT JOIN images i ON i.id = e.image");

QString databaseFile(const QString& location) {
    return QFileInfo(location).isDir() ? QDir(location).filePath(DatabaseName) : location;
}

// SQLite keeps a null text as NULL, which the columns refuse.
QString text(const QString& value) {
    return value.isNull() ? QStringLiteral("") : value;
}

QByteArray blob(const QByteArray& value) {
    return value.isNull() ? QByteArray("", 0) : value;
}

QString damageOf(DeviceType type, qsizetype length) {
    if (!isDefinedDeviceType(type))
        return QStringLiteral("unbekannter Gerätetyp %1").arg(type);
    const int expected = familyProfile(type).imageLength;
    if (length != expected)
        return QStringLiteral("%1 Byte passen nicht zu Gerätetyp %2 (%3 Byte)")
            .arg(length)
            .arg(type)
            .arg(expected);
    return {};
}

HistoryEntry entryAt(const QSqlQuery& query) {
    HistoryEntry entry;
    entry.id = query.value(0).toLongLong();
    entry.time = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
    entry.event.action = query.value(2).toString();
    entry.event.type = query.value(3).toUInt();
    entry.event.deviceText = query.value(4).toString();
    entry.event.firmware = query.value(5).toString();
    entry.event.port = query.value(6).toString();
    entry.note = query.value(7).toString();
    entry.damage = query.value(8).isNull() ? QStringLiteral("Konfiguration fehlt")
                                           : damageOf(entry.event.type, query.value(8).toInt());
    return entry;
}

// One event and its image, within the transaction running on `db`; the event's id.
std::optional<qint64> insertEvent(HistoryDatabase& db, const QDateTime& time,
                                  const HistoryEvent& event, const QByteArray& image,
                                  QString* error) {
    QSqlQuery query(db.connection());
    query.prepare(QStringLiteral("SELECT id FROM images WHERE type = ? AND bytes = ?"));
    query.addBindValue(static_cast<qint64>(event.type));
    query.addBindValue(blob(image));
    if (!db.exec(query, error))
        return std::nullopt;
    QVariant imageId;
    if (query.next()) {
        imageId = query.value(0);
    } else {
        query.prepare(QStringLiteral("INSERT INTO images (type, bytes) VALUES (?, ?)"));
        query.addBindValue(static_cast<qint64>(event.type));
        query.addBindValue(blob(image));
        if (!db.exec(query, error))
            return std::nullopt;
        imageId = query.lastInsertId();
    }
    query.prepare(QStringLiteral("INSERT INTO events (time, action, device, firmware, port, "
                                 "image) VALUES (?, ?, ?, ?, ?, ?)"));
    query.addBindValue(time.toMSecsSinceEpoch());
    query.addBindValue(text(event.action));
    query.addBindValue(text(event.deviceText));
    query.addBindValue(text(event.firmware));
    query.addBindValue(text(event.port));
    query.addBindValue(imageId);
    if (!db.exec(query, error))
        return std::nullopt;
    return query.lastInsertId().toLongLong();
}

QString noSuchEntry(qint64 id) {
    return QStringLiteral("Der Verlauf hat keinen Eintrag %1.").arg(id);
}

} // namespace

HistoryStore::HistoryStore(QString location, Dialogs* dialogs, Clock clock)
    : m_clock(clock ? std::move(clock) : Clock(&QDateTime::currentDateTimeUtc)) {
    const QString path = databaseFile(location);
    const QString legacy = QFileInfo(path).dir().filePath(LegacyFolderName);
    auto notice = [dialogs](const QString& text) {
        if (dialogs)
            dialogs->showMessageBox(MessageIcon::Information, text);
        else
            qWarning("%s", qPrintable(text));
    };
    // A new file starts with what an earlier version kept; the old folder stays.
    auto importLegacy = [this, legacy](QString* error) {
        for (const LegacyEntry& entry : readLegacyHistory(legacy))
            if (!insertEvent(*m_db, entry.time, entry.event, entry.image, error))
                return false;
        return true;
    };
    m_db = std::make_unique<HistoryDatabase>(path, std::move(notice), std::move(importLegacy));
}

HistoryStore::~HistoryStore() = default;

QString HistoryStore::defaultLocation() {
    // The window's AppDataLocation, spelled out: the command line has another name.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Brovenik/Talvaro/") + DatabaseName;
}

QString HistoryStore::databasePath() const {
    return m_db->path();
}

QString HistoryStore::journalMode() const {
    return open(nullptr) ? m_db->journalMode() : QString();
}

bool HistoryStore::open(QString* error) const {
    return m_db->open(error);
}

std::optional<HistoryEntry> HistoryStore::add(const HistoryEvent& event, const QByteArray& image,
                                              QString* error) {
    HistoryEntry entry;
    entry.time = m_clock();
    entry.event = event;
    entry.damage = damageOf(event.type, image.size());
    const auto work = [&](QString* workError) {
        const std::optional<qint64> id = insertEvent(*m_db, entry.time, event, image, workError);
        entry.id = id.value_or(0);
        return id.has_value();
    };
    if (!open(error) || !m_db->change(work, error))
        return std::nullopt;
    return entry;
}

QList<HistoryEntry> HistoryStore::entries(QString* error) const {
    QList<HistoryEntry> list;
    if (!open(error))
        return list;
    QSqlQuery query(m_db->connection());
    query.setForwardOnly(true);
    // Counted first: ten thousand entries grown one by one cost more than reading them.
    if (!m_db->exec(query, QStringLiteral("SELECT count(*) FROM events"), error) || !query.next())
        return list;
    list.reserve(query.value(0).toLongLong());
    if (!m_db->exec(query, EntryQuery + QStringLiteral(" ORDER BY e.id DESC"), error))
        return list;
    while (query.next())
        list << entryAt(query);
    return list;
}

std::optional<HistoryEntry> HistoryStore::find(qint64 id) const {
    if (!open(nullptr))
        return std::nullopt;
    QSqlQuery query(m_db->connection());
    query.prepare(EntryQuery + QStringLiteral(" WHERE e.id = ?"));
    query.addBindValue(id);
    if (!m_db->exec(query, nullptr) || !query.next())
        return std::nullopt;
    return entryAt(query);
}

QStringList HistoryStore::newestTimes(int count) const {
    QStringList times;
    if (!open(nullptr))
        return times;
    QSqlQuery query(m_db->connection());
    query.prepare(QStringLiteral("SELECT time FROM events ORDER BY id DESC LIMIT ?"));
    query.addBindValue(count);
    if (!m_db->exec(query, nullptr))
        return times;
    while (query.next())
        times << QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong(), Qt::UTC)
                     .toLocalTime()
                     .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return times;
}

std::optional<QByteArray> HistoryStore::image(const HistoryEntry& entry) const {
    if (entry.damaged() || !open(nullptr))
        return std::nullopt;
    QSqlQuery query(m_db->connection());
    query.prepare(QStringLiteral("SELECT i.type, i.bytes FROM events e JOIN images i ON i.id = "
                                 "e.image WHERE e.id = ?"));
    query.addBindValue(entry.id);
    if (!m_db->exec(query, nullptr) || !query.next())
        return std::nullopt;
    const QByteArray bytes = query.value(1).toByteArray();
    if (!damageOf(query.value(0).toUInt(), bytes.size()).isEmpty())
        return std::nullopt;
    return bytes;
}

bool HistoryStore::remove(qint64 id, QString* error) {
    const auto work = [&](QString* workError) {
        QSqlQuery query(m_db->connection());
        query.prepare(QStringLiteral("SELECT image FROM events WHERE id = ?"));
        query.addBindValue(id);
        if (!m_db->exec(query, workError))
            return false;
        if (!query.next()) {
            if (workError)
                *workError = noSuchEntry(id);
            return false;
        }
        const QVariant image = query.value(0);
        query.prepare(QStringLiteral("DELETE FROM events WHERE id = ?"));
        query.addBindValue(id);
        if (!m_db->exec(query, workError))
            return false;
        // Inside the same transaction: an add in another program that takes the image up
        // either came before (the image stays) or waits until this has ended.
        query.prepare(QStringLiteral("DELETE FROM images WHERE id = ? AND NOT EXISTS "
                                     "(SELECT 1 FROM events WHERE image = ?)"));
        query.addBindValue(image);
        query.addBindValue(image);
        return m_db->exec(query, workError);
    };
    return open(error) && m_db->change(work, error);
}

bool HistoryStore::setNote(qint64 id, const QString& note, QString* error) {
    const auto work = [&](QString* workError) {
        QSqlQuery query(m_db->connection());
        query.prepare(QStringLiteral("UPDATE events SET note = ? WHERE id = ?"));
        query.addBindValue(text(note.simplified()));
        query.addBindValue(id);
        if (!m_db->exec(query, workError))
            return false;
        if (query.numRowsAffected() == 1)
            return true;
        if (workError)
            *workError = noSuchEntry(id);
        return false;
    };
    return open(error) && m_db->change(work, error);
}

std::optional<qint64> historyId(const QString& text) {
    bool ok = false;
    const qint64 id = text.trimmed().toLongLong(&ok);
    return ok && id > 0 ? std::optional(id) : std::nullopt;
}

} // namespace talvaro
