// The history folder on its own: entries, shared images, damage, pruning.
#include "history/HistoryStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <QTest>
#include <memory>

using namespace talvaro;

namespace {

HistoryEvent happened(const QString& action, const QString& device = QStringLiteral("Mirello 16")) {
    return {action, 5, device, QStringLiteral("1.07"), QStringLiteral("COM1")};
}

QByteArray image(char fill) {
    return QByteArray(familyProfile(5).imageLength, fill);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void entriesComeNewestFirstWithTheirImages() {
        HistoryStore store(root());
        QVERIFY(store.add(happened(ActionRead), image('a')));
        QVERIFY(store.add(happened(ActionProgrammed), image('b')));
        const QList<HistoryEntry> entries = store.entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].event.action, ActionProgrammed);
        QCOMPARE(entries[1].event.action, ActionRead);
        QCOMPARE(store.image(entries[0]), image('b'));
        QCOMPARE(store.image(entries[1]), image('a'));
        QVERIFY(entries[0].time >= entries[1].time);
        // The image is a plain .tkx file, as "In Datei speichern..." writes it.
        QCOMPARE(QFileInfo(root() + "/" + entries[0].imageFile).suffix(), QStringLiteral("tkx"));
        QCOMPARE(store.find(entries[1].id)->event.action, ActionRead);
        // The support report takes the times alone, newest first.
        QCOMPARE(store.newestTimes(1),
                 QStringList{entries[0].time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss")});
        QCOMPARE(store.newestTimes(5).size(), 2);
    }

    void damagedEntriesAreListedAndDeletable() {
        HistoryStore store(root());
        const auto good = store.add(happened(ActionRead), image('a'));
        const auto shortened = store.add(happened(ActionProgrammed), image('b'));
        QVERIFY(good && shortened);
        writeFile(root() + "/" + shortened->imageFile, "kurz");
        writeFile(root() + "/20000101-000000000-1-000000001.json", "{ kein JSON");

        const QList<HistoryEntry> entries = store.entries();
        QCOMPARE(entries.size(), 3);
        QStringList damaged;
        for (const HistoryEntry& entry : entries)
            if (entry.damaged())
                damaged << entry.id;
        QCOMPARE(damaged.size(), 2);
        QVERIFY(damaged.contains(shortened->id));
        QVERIFY(!store.image(*store.find(shortened->id)));
        QCOMPARE(store.image(*store.find(good->id)), image('a'));

        for (const QString& id : damaged)
            QVERIFY(store.remove(id));
        QCOMPARE(store.entries().size(), 1);
        QCOMPARE(QDir(root()).entryList(QDir::Files).size(), 2);
    }

    void anUnchangedImageIsStoredOnceAndKeptWhileShared() {
        HistoryStore store(root());
        const auto first = store.add(happened(ActionRead), image('a'));
        const auto same = store.add(happened(ActionProgrammed), image('a'));
        const auto otherDevice =
            store.add(happened(ActionRead, QStringLiteral("Mirello 8")), image('a'));
        QVERIFY(first && same && otherDevice);
        QCOMPARE(same->imageFile, first->imageFile);
        QVERIFY(otherDevice->imageFile != first->imageFile);
        QCOMPARE(store.entries().size(), 3);
        QCOMPARE(QDir(root()).entryList({"*.tkx"}).size(), 2);

        QVERIFY(store.remove(first->id));
        QCOMPARE(store.image(*store.find(same->id)), image('a'));
        QVERIFY(store.remove(same->id));
        QVERIFY(store.remove(otherDevice->id));
        QVERIFY(QDir(root()).entryList(QDir::Files).isEmpty());
        QVERIFY(!store.remove(same->id));
    }

    void pruningKeepsTheNewestBackup() {
        HistoryStore store(root());
        const auto backup = store.add(happened(ActionBackup), image('a'));
        const auto oldest = store.add(happened(ActionRead), image('b'));
        QVERIFY(backup && oldest);
        // Written as files: adding them one by one would list the folder each time.
        QJsonObject meta = QJsonDocument::fromJson([&] {
                               QFile f(root() + "/" + oldest->id + ".json");
                               f.open(QIODevice::ReadOnly);
                               return f.readAll();
                           }())
                               .object();
        for (int i = 0; i < HistoryStore::KeptPerDevice; ++i)
            writeFile(root() +
                          QStringLiteral("/29990101-000000000-1-%1.json").arg(i, 9, 10, QChar('0')),
                      QJsonDocument(meta).toJson());
        const auto other = store.add(happened(ActionRead, QStringLiteral("Mirello 8")), image('c'));
        QVERIFY(other);
        QCOMPARE(store.entries().size(), HistoryStore::KeptPerDevice + 3);

        store.prune(QStringLiteral("Mirello 16"));
        QCOMPARE(store.entries().size(), HistoryStore::KeptPerDevice + 2);
        QVERIFY(store.find(backup->id));
        QVERIFY(!store.find(oldest->id));
        QVERIFY(store.find(other->id));
    }

private:
    QString root() const { return m_dir->filePath(QStringLiteral("Verlauf")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "test_history_store.moc"
