#pragma once

#include <QtGlobal>

namespace talvaro {

// CRC-16 with polynomial 0x8005, most significant bit first, no reflection and no final
// XOR (CRC-16/UMTS; "123456789" gives 0xFEE8). Running it over data followed by its own
// CRC, high byte first, leaves 0.
quint16 crc16Umts(const quint8* data, qsizetype count, quint16 crc = 0);

} // namespace talvaro
