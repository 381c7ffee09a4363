// The record loop of the firmware transfer on a fake line: resends, the reply
// time-out, cancelling and progress, with no time passing.
#include "firmware/TransferMachine.h"

#include <QTest>

using namespace talvaro;
using State = TransferMachine::State;

namespace {

constexpr int Accept = AcceptByte;
constexpr int Refuse = 0x00;
constexpr int Timeout = -1;
constexpr int Chatter = -2; // from here on the line never falls quiet

// Records of 16, 32 and 48 cipher bytes plus CRC; each byte names its record.
QByteArray record(int index, int blocks) {
    const int length = blocks * 16 + 2;
    QByteArray bytes;
    bytes.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF));
    return bytes.append(QByteArray(length, static_cast<char>('A' + index)));
}

const QList<QByteArray> Records{record(0, 1), record(1, 2), record(2, 3)};

// The log has "d" for a drained input and the record's index for a send.
class FakeLine : public TransferPort {
public:
    bool drainInput() override {
        log += 'd';
        return !chattering;
    }
    void sendRecord(const QByteArray& bytes) override {
        log += QString::number(Records.indexOf(bytes));
    }
    void reportProgress(int percent) override { progress << percent; }

    QString log;
    QList<int> progress;
    bool chattering = false;
};

void answer(TransferMachine& machine, FakeLine& line, const QList<int>& replies) {
    for (const int reply : replies) {
        if (reply == Chatter)
            line.chattering = true;
        else if (reply == Timeout)
            machine.replyTimedOut();
        else
            machine.replyReceived(static_cast<quint8>(reply));
    }
}

} // namespace

Q_DECLARE_METATYPE(talvaro::TransferMachine::State)

class TestTransferMachine : public QObject {
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void cancelAtEachStep();
};

void TestTransferMachine::replies_data() {
    QTest::addColumn<QList<int>>("replies");
    QTest::addColumn<QString>("log");         // stale input is drained before every record
    QTest::addColumn<QList<int>>("progress"); // before every send
    QTest::addColumn<State>("end");
    const int n = static_cast<int>(Records[0].size() + Records[1].size() + Records[2].size());
    const int one = static_cast<int>(Records[0].size()) * 100 / n;
    const int two = static_cast<int>(Records[0].size() + Records[1].size()) * 100 / n;

    QTest::newRow("three refusals per record do not add up; the copies count once")
        << QList<int>{Refuse, 0x15,   0x12,   Accept, Refuse, Refuse,
                      Refuse, Accept, Refuse, Refuse, Refuse, Accept}
        << "d0d0d0d0d1d1d1d1d2d2d2d2"
        << QList<int>{0, 0, 0, 0, one, one, one, one, two, two, two, two} << State::Accepted;
    QTest::newRow("fourth refusal in a row ends it")
        << QList<int>{Accept, Refuse, Refuse, Refuse, Refuse, Accept} << "d0d1d1d1d1"
        << QList<int>{0, one, one, one, one} << State::Corrupt;
    QTest::newRow("missing reply ends it, a late one is ignored")
        << QList<int>{Accept, Timeout, Accept} << "d0d1" << QList<int>{0, one} << State::NoReply;
    QTest::newRow("missing reply after a refusal is not retried")
        << QList<int>{Refuse, Timeout} << "d0d0" << QList<int>{0, 0} << State::NoReply;
    QTest::newRow("a line that keeps sending before a record ends it unanswered")
        << QList<int>{Accept, Chatter, Refuse, Accept} << "d0d1d" << QList<int>{0, one}
        << State::NoReply;
    QTest::newRow("a reply after the end sends nothing")
        << QList<int>{Accept, Accept, Accept, Refuse, Accept} << "d0d1d2" << QList<int>{0, one, two}
        << State::Accepted;
}

void TestTransferMachine::replies() {
    QFETCH(QList<int>, replies);
    QFETCH(QString, log);
    QFETCH(QList<int>, progress);
    QFETCH(State, end);
    FakeLine line;
    TransferMachine machine(line, Records[0] + Records[1] + Records[2]);
    machine.start();
    answer(machine, line, replies);
    QCOMPARE(line.log, log);
    QCOMPARE(line.progress, progress);
    QCOMPARE(machine.state(), end);
    QVERIFY(machine.finished());
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
        answer(machine, line, script.mid(0, qMax(step - 1, 0)));
        const QString before = line.log;
        const bool done = machine.state() == State::Accepted;
        machine.cancel();
        machine.start();
        answer(machine, line, {Accept, Accept, Accept});
        QCOMPARE(line.log, before);
        // Cancelling a finished transfer leaves its result alone.
        QCOMPARE(machine.state(), done ? State::Accepted : State::Cancelled);
    }
}

QTEST_GUILESS_MAIN(TestTransferMachine)
#include "test_transfer_machine.moc"
