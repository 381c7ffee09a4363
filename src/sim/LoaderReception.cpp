#include "sim/LoaderReception.h"

#include "firmware/Crc16.h"
#include "firmware/FirmwareRecords.h"

#include <utility>

namespace talvaro::sim {
namespace {

quint16 lengthField(const QByteArray& record) {
    return static_cast<quint16>(quint8(record[0]) << 8 | quint8(record[1]));
}

// A length the loader's record buffer can take: whole cipher blocks and the CRC.
bool isRecordLength(quint16 length) {
    const qsizetype cipher = length - RecordCrcSize;
    return cipher >= CipherBlockSize && cipher % CipherBlockSize == 0 &&
           RecordHeaderSize + length <= RecordBufferSize;
}

} // namespace

QByteArray LoaderReception::chatter() const {
    constexpr qsizetype ChatterBytes = 64;
    constexpr char Noise = '\xff';
    const bool due = m_faults.chatterAfterRecord >= 0 && m_accepted >= m_faults.chatterAfterRecord;
    return due ? QByteArray(ChatterBytes, Noise) : QByteArray();
}

QByteArray LoaderReception::receive(char byte) {
    m_record += byte;
    if (m_record.size() < RecordHeaderSize)
        return {};
    const quint16 length = lengthField(m_record);
    if (!isRecordLength(length)) {
        // No record can follow such a header; the loader refuses and listens again.
        m_record.clear();
        return QByteArray(1, RefuseByte);
    }
    if (m_record.size() < RecordHeaderSize + length)
        return {};
    return complete();
}

QByteArray LoaderReception::complete() {
    const QByteArray record = std::exchange(m_record, QByteArray());
    ++m_received;
    const int number = m_accepted + 1;
    if (m_faults.silentAfterRecord >= 0 && number > m_faults.silentAfterRecord)
        return {};
    const auto* body = reinterpret_cast<const quint8*>(record.constData()) + RecordHeaderSize;
    const bool crcRight = crc16Umts(body, record.size() - RecordHeaderSize) == 0;
    if (!crcRight || (number == m_faults.rejectRecord && m_rejected++ < m_faults.rejectTimes))
        return QByteArray(1, RefuseByte);
    ++m_accepted;
    m_stream += record;
    return QByteArray(1, AcceptByte);
}

} // namespace talvaro::sim
