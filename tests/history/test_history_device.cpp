// The history as the device commands fill it, against a simulated device on a pty.
#include "SimulatedPorts.h"
#include "history/HistoryRecorder.h"
#include "session/DeviceSession.h"
#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"

#include <QTemporaryDir>

#include <QTest>
#include <memory>

using namespace talvaro;

namespace {

// The command line's editor, link and history, in this process.
struct Run {
    explicit Run(const QString& root)
        : dialogs(err), host(dialogs, {.historyRoot = root}), session(host, dialogs) {
        dialogs.setRestartDelay(0);
        host.setDeviceType(5);
    }
    // The editor with a few changes away from what the device holds.
    QByteArray edit(int rings) {
        host.model().setValue("LMDSpinEditAnzahlRufe", rings);
        host.encodeImage();
        return host.workingImage();
    }
    QStringList actions() const {
        QStringList list;
        for (const HistoryEntry& entry : store.entries())
            list.prepend(entry.event.action);
        return list;
    }
    QByteArray imageOf(int newestFirst) {
        return store.image(store.entries().at(newestFirst)).value_or(QByteArray());
    }

    QString errText;
    QTextStream err{&errText};
    TerminalDialogs dialogs;
    EditorSession host;
    DeviceSession session;
    HistoryStore& store = host.history();
};

} // namespace

class TestHistoryDevice : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_devices = std::make_unique<SimulatedPorts>(std::initializer_list<DeviceType>{5});
        m_devices->assignPorts();
        m_devices->start();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() { m_devices.reset(); }

    void readProgramResetKeepEachImage() {
        Run run(root());
        const QByteArray before = m_devices->image(1);
        QVERIFY(run.session.read());
        const QByteArray edited = run.edit(7);
        QVERIFY(run.session.program());
        run.dialogs.setAssumeYes(true);
        QVERIFY(run.session.factoryReset());

        // Each write after a backup of what the device held at that moment.
        QCOMPARE(run.actions(), (QStringList{ActionRead, ActionBackup, ActionProgrammed,
                                             ActionBackup, ActionFactoryReset}));
        QCOMPARE(run.imageOf(4), before);
        QCOMPARE(run.imageOf(3), before);
        QCOMPARE(run.imageOf(2), edited);
        QCOMPARE(run.imageOf(1), edited);
        QCOMPARE(run.imageOf(0), m_devices->image(1));
        QVERIFY(run.imageOf(0) != edited);
        const HistoryEntry newest = run.store.entries().first();
        QCOMPARE(newest.event.type, 5u);
        QCOMPARE(newest.event.port, QStringLiteral("COM1"));
    }

    void programmingUnreadDeviceKeepsItsImageFirst() {
        Run run(root());
        const QByteArray before = m_devices->image(1);
        const QByteArray edited = run.edit(9);
        QVERIFY(run.session.program());

        QCOMPARE(run.actions(), (QStringList{ActionBackup, ActionProgrammed}));
        QCOMPARE(run.imageOf(1), before);
        QCOMPARE(m_devices->image(1), edited);
        // The backup read said nothing and left the editor as it was.
        QVERIFY(
            !run.errText.contains(QStringLiteral("Auslesen der Konfiguration war erfolgreich")));
        QCOMPARE(run.host.workingImage(), edited);

        // Programmed in this run, and backed up again all the same: the device on the
        // adapter may have been swapped.
        run.edit(10);
        QVERIFY(run.session.program());
        QCOMPARE(run.actions().count(ActionBackup), 2);
        QCOMPARE(run.imageOf(1), edited);
    }

    // Another unit on the same adapter since the read: not written, and found anew.
    void aDeviceSwappedOnTheAdapterIsNotWritten() {
        Run run(root());
        QVERIFY(run.session.read());
        m_devices->at(1).withDevice([](sim::SimDevice& d) { d.setName("Lager"); });
        run.edit(9);
        QVERIFY(!run.session.program());
        QCOMPARE(run.session.lastResult(), ExchangeResult::NotRecognised);
        QCOMPARE(m_devices->writes(1), 0);
        QVERIFY(run.session.program());
        QCOMPARE(run.actions(), (QStringList{ActionRead, ActionBackup, ActionProgrammed}));
        QCOMPARE(run.store.entries().first().event.deviceText, QStringLiteral("Lager"));
    }

    void failingBackupAsksAndNeinLeavesTheDevice() {
        Run run(root());
        const QByteArray before = m_devices->image(1);
        m_devices->at(1).withDevice([](sim::SimDevice& d) { d.faults().badChecksum = true; });
        run.edit(9);
        QVERIFY(!run.session.program());
        QVERIFY(run.errText.contains(QStringLiteral("ohne Sicherung programmieren")));
        QCOMPARE(m_devices->writes(1), 0);
        QCOMPARE(m_devices->image(1), before);
        QVERIFY(run.store.entries().isEmpty());

        // Told to go on without one, it programs.
        run.dialogs.setWithoutBackup(true);
        QVERIFY(run.session.program());
        QCOMPARE(m_devices->writes(1), 1);
        QCOMPARE(run.actions(), QStringList{ActionProgrammed});
    }

    void unwritableHistoryAsksBeforeProgramming() {
        QFile blocker(m_dir->filePath(QStringLiteral("Ordner")));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        Run run(blocker.fileName() + QStringLiteral("/Verlauf.sqlite"));
        QVERIFY(run.session.read()); // a read goes on, and says so once
        QVERIFY(run.session.read());
        QCOMPARE(run.errText.count(QStringLiteral("Konfigurationsverlauf konnte nicht")), 1);

        run.edit(9);
        QVERIFY(!run.session.program());
        QVERIFY(run.errText.contains(QStringLiteral("ohne Sicherung programmieren")));
        QCOMPARE(m_devices->writes(1), 0);
    }

    void restoredEntryProgramsTheOldImage() {
        QByteArray old;
        {
            Run first(root());
            old = first.edit(8);
            QVERIFY(first.session.program());
            first.edit(9);
            QVERIFY(first.session.program());
        }
        QVERIFY(m_devices->image(1) != old);

        Run run(root());
        const QList<HistoryEntry> entries = run.store.entries();
        QCOMPARE(entries.size(), 4);
        const std::optional<QByteArray> image = run.store.image(entries.at(2));
        QCOMPARE(image, old);
        run.host.workingImage() = *image;
        run.host.decodeImage();
        QVERIFY(run.session.program());
        QCOMPARE(m_devices->image(1), old);
        // The device was found anew: what it held before the restore was kept first.
        QCOMPARE(run.actions().mid(4), (QStringList{ActionBackup, ActionProgrammed}));
    }

private:
    QString root() const { return m_dir->filePath(QStringLiteral("Verlauf.sqlite")); }
    std::unique_ptr<SimulatedPorts> m_devices;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestHistoryDevice)
#include "test_history_device.moc"
