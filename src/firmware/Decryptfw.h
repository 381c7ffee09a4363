#pragma once

#include "firmware/Aes.h"
#include "firmware/FirmwareRecords.h"
#include "model/DeviceTypes.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <memory>
#include <optional>

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
    // The same check on a file's content as readFirmwareFile gave it.
    bool loadContent(const QByteArray& content);
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

// A firmware file's content, or nothing when it cannot be read or is larger than any
// firmware file may be. Checking and sending the same bytes keeps a file that changes in
// between from reaching the device unchecked.
std::optional<QByteArray> readFirmwareFile(const QString& fileName);

} // namespace talvaro
