#include "FirmwareRecords.h"

namespace talvaro {

std::optional<quint16> recordLength(const quint8* stream, qsizetype count, qsizetype pos) {
    if (pos < 0 || count - pos < RecordHeaderSize)
        return std::nullopt;
    const quint16 length = static_cast<quint16>(stream[pos] << 8 | stream[pos + 1]);
    const qsizetype cipher = length - RecordCrcSize;
    if (cipher <= 0 || cipher % CipherBlockSize != 0 || length > RecordBufferSize)
        return std::nullopt;
    if (count - pos - RecordHeaderSize < length)
        return std::nullopt;
    return length;
}

bool isWellFormedStream(const quint8* stream, qsizetype count) {
    if (count == 0)
        return false;
    for (qsizetype pos = 0; pos < count;) {
        const auto length = recordLength(stream, count, pos);
        if (!length)
            return false;
        pos += RecordHeaderSize + *length;
    }
    return true;
}

} // namespace talvaro
