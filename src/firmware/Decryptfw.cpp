#include "Decryptfw.h"

#include "firmware/Crc16.h"
#include "firmware/FirmwareKeys.h"
#include "firmware/HexStream.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <cstring>

namespace talvaro {

TDecryptFirmware::TDecryptFirmware() : m_stream(new quint8[StreamCapacity]) {}

std::optional<QByteArray> readFirmwareFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read one byte beyond the limit: a device file that keeps delivering data is no
    // firmware file either.
    QByteArray content = file.read(TDecryptFirmware::MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || content.size() > TDecryptFirmware::MaxFileSize)
        return std::nullopt;
    return content;
}

bool TDecryptFirmware::loadFile(const QString& fileName) {
    m_count = 0;
    const std::optional<QByteArray> content = readFirmwareFile(fileName);
    return content && loadContent(*content);
}

bool TDecryptFirmware::loadContent(const QByteArray& content) {
    m_count = 0;
    if (content.size() > MaxFileSize)
        return false;
    QBuffer in;
    in.setData(content);
    in.open(QIODevice::ReadOnly);
    const HexStreamResult parsed = parseHexStream(in, m_stream.get(), StreamCapacity);
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
