#include "TransferMachine.h"

#include "firmware/FirmwareRecords.h"

#include <utility>

namespace talvaro {

TransferMachine::TransferMachine(TransferPort& port, QByteArray stream)
    : m_port(port), m_stream(std::move(stream)) {}

void TransferMachine::start() {
    if (m_state != State::Ready)
        return;
    if (m_stream.isEmpty()) {
        m_state = State::Accepted;
        return;
    }
    sendCurrentRecord();
}

qsizetype TransferMachine::currentRecordSize() const {
    const auto* bytes = reinterpret_cast<const quint8*>(m_stream.constData());
    return RecordHeaderSize + *recordLength(bytes, m_stream.size(), m_position);
}

void TransferMachine::sendCurrentRecord() {
    if (!m_port.drainInput()) {
        m_state = State::NoReply;
        return;
    }
    m_port.reportProgress(static_cast<int>(m_accepted * 100 / m_stream.size()));
    m_state = State::AwaitingReply;
    m_port.sendRecord(m_stream.mid(m_position, currentRecordSize()));
}

void TransferMachine::replyReceived(quint8 reply) {
    if (m_state != State::AwaitingReply)
        return;
    if (reply == AcceptByte) {
        const qsizetype size = currentRecordSize();
        m_accepted += size;
        m_position += size;
        m_rejections = 0;
        if (m_position >= m_stream.size()) {
            m_state = State::Accepted;
            return;
        }
    } else if (++m_rejections == MaxRejections) {
        m_state = State::Corrupt;
        return;
    }
    sendCurrentRecord();
}

void TransferMachine::replyTimedOut() {
    if (m_state == State::AwaitingReply)
        m_state = State::NoReply;
}

void TransferMachine::cancel() {
    if (!finished())
        m_state = State::Cancelled;
}

} // namespace talvaro
