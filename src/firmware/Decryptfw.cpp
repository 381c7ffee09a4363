#include "Decryptfw.h"

#include "firmware/Crc16.h"
#include "firmware/FirmwareKeys.h"
#include "firmware/HexStream.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace talvaro {

TDecryptFirmware::TDecryptFirmware() : m_stream(new quint8[StreamCapacity]) {}

bool TDecryptFirmware::loadFile(const QString& fileName) {
    m_count = 0;
    QFile file(fileName);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() > MaxFileSize)
        return false;
    const HexStreamResult parsed = parseHexStream(file, m_stream.get(), StreamCapacity);
    file.close();
    // A file within the size limit cannot fill the buffer; a device file that keeps
    // delivering data could, and is no firmware file.
    if (parsed.overflow || parsed.count < 2)
        return false;
    m_count = static_cast<quint32>(parsed.count);

    for (DeviceType type = 0; type <= HighestDeviceType; ++type) {
        if (tryKeySet(type)) {
            m_fileDeviceType = static_cast<qint32>(type);
            return true;
        }
    }
    return false;
}

bool TDecryptFirmware::tryKeySet(DeviceType type) {
    const auto keys = firmwareKeySet(type);
    if (!keys)
        return false;
    quint8 chain[AesBlockSize];
    std::memcpy(chain, keys->iv.data(), AesBlockSize);
    m_aes.setKey(keys->key.data(), FirmwareKeyLength);

    for (qsizetype pos = 0; pos < m_count;) {
        const auto length = recordLength(m_stream.get(), m_count, pos);
        if (!length)
            return false;
        pos += RecordHeaderSize;
        std::memcpy(m_record.data(), m_stream.get() + pos, *length);
        if (crc16Umts(m_record.data(), *length) != 0)
            return false;
        // The chain runs on from the previous record: the file is one CBC stream.
        cbcDecrypt(m_aes, m_record.data(), *length - RecordCrcSize, chain);
        if (!std::equal(keys->signature.begin(), keys->signature.end(), m_record.begin()))
            return false;
        pos += *length;
    }
    return true;
}

} // namespace talvaro
