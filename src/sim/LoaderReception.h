#pragma once

#include <QByteArray>

namespace talvaro::sim {

// Faults of the simulated firmware loader. Records are numbered from 1 in the order of
// the stream; a record sent again keeps its number.
struct LoaderFaults {
    int rejectRecord = 0;        // this record is refused ...
    int rejectTimes = 0;         // ... so many times before it is accepted
    int silentAfterRecord = -1;  // records after this many are not answered; -1: never
    int chatterAfterRecord = -1; // once this many are accepted the line never falls quiet
};

// The loader's side of the transfer: collects records (16-bit big-endian length L, then
// L bytes of ciphertext and CRC) and answers each with one byte, the accept byte when
// the CRC is right and the refuse byte otherwise. The content is not decrypted.
class LoaderReception {
public:
    static constexpr char AcceptByte = 0x11;
    static constexpr char RefuseByte = 0x15;

    explicit LoaderReception(LoaderFaults faults = {}) : m_faults(faults) {}

    // Takes one byte; the answer once a record is complete, nothing otherwise.
    QByteArray receive(char byte);
    // Drops a record half received; the next byte starts a length field.
    void restart() { m_record.clear(); }
    // Noise the loader sends unasked now: nothing unless its chatter fault is due.
    QByteArray chatter() const;

    int recordsReceived() const { return m_received; } // every copy, refused ones included
    int recordsAccepted() const { return m_accepted; }
    // The accepted records as they came, length fields included.
    QByteArray acceptedStream() const { return m_stream; }

private:
    QByteArray complete();

    LoaderFaults m_faults;
    QByteArray m_record;
    int m_received = 0;
    int m_accepted = 0;
    int m_rejected = 0; // refusals of the faulty record so far
    QByteArray m_stream;
};

} // namespace talvaro::sim
