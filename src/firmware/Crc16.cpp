#include "Crc16.h"

namespace talvaro {

quint16 crc16Umts(const quint8* data, qsizetype count, quint16 crc) {
    for (qsizetype i = 0; i < count; ++i) {
        crc ^= static_cast<quint16>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? static_cast<quint16>((crc << 1) ^ 0x8005)
                                 : static_cast<quint16>(crc << 1);
    }
    return crc;
}

} // namespace talvaro
