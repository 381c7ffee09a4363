#include "FirmwareFiles.h"
#include "LoaderPeer.h"
#include "ScriptedDialogs.h"

#include "firmware/FirmwareTransfer.h"
#include "firmware/RawSerialPort.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace talvaro;

namespace {

constexpr int Refuse = 0x00;
constexpr int Silent = -1;

int openHandles() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files).size());
}

} // namespace

class TestFirmwareTransfer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void sendsRecordsAsTheyStand();
    void resendsARefusedRecord();
    void fourthRefusalEnds();
    void silentLoaderEnds();
    void cancelEndsTheWaitForAReply();
    void heldPortEnds();
    void brokenContentEnds_data();
    void brokenContentEnds();

private:
    bool run(const QString& port, const TransferTimings& timings = quickTimings(1000));
    void expectError(const QString& caption, const QString& line);

    QTemporaryDir m_dir;
    QString m_file;
    QList<QByteArray> m_records; // the file's records, as bytes
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QList<int> m_progress;
};

void TestFirmwareTransfer::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("update.efw"));
    // Three records: 250, 250 and 100 payload bytes.
    const QByteArray text =
        makeEfw(m_file, {QStringLiteral("--type"), QStringLiteral("5"), QStringLiteral("--size"),
                         QStringLiteral("600"), QStringLiteral("--chunk"), QStringLiteral("250")});
    QVERIFY(!text.isEmpty());
    for (const QByteArray& line : text.trimmed().split('\n'))
        m_records.append(QByteArray::fromHex(line));
    QCOMPARE(m_records.size(), 3);
}

void TestFirmwareTransfer::init() {
    m_file = m_dir.filePath(QStringLiteral("update.efw"));
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_progress.clear();
}

// Runs one transfer to its end and shows its error, as the update flow does.
bool TestFirmwareTransfer::run(const QString& port, const TransferTimings& timings) {
    QFile file(m_file);
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    FirmwareTransfer transfer;
    connect(&transfer, &FirmwareTransfer::progress, this,
            [this](int percent) { m_progress.append(percent); });
    QSignalSpy finished(&transfer, &FirmwareTransfer::finished);
    if (!transfer.start(content, port, timings) || !finished.wait(60000))
        return false;
    const auto result = finished.at(0).at(0).value<TransferResult>();
    showTransferError(*m_dialogs, result);
    return result == TransferResult::Done;
}

void TestFirmwareTransfer::expectError(const QString& caption, const QString& line) {
    QVERIFY(m_dialogs->allAnswered());
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->shown[0].dialog, QStringLiteral("ErrorDialog"));
    QCOMPARE(m_dialogs->shown[0].caption, caption);
    QCOMPARE(m_dialogs->shown[0].lines, QStringList({QStringLiteral("Fehler!"), line}));
}

// Stale input before the first record and noise after every reply is drained, not
// taken as a reply; the records arrive byte for byte as in the file.
void TestFirmwareTransfer::sendsRecordsAsTheyStand() {
    QVERIFY(m_pty->send(QByteArray("\x13\x00\x11", 3)));
    LoaderPeer loader(*m_pty, {}, QByteArray("\x00\x13", 2));
    TransferTimings timings = quickTimings(1000);
    timings.afterClose = 100;
    timings.afterTransfer = 150;

    const bool ok = run(m_pty->slavePath, timings);
    const auto finished = std::chrono::steady_clock::now();
    QVERIFY(ok);
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(loader.records(), m_records);

    const int n = static_cast<int>(m_records[0].size() + m_records[1].size() + m_records[2].size());
    const int first = static_cast<int>(m_records[0].size());
    const int second = static_cast<int>(m_records[1].size());
    QCOMPARE(m_progress, QList<int>({0, first * 100 / n, (first + second) * 100 / n}));
    // The loader gets its time to store the firmware before success is reported.
    QVERIFY(finished - loader.lastReply() >= std::chrono::milliseconds(250));
}

// Three refusals are resent; the accepted copy counts once. Refusals of different
// records do not add up.
void TestFirmwareTransfer::resendsARefusedRecord() {
    LoaderPeer loader(*m_pty, {Refuse, 0x12, Refuse, 0x11, 0x11, Refuse, Refuse, Refuse, 0x11});
    QVERIFY(run(m_pty->slavePath));
    QVERIFY(m_dialogs->shown.isEmpty());

    const QList<QByteArray> got = loader.records();
    QCOMPARE(got.size(), 9);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(got[i], m_records[0]);
    QCOMPARE(got[4], m_records[1]);
    for (int i = 5; i < 9; ++i)
        QCOMPARE(got[i], m_records[2]);
    const int n = static_cast<int>(m_records[0].size() + m_records[1].size() + m_records[2].size());
    const int twoRecords = static_cast<int>(m_records[0].size() + m_records[1].size());
    QCOMPARE(m_progress.size(), 9);
    QCOMPARE(m_progress.mid(0, 4), QList<int>(4, 0));
    QCOMPARE(m_progress.mid(5), QList<int>(4, twoRecords * 100 / n));
}

void TestFirmwareTransfer::fourthRefusalEnds() {
    m_dialogs->expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    LoaderPeer loader(*m_pty, {0x11, Refuse, Refuse, Refuse, Refuse});
    QVERIFY(!run(m_pty->slavePath));
    expectError(QStringLiteral("Fehler"), QStringLiteral("Die Datei ist beschädigt."));
    // The port is closed by now: what was sent is either taken or still in the line.
    loader.stop();
    QCOMPARE(loader.records().size(), 5); // nothing is sent after the failure
    QVERIFY(m_pty->receive(0).isEmpty());
}

void TestFirmwareTransfer::silentLoaderEnds() {
    m_dialogs->expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    LoaderPeer loader(*m_pty, {0x11, Silent});
    const TransferTimings timings = quickTimings(100);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!run(m_pty->slavePath, timings));
    QVERIFY(clock.elapsed() >= 200); // twice the reply time-out
    expectError(QStringLiteral("Schnittstellenfehler"),
                QStringLiteral("Telefonanlage antwortet nicht."));
    QCOMPARE(loader.records().size(), 2); // a missing reply is not retried
}

// The worker's blocking read looks at the cancel flag in short slices: the transfer ends
// long before a reply time-out of ten minutes, and sends nothing more.
void TestFirmwareTransfer::cancelEndsTheWaitForAReply() {
    LoaderPeer loader(*m_pty, {Silent});
    QFile file(m_file);
    QVERIFY(file.open(QIODevice::ReadOnly));
    FirmwareTransfer transfer;
    QSignalSpy finished(&transfer, &FirmwareTransfer::finished);
    QVERIFY(transfer.start(file.readAll(), m_pty->slavePath, quickTimings(600000)));
    QTRY_COMPARE(loader.records().size(), 1);
    transfer.cancel();
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.at(0).at(0).value<TransferResult>(), TransferResult::Cancelled);
    QCOMPARE(loader.records().size(), 1);
}

// Another program holds the port: the error comes, and the file is closed again.
void TestFirmwareTransfer::heldPortEnds() {
    RawSerialPort holder;
    QVERIFY(holder.open(m_pty->slavePath, 57600, 100));
    m_dialogs->expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    const int handles = openHandles();
    QVERIFY(!run(m_pty->slavePath));
    QCOMPARE(openHandles(), handles);
    expectError(QStringLiteral("Schnittstellenfehler"),
                QStringLiteral("Auf die Schnittstelle kann nicht zugegriffen werden."));
    QVERIFY(m_pty->receive(20).isEmpty());
}

void TestFirmwareTransfer::brokenContentEnds_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // empty: the file does not exist
    const QByteArray good = m_records[0].toHex() + "\n" + m_records[1].toHex();
    QTest::newRow("empty") << QStringLiteral("missing.efw") << QByteArray();
    QTest::newRow("last record cut short") << QStringLiteral("cut.efw") << good.chopped(4);
    QTest::newRow("lone trailing byte") << QStringLiteral("odd.efw") << good + " 7F";
    QTest::newRow("no records") << QStringLiteral("blank.efw") << QByteArray(" \n");
    QTest::newRow("more than the buffer holds")
        << QStringLiteral("huge.efw") << (m_records[0].toHex() + "\n").repeated(1000);
}

// Content that is empty or broken sends nothing at all.
void TestFirmwareTransfer::brokenContentEnds() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    m_file = m_dir.filePath(name);
    if (!content.isEmpty())
        QVERIFY(writeFile(m_file, content));
    m_dialogs->expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    LoaderPeer loader(*m_pty, {});
    QVERIFY(!run(m_pty->slavePath));
    expectError(QStringLiteral("Fehler"),
                QStringLiteral("Auf die Firmwaredatei kann nicht zugegriffen werden."));
    QVERIFY(loader.records().isEmpty());
}

QTEST_GUILESS_MAIN(TestFirmwareTransfer)
#include "test_firmware_transfer.moc"
