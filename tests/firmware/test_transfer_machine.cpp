// The record loop of the firmware transfer on a fake line: resends, the reply
// time-out, cancelling and progress, with no time passing.
#include "firmware/TransferMachine.h"

#include <QTest>

using namespace talvaro;

namespace {

constexpr int Accept = AcceptByte;
constexpr int Refuse = 0x00;
constexpr int Timeout = -1;

// Records of 16, 32 and 48 cipher bytes plus CRC; each byte names its record.
QByteArray record(int index, int blocks) {
    const int length = blocks * 16 + 2;
    QByteArray bytes;
    bytes.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF));
    bytes.append(QByteArray(length, static_cast<char>('A' + index)));
    return bytes;
}

const QList<QByteArray> Records{record(0, 1), record(1, 2), record(2, 3)};

class FakeLine : public TransferPort {
public:
    void drainInput() override { log << QStringLiteral("drain"); }
    void sendRecord(const QByteArray& bytes) override {
        log << QStringLiteral("send %1").arg(Records.indexOf(bytes));
    }
    void reportProgress(int percent) override { progress << percent; }

    QStringList sends() const { return log.filter(QStringLiteral("send")); }

    QStringList log;
    QList<int> progress;
};

// Plays the loader's replies until the machine stops waiting for one.
void answer(TransferMachine& machine, const QList<int>& replies) {
    for (const int reply : replies) {
        if (reply == Timeout)
            machine.replyTimedOut();
        else
            machine.replyReceived(static_cast<quint8>(reply));
    }
}

QStringList sendsOf(const QList<int>& indexes) {
    QStringList sends;
    for (const int i : indexes)
        sends << QStringLiteral("send %1").arg(i);
    return sends;
}

} // namespace

Q_DECLARE_METATYPE(talvaro::TransferMachine::State)

class TestTransferMachine : public QObject {
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void drainsBeforeEveryRecord();
    void cancelAtEachStep();
};

void TestTransferMachine::replies_data() {
    using State = TransferMachine::State;
    QTest::addColumn<QList<int>>("replies");
    QTest::addColumn<QList<int>>("sent");     // record index of every send, in order
    QTest::addColumn<QList<int>>("progress"); // before every send
    QTest::addColumn<State>("end");
    const int n = static_cast<int>(Records[0].size() + Records[1].size() + Records[2].size());
    const int one = static_cast<int>(Records[0].size()) * 100 / n;
    const int two = static_cast<int>(Records[0].size() + Records[1].size()) * 100 / n;

    QTest::newRow("all accepted") << QList<int>{Accept, Accept, Accept} << QList<int>{0, 1, 2}
                                  << QList<int>{0, one, two} << State::Accepted;
    QTest::newRow("three refusals, then accepted; the copies count once")
        << QList<int>{Refuse, 0x15, 0x12, Accept, Accept, Accept} << QList<int>{0, 0, 0, 0, 1, 2}
        << QList<int>{0, 0, 0, 0, one, two} << State::Accepted;
    QTest::newRow("refusals of different records do not add up")
        << QList<int>{Refuse, Refuse, Refuse, Accept, Refuse, Refuse,
                      Refuse, Accept, Refuse, Refuse, Refuse, Accept}
        << QList<int>{0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2}
        << QList<int>{0, 0, 0, 0, one, one, one, one, two, two, two, two} << State::Accepted;
    QTest::newRow("fourth refusal in a row ends it")
        << QList<int>{Accept, Refuse, Refuse, Refuse, Refuse, Accept} << QList<int>{0, 1, 1, 1, 1}
        << QList<int>{0, one, one, one, one} << State::Corrupt;
    QTest::newRow("missing reply ends it, a late one is ignored")
        << QList<int>{Accept, Timeout, Accept} << QList<int>{0, 1} << QList<int>{0, one}
        << State::NoReply;
    QTest::newRow("missing reply after a refusal is not retried")
        << QList<int>{Refuse, Timeout} << QList<int>{0, 0} << QList<int>{0, 0} << State::NoReply;
    QTest::newRow("a reply after the end sends nothing")
        << QList<int>{Accept, Accept, Accept, Refuse, Accept} << QList<int>{0, 1, 2}
        << QList<int>{0, one, two} << State::Accepted;
}

void TestTransferMachine::replies() {
    QFETCH(QList<int>, replies);
    QFETCH(QList<int>, sent);
    QFETCH(QList<int>, progress);
    QFETCH(TransferMachine::State, end);
    FakeLine line;
    TransferMachine machine(line, Records[0] + Records[1] + Records[2]);
    machine.start();
    answer(machine, replies);
    QCOMPARE(line.sends(), sendsOf(sent));
    QCOMPARE(line.progress, progress);
    QCOMPARE(machine.state(), end);
    QVERIFY(machine.finished());
}

// Stale input before a record is never taken for its reply.
void TestTransferMachine::drainsBeforeEveryRecord() {
    FakeLine line;
    TransferMachine machine(line, Records[0] + Records[1]);
    machine.start();
    answer(machine, {Refuse, Accept});
    QCOMPARE(line.log, (QStringList{"drain", "send 0", "drain", "send 0", "drain", "send 1"}));
    QVERIFY(!machine.finished());
}

// Cancelled before the first record or while any reply is awaited, the machine sends
// nothing more, whatever the loader answers then; the last step cancels a finished one.
void TestTransferMachine::cancelAtEachStep() {
    const QList<int> script{Refuse, Accept, Accept, Accept};
    for (int step = 0; step <= script.size() + 1; ++step) {
        FakeLine line;
        TransferMachine machine(line, Records[0] + Records[1] + Records[2]);
        if (step > 0)
            machine.start();
        answer(machine, script.mid(0, qMax(step - 1, 0)));
        const QStringList before = line.log;
        const TransferMachine::State stateBefore = machine.state();
        machine.cancel();
        machine.start();
        answer(machine, {Accept, Accept, Accept});
        QCOMPARE(line.log, before);
        // Cancelling a finished transfer leaves its result alone.
        QCOMPARE(machine.state(), stateBefore == TransferMachine::State::Accepted
                                      ? TransferMachine::State::Accepted
                                      : TransferMachine::State::Cancelled);
    }
}

QTEST_GUILESS_MAIN(TestTransferMachine)
#include "test_transfer_machine.moc"
