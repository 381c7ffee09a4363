#pragma once

#include "firmware/Aes.h"
#include "firmware/FirmwareRecords.h"
#include "model/DeviceTypes.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <memory>

namespace talvaro {

// Checks a firmware file (".efw"): every record must carry a correct CRC and, decrypted
// under the key set of one device type, start with that type's signature. Plaintext is
// never handed out; the transfer sends the records still encrypted.
class TDecryptFirmware {
public:
    static constexpr qint64 MaxFileSize = 393214;
    static constexpr qsizetype StreamCapacity = 0x60000;

    TDecryptFirmware();

    // True when every record passed under one device type's key set; that type is then
    // fileDeviceType(). False for any unusable file, without a reason.
    bool loadFile(const QString& fileName);
    int fileDeviceType() const { return m_fileDeviceType; }

private:
    bool tryKeySet(DeviceType type);

    // Allocated once; every call refills them.
    std::unique_ptr<quint8[]> m_stream;
    quint32 m_count = 0;
    std::array<quint8, RecordBufferSize> m_record{};
    AesDecryptor m_aes;
    qint32 m_fileDeviceType = -1;
};

} // namespace talvaro
