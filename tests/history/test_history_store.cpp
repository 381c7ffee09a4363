// The history's SQLite file on its own: order, shared images, damage, the import of an
// old "Verlauf" folder, a damaged file, and other programs writing at the same time.
#include "ScriptedDialogs.h"
#include "history/HistoryStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <QTest>
#include <memory>

using namespace talvaro;

namespace {

HistoryEvent happened(const QString& action, const QString& device = QStringLiteral("Mirello 16"),
                      DeviceType type = 5) {
    return {action, type, device, QStringLiteral("1.07"), QStringLiteral("COM1")};
}

QByteArray image(char fill, DeviceType type = 5) {
    return QByteArray(familyProfile(type).imageLength, fill);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How many images the file holds, counted past the store.
int storedImages(const QString& path) {
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "count");
        db.setDatabaseName(path);
        QSqlQuery query(db);
        if (db.open() && query.exec("SELECT count(*) FROM images") && query.next())
            count = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("count");
    return count;
}

QStringList damaged(const HistoryStore& store) {
    QStringList list;
    for (const HistoryEntry& entry : store.entries())
        if (entry.damaged())
            list << entry.event.deviceText;
    return list;
}

} // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void entriesComeNewestFirstInAPrivateFile() {
        HistoryStore store(m_dir->path()); // a folder stands for its Verlauf.sqlite
        QCOMPARE(store.databasePath(), path());
        QVERIFY(store.add(happened(ActionRead), image('a')));
        QVERIFY(store.add(happened(ActionProgrammed), image('b')));
        const QList<HistoryEntry> entries = store.entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].event.action, ActionProgrammed);
        QVERIFY(entries[0].id > entries[1].id);
        QCOMPARE(store.image(entries[0]), image('b'));
        QCOMPARE(store.image(entries[1]), image('a'));
        QCOMPARE(store.find(entries[1].id)->event.action, ActionRead);
        QCOMPARE(store.journalMode(), QStringLiteral("wal"));
        QCOMPARE(store.newestTimes(1),
                 QStringList{entries[0].time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss")});
        // It holds every PIN a device ever had: the owner's alone, journal included.
        for (const QString& name : {path(), path() + "-wal", path() + "-shm"}) {
            QVERIFY2(QFileInfo::exists(name), qPrintable(name));
            const QFile::Permissions user = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
            QCOMPARE(QFile::permissions(name) & ~user, QFile::ReadOwner | QFile::WriteOwner);
        }
    }

    void aClockThatJumpsBackKeepsOrderAndEveryImage() {
        QDateTime now = QDateTime::currentDateTimeUtc();
        HistoryStore store(path(), nullptr, [&now] { return now; });
        QVERIFY(store.add(happened(ActionBackup), image('a')));
        now = now.addSecs(-3600);
        QVERIFY(store.add(happened(ActionProgrammed), image('b')));
        now = now.addSecs(-86400);
        QVERIFY(store.add(happened(ActionRead), image('c')));

        const QList<HistoryEntry> entries = store.entries();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].event.action, ActionRead);
        QCOMPARE(entries[2].event.action, ActionBackup);
        QCOMPARE(entries[0].time, now);
        QCOMPARE(store.image(entries[1]), image('b'));
        QCOMPARE(store.image(entries[2]), image('a'));
    }

    void otherDevicesOfTheSameModelKeepTheFirstImage() {
        HistoryStore store(path());
        const auto first = store.add(happened(ActionBackup), image('a'));
        QVERIFY(first);
        for (int i = 0; i < 600; ++i)
            QVERIFY(store.add(happened(ActionRead), image(static_cast<char>('b' + i % 20))));
        QCOMPARE(store.entries().size(), 601);
        QCOMPARE(store.image(*store.find(first->id)), image('a'));
    }

    void anImageIsStoredOnceAndGoesWithItsLastEvent() {
        HistoryStore store(path());
        const auto first = store.add(happened(ActionRead), image('a'));
        const auto same = store.add(happened(ActionProgrammed, "Quenta 26"), image('a'));
        const auto otherType = store.add(happened(ActionRead, "Quenta 26", 6), image('a', 6));
        QVERIFY(first && same && otherType);
        QCOMPARE(storedImages(path()), 2);

        QVERIFY(store.remove(first->id));
        QCOMPARE(store.image(*store.find(same->id)), image('a'));
        QCOMPARE(storedImages(path()), 2);
        QVERIFY(store.remove(same->id));
        QCOMPARE(storedImages(path()), 1);
        QVERIFY(!store.remove(same->id));
        // An id is never given twice, so a kept id cannot come to name another entry.
        QVERIFY(store.add(happened(ActionRead), image('z'))->id > otherType->id);
    }

    void anImageThatDoesNotFitItsTypeIsDamaged() {
        HistoryStore store(path());
        const auto wrong = store.add(happened(ActionRead, "alt", 0), image('a', 5));
        QVERIFY(wrong && wrong->damaged());
        QCOMPARE(damaged(store), QStringList{"alt"});
        QVERIFY(!store.image(*store.find(wrong->id)));
        // It can still carry a note and be deleted.
        QVERIFY(store.setNote(wrong->id, "  Kunde\nMeier "));
        QCOMPARE(store.find(wrong->id)->note, QStringLiteral("Kunde Meier"));
        QVERIFY(!store.setNote(wrong->id + 1, "niemand"));
        QVERIFY(store.remove(wrong->id));
        QVERIFY(store.entries().isEmpty());
    }

    void aDamagedFileIsPutAsideAndANewOneWorks_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("not SQLite") << "text";
        QTest::newRow("another program's tables") << "foreign";
        QTest::newRow("a page overwritten") << "page";
    }

    void aDamagedFileIsPutAsideAndANewOneWorks() {
        QFETCH(QString, damage);
        if (damage == "text") {
            QVERIFY(writeFile(path(), QByteArray("Kein SQLite, nur Text.\n").repeated(100)));
            QVERIFY(writeFile(path() + "-wal", "alt"));
        } else if (damage == "foreign") {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "foreign");
            db.setDatabaseName(path());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("CREATE TABLE kunden (name TEXT)"));
            db.close();
        } else {
            {
                HistoryStore store(path());
                for (int i = 0; i < 200; ++i)
                    QVERIFY(store.add(happened(ActionRead, QString::number(i)), image('a' + i)));
            }
            QFile file(path());
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(2 * 4096));
            file.write(QByteArray(4096, '\xff'));
        }
        QSqlDatabase::removeDatabase("foreign");
        const QByteArray before = readFile(path());

        ScriptedDialogs dialogs;
        dialogs.expect("MessageBox", DialogResult::Ok);
        HistoryStore store(path(), &dialogs);
        QVERIFY(store.add(happened(ActionRead), image('n')));
        QCOMPARE(store.entries().size(), 1);
        QVERIFY(dialogs.allAnswered());

        const QStringList aside = QDir(m_dir->path()).entryList({"Verlauf-beschädigt-*"});
        const QString kept = aside.filter(QRegularExpression("\\.sqlite$")).value(0);
        QVERIFY2(dialogs.shown.first().lines.first().contains(kept), qPrintable(kept));
        QCOMPARE(readFile(m_dir->filePath(kept)), before);
        if (damage == "text")
            QCOMPARE(readFile(m_dir->filePath(kept + "-wal")), QByteArray("alt"));
    }

    void anOldFolderIsImportedOnceWithEveryReadableEntry() {
        const QString old = m_dir->filePath("Verlauf");
        QVERIFY(QDir().mkpath(old));
        const auto legacy = [&](const QString& name, const QString& device, int type,
                                const QString& imageFile) {
            const QJsonObject meta{{"time", "2024-03-0" + name.left(1) + "T10:00:00.000Z"},
                                   {"action", ActionRead},
                                   {"type", type},
                                   {"device", device},
                                   {"firmware", "1.07"},
                                   {"port", "COM1"},
                                   {"image", imageFile}};
            return writeFile(old + "/" + name + ".json", QJsonDocument(meta).toJson());
        };
        QVERIFY(writeFile(old + "/a.tkx", image('a')) && writeFile(old + "/c.tkx", image('c')));
        QVERIFY(legacy("1-first", "erste", 5, "a.tkx"));
        QVERIFY(legacy("2-shared", "zweite", 5, "a.tkx"));
        QVERIFY(legacy("3-gone", "fehlt", 5, "weg.tkx"));
        QVERIFY(writeFile(old + "/4-broken.json", "{ kein JSON"));
        QVERIFY(legacy("5-wrongtype", "falsch", 0, "c.tkx"));
        QVERIFY(legacy("6-last", "letzte", 6, "c.tkx"));
        const QStringList files = QDir(old).entryList(QDir::Files);

        HistoryStore store(path());
        QList<HistoryEntry> entries = store.entries();
        QStringList devices;
        for (const HistoryEntry& entry : entries)
            devices.prepend(entry.event.deviceText);
        QCOMPARE(devices, (QStringList{"erste", "zweite", "falsch", "letzte"}));
        QCOMPARE(damaged(store), QStringList{"falsch"});
        QCOMPARE(store.image(entries[0]), image('c', 6));
        QCOMPARE(store.image(entries[3]), image('a'));
        QCOMPARE(entries[3].time, QDateTime(QDate(2024, 3, 1), QTime(10, 0), Qt::UTC));
        QCOMPARE(QDir(old).entryList(QDir::Files), files);

        // Once: deleting an imported entry does not bring it back.
        QVERIFY(store.remove(entries[0].id));
        QCOMPARE(HistoryStore(path()).entries().size(), 3);
    }

    void twoProgramsAtOnceKeepEveryAddedImage_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<char>("fill");
        QTest::addColumn<int>("kept");
        QTest::newRow("two adding 50 each") << "add" << 'b' << 101;
        // The second one adds the same image and deletes its entry again at once.
        QTest::newRow("a delete racing an add") << "churn" << 'a' << 51;
    }

    void twoProgramsAtOnceKeepEveryAddedImage() {
        QFETCH(QString, second);
        QFETCH(char, fill);
        QFETCH(int, kept);
        HistoryStore store(path());
        QVERIFY(store.add(happened(ActionRead, "zuvor"), image('x'))); // both find the file
        QProcess adder;
        QProcess other;
        adder.start(HISTORY_WRITER, {path(), "add", "50", "erste", "a"});
        other.start(HISTORY_WRITER, {path(), second, "50", "zweite", QString(fill)});
        QVERIFY(adder.waitForFinished(60000) && other.waitForFinished(60000));
        QCOMPARE(adder.exitCode(), 0);
        QCOMPARE(other.exitCode(), 0);
        const QList<HistoryEntry> entries = store.entries();
        QCOMPARE(entries.size(), kept);
        const QHash<QString, char> fills{{"zuvor", 'x'}, {"erste", 'a'}, {"zweite", fill}};
        for (const HistoryEntry& entry : entries)
            QCOMPARE(store.image(entry), image(fills[entry.event.deviceText]));
    }

private:
    QString path() const { return m_dir->filePath(QStringLiteral("Verlauf.sqlite")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "test_history_store.moc"
