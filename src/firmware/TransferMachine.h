#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace talvaro {

constexpr quint8 AcceptByte = 0x11;

// What the record loop does to the line: it never reads or waits itself, so that it
// runs the same against the real port on a worker thread and against a test's fake.
class TransferPort {
public:
    virtual ~TransferPort() = default;

    // Throws away whatever arrived before the next record; false when the line does not
    // fall quiet within the drain's limits.
    virtual bool drainInput() = 0;
    // Sends one record; its one-byte reply, or the reply time-out, comes back through
    // TransferMachine::replyReceived or replyTimedOut.
    virtual void sendRecord(const QByteArray& record) = 0;
    // Accepted bytes x 100 / all bytes, reported before each record is sent.
    virtual void reportProgress(int percent) = 0;
};

// Streams a well-formed record stream record by record and waits for the loader's
// one-byte reply after each. A refused record is sent again, four times at most in a
// row; a missing reply, or a line that keeps sending before a record, ends the transfer
// at once.
class TransferMachine {
public:
    enum class State { Ready, AwaitingReply, Accepted, NoReply, Corrupt, Cancelled };

    static constexpr int MaxRejections = 4; // in a row, for one record

    // `stream` must be one or more well-formed records end to end.
    TransferMachine(TransferPort& port, QByteArray stream);

    // Drains the input, reports progress and sends the first record.
    void start();
    void replyReceived(quint8 reply);
    void replyTimedOut();
    // Nothing more is sent; a reply still on its way is ignored.
    void cancel();

    State state() const { return m_state; }
    bool finished() const { return m_state != State::Ready && m_state != State::AwaitingReply; }

private:
    void sendCurrentRecord();
    qsizetype currentRecordSize() const;

    TransferPort& m_port;
    const QByteArray m_stream;
    State m_state = State::Ready;
    qsizetype m_position = 0;
    qsizetype m_accepted = 0;
    int m_rejections = 0;
};

} // namespace talvaro
