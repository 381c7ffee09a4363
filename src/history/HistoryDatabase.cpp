#include "HistoryDatabase.h"

#include "model/FileErrors.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <array>

namespace talvaro {
namespace {

constexpr int ApplicationId = 0x54414c56; // "TALV"
constexpr int SchemaVersion = 1;
// Long enough for another program's transaction, short enough to notice a hang.
const QString ConnectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000");

// The tables and the columns a file of this program has, in order.
struct Table {
    QString name;
    QStringList columns;
    QString create;
};

// clang-format off
const std::array<Table, 2> Tables{{
    {QStringLiteral("images"), {"id", "type", "bytes"},
     QStringLiteral("CREATE TABLE images (id INTEGER PRIMARY KEY, type INTEGER NOT NULL, "
                    "bytes BLOB NOT NULL, UNIQUE (type, bytes))")},
    // AUTOINCREMENT: an id once given never names another event, even after a delete.
    {QStringLiteral("events"), {"id", "time", "action", "device", "firmware", "port", "note", "image"},
     QStringLiteral("CREATE TABLE events (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                    "time INTEGER NOT NULL, action TEXT NOT NULL, device TEXT NOT NULL, "
                    "firmware TEXT NOT NULL, port TEXT NOT NULL, note TEXT NOT NULL DEFAULT '', "
                    "image INTEGER NOT NULL REFERENCES images (id))")},
}};
// clang-format on

const QStringList SchemaTail{
    QStringLiteral("CREATE INDEX events_by_image ON events (image)"),
    QStringLiteral("PRAGMA application_id = %1").arg(ApplicationId),
    QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion),
};

// SQLite's primary result codes that the program tells apart.
enum SqliteCode {
    Perm = 3,
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoErr = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    NotADatabase = 26,
};

int sqliteCode(const QSqlError& error) {
    return error.nativeErrorCode().toInt() & 0xff;
}

bool isDamage(const QSqlError& error) {
    const int code = sqliteCode(error);
    return code == Corrupt || code == NotADatabase;
}

QString connectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("talvaro-history-%1").arg(++counter);
}

void say(QString* error, const QString& text) {
    if (error)
        *error = text;
}

// The file is made by hand so that it never exists with wider permissions.
bool createPrivately(const QString& path) {
    if (QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return true;
    return QFileInfo::exists(path); // another program was quicker
}

const std::array<QString, 2> CompanionSuffixes{QStringLiteral("-wal"), QStringLiteral("-shm")};

// A name beside `path` for the damaged file that neither it nor its companions have.
QString asideName(const QString& path) {
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1;; ++n) {
        const QString name =
            info.dir().filePath(info.completeBaseName() + QStringLiteral("-beschädigt-") + stamp +
                                (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + suffix);
        if (!QFileInfo::exists(name) && !QFileInfo::exists(name + CompanionSuffixes[0]) &&
            !QFileInfo::exists(name + CompanionSuffixes[1]))
            return name;
    }
}

} // namespace

HistoryDatabase::HistoryDatabase(QString path, Notice notice, Filler fillNew)
    : m_path(std::move(path)), m_connectionName(connectionName()), m_notice(std::move(notice)),
      m_fillNew(std::move(fillNew)) {}

HistoryDatabase::~HistoryDatabase() {
    close();
}

void HistoryDatabase::close() {
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
    m_open = false;
}

bool HistoryDatabase::open(QString* error) {
    if (m_open)
        return true;
    // A second damaged file in a row (a file system that mangles every file) stops.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString damage;
        switch (tryOpen(error, &damage)) {
        case Opening::Opened:
            m_open = true;
            return true;
        case Opening::Failed:
            close();
            return false;
        case Opening::Damaged:
            close();
            if (!setAside(damage, error))
                return false;
            break;
        }
    }
    say(error, QStringLiteral("Der Konfigurationsverlauf \"%1\" ist beschädigt.")
                   .arg(QDir::toNativeSeparators(m_path)));
    return false;
}

HistoryDatabase::Opening HistoryDatabase::tryOpen(QString* error, QString* damage) {
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        say(error, QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.")
                       .arg(QDir::toNativeSeparators(folder)));
        return Opening::Failed;
    }
    if (!createPrivately(m_path)) {
        say(error, openErrorText(m_path, QIODevice::WriteOnly));
        return Opening::Failed;
    }
    // Judged read-only first: SQLite would change a file of another program (its
    // journal mode) and replay or remove a -wal beside a damaged one.
    Schema found = Schema::Empty;
    if (const Opening judged = judge(&found, error, damage); judged != Opening::Opened)
        return judged;
    close();
    if (found == Schema::Newer) {
        say(error,
            QStringLiteral("Der Konfigurationsverlauf \"%1\" stammt von einer neueren Version "
                           "des Programms.")
                .arg(QDir::toNativeSeparators(m_path)));
        return Opening::Failed;
    }
    if (found == Schema::Foreign) {
        *damage = QStringLiteral("fremder Aufbau");
        return Opening::Damaged;
    }
    if (!connect(QString(), error))
        return Opening::Failed;
    QSqlQuery query(m_db);
    if (!exec(query, QStringLiteral("PRAGMA journal_mode = WAL"), error) || !query.next())
        return Opening::Failed;
    m_journalMode = query.value(0).toString().toLower();
    // Every change survives a power cut once it is committed.
    if (!exec(query, QStringLiteral("PRAGMA synchronous = FULL"), error) ||
        !exec(query, QStringLiteral("PRAGMA foreign_keys = ON"), error))
        return Opening::Failed;
    query.finish();
    restrictPermissions();
    return found == Schema::Empty ? createTables(error, damage) : Opening::Opened;
}

HistoryDatabase::Opening HistoryDatabase::judge(Schema* found, QString* error, QString* damage) {
    if (!connect(QStringLiteral(";QSQLITE_OPEN_READONLY"), error))
        return Opening::Failed;
    // Opening a file that is not SQLite succeeds; its first read tells.
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
        if (!isDamage(query.lastError())) {
            say(error, errorText(query.lastError()));
            return Opening::Failed;
        }
        *damage = sqliteCode(query.lastError()) == NotADatabase
                      ? QStringLiteral("keine SQLite-Datenbank")
                      : QStringLiteral("Datenbank defekt");
        return Opening::Damaged;
    }
    if (query.value(0).toString() != QLatin1String("ok")) {
        *damage = QStringLiteral("Prüfung der Datenbank fehlgeschlagen");
        return Opening::Damaged;
    }
    query.finish();
    *found = schema();
    return Opening::Opened;
}

bool HistoryDatabase::connect(const QString& moreOptions, QString* error) {
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(ConnectOptions + moreOptions);
    if (m_db.open())
        return true;
    say(error, errorText(m_db.lastError()));
    return false;
}

HistoryDatabase::Schema HistoryDatabase::schema() {
    QSqlQuery query(m_db);
    const auto number = [&](const QString& pragma) {
        return query.exec(pragma) && query.next() ? query.value(0).toInt() : -1;
    };
    const int application = number(QStringLiteral("PRAGMA application_id"));
    const int version = number(QStringLiteral("PRAGMA user_version"));
    const int objects = number(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (application == 0 && version == 0 && objects == 0)
        return Schema::Empty;
    if (application != ApplicationId)
        return Schema::Foreign;
    if (version > SchemaVersion)
        return Schema::Newer;
    if (version < SchemaVersion)
        return Schema::Foreign;
    for (const Table& table : Tables) {
        QStringList columns;
        if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table.name)))
            return Schema::Foreign;
        while (query.next())
            columns << query.value(1).toString();
        if (columns != table.columns)
            return Schema::Foreign;
    }
    return Schema::Ours;
}

HistoryDatabase::Opening HistoryDatabase::createTables(QString* error, QString* damage) {
    Schema found = Schema::Empty;
    const bool done = change(
        [&](QString* workError) {
            // Another program may have made them since we looked.
            found = schema();
            if (found != Schema::Empty)
                return true;
            QSqlQuery query(m_db);
            for (const Table& table : Tables)
                if (!exec(query, table.create, workError))
                    return false;
            for (const QString& statement : SchemaTail)
                if (!exec(query, statement, workError))
                    return false;
            return !m_fillNew || m_fillNew(workError);
        },
        error);
    if (!done)
        return Opening::Failed;
    if (found == Schema::Foreign) {
        *damage = QStringLiteral("fremder Aufbau");
        return Opening::Damaged;
    }
    // An imported history goes into the file itself at once: read through the log, it
    // would slow every other program down for as long as this one keeps it open.
    QSqlQuery(m_db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return Opening::Opened;
}

bool HistoryDatabase::setAside(const QString& damage, QString* error) {
    const QString aside = asideName(m_path);
    if (!QFile::rename(m_path, aside)) {
        say(error, QStringLiteral("Der beschädigte Konfigurationsverlauf \"%1\" kann nicht "
                                  "umbenannt werden.")
                       .arg(QDir::toNativeSeparators(m_path)));
        return false;
    }
    // A stale -wal beside a new file would be replayed into it: all three go, or none.
    QStringList moved;
    for (const QString& suffix : CompanionSuffixes) {
        if (!QFileInfo::exists(m_path + suffix))
            continue;
        if (!QFile::rename(m_path + suffix, aside + suffix)) {
            for (const QString& back : moved)
                QFile::rename(aside + back, m_path + back);
            QFile::rename(aside, m_path);
            say(error, QStringLiteral("Der beschädigte Konfigurationsverlauf \"%1\" kann nicht "
                                      "umbenannt werden.")
                           .arg(QDir::toNativeSeparators(m_path + suffix)));
            return false;
        }
        moved << suffix;
    }
    if (m_notice)
        m_notice(QStringLiteral("Der Konfigurationsverlauf war beschädigt (%1). Er wurde als "
                                "\"%2\" beiseitegelegt; ein neuer Verlauf wird angelegt.")
                     .arg(damage, QDir::toNativeSeparators(aside)));
    return true;
}

void HistoryDatabase::restrictPermissions() const {
    const QFileDevice::Permissions wider = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                           QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                           QFileDevice::WriteOther | QFileDevice::ExeOther;
    for (const QString& name :
         {m_path, m_path + CompanionSuffixes[0], m_path + CompanionSuffixes[1]}) {
        const QFileInfo info(name);
        if (info.exists() && (info.permissions() & wider))
            QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

bool HistoryDatabase::change(const std::function<bool(QString* error)>& work, QString* error) {
    if (!m_db.isOpen() && !open(error))
        return false;
    QSqlQuery control(m_db);
    if (!exec(control, QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    if (work(error) && exec(control, QStringLiteral("COMMIT"), error))
        return true;
    control.exec(QStringLiteral("ROLLBACK"));
    return false;
}

bool HistoryDatabase::exec(QSqlQuery& query, QString* error) const {
    if (query.exec())
        return true;
    say(error, errorText(query.lastError()));
    return false;
}

bool HistoryDatabase::exec(QSqlQuery& query, const QString& statement, QString* error) const {
    if (query.exec(statement))
        return true;
    say(error, errorText(query.lastError()));
    return false;
}

QString HistoryDatabase::errorText(const QSqlError& error) const {
    const QString name = QDir::toNativeSeparators(m_path);
    switch (sqliteCode(error)) {
    case Busy:
    case Locked:
        return QStringLiteral("Der Konfigurationsverlauf \"%1\" ist zu lange von einem anderen "
                              "Programm gesperrt.")
            .arg(name);
    case Perm:
    case ReadOnly:
        return QStringLiteral("Keine Berechtigung zum Schreiben von \"%1\".").arg(name);
    case Full:
        return QStringLiteral("Der Datenträger mit \"%1\" ist voll.").arg(name);
    case IoErr:
        return QStringLiteral("Ein- oder Ausgabefehler beim Zugriff auf \"%1\".").arg(name);
    case CantOpen:
        return openErrorText(m_path, QIODevice::WriteOnly);
    case Corrupt:
    case NotADatabase:
        return QStringLiteral("Der Konfigurationsverlauf \"%1\" ist beschädigt.").arg(name);
    default:
        return QStringLiteral("Der Konfigurationsverlauf \"%1\" kann nicht benutzt werden "
                              "(SQLite-Fehler %2).")
            .arg(name, error.nativeErrorCode());
    }
}

} // namespace talvaro
