#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

class QSqlError;
class QSqlQuery;

namespace talvaro {

// One connection to the history's SQLite file, opened on first use. A missing file is
// created readable by its owner alone (it holds every PIN a device ever had) together
// with its tables; a damaged one (not SQLite, tables of another program, failing
// "PRAGMA quick_check") is renamed aside with its -wal and -shm files, never deleted,
// and a new one takes its place. Each connection has a name of its own, so that one
// process may hold several.
class HistoryDatabase {
public:
    using Notice = std::function<void(const QString& text)>;
    // Runs inside the transaction that creates the tables: fills the new file.
    using Filler = std::function<bool(QString* error)>;

    HistoryDatabase(QString path, Notice notice, Filler fillNew);
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    const QString& path() const { return m_path; }
    // False, with the reason in German, when the history cannot be used now.
    bool open(QString* error);
    QSqlDatabase& connection() { return m_db; }
    // The journal mode SQLite accepted: "wal", or what it kept when the file system
    // cannot share memory between processes (a network home folder).
    const QString& journalMode() const { return m_journalMode; }

    // Runs `work` as one transaction begun with BEGIN IMMEDIATE, so that writers in
    // other processes wait for each other (up to the busy time-out) instead of failing
    // half-way; `work` returning false rolls everything back.
    bool change(const std::function<bool(QString* error)>& work, QString* error);
    // Runs a prepared query; false with the reason in German.
    bool exec(QSqlQuery& query, QString* error) const;
    bool exec(QSqlQuery& query, const QString& statement, QString* error) const;

private:
    enum class Opening { Opened, Failed, Damaged };
    enum class Schema { Empty, Ours, Newer, Foreign };

    Opening tryOpen(QString* error, QString* damage);
    Opening judge(Schema* found, QString* error, QString* damage);
    bool connect(const QString& moreOptions, QString* error);
    Schema schema();
    Opening createTables(QString* error, QString* damage);
    bool setAside(const QString& damage, QString* error);
    void restrictPermissions() const;
    void close();
    QString errorText(const QSqlError& error) const;

    QString m_path;
    QString m_connectionName;
    Notice m_notice;
    Filler m_fillNew;
    QSqlDatabase m_db;
    QString m_journalMode;
    bool m_open = false;
};

} // namespace talvaro
