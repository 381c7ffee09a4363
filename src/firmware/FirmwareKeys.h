#pragma once

#include "model/DeviceTypes.h"

#include <QtGlobal>

#include <array>
#include <optional>

namespace talvaro {

constexpr int FirmwareKeyLength = 32;
constexpr int FirmwareIvLength = 16;
constexpr int FirmwareSignatureLength = 4;

// What a firmware file for one device type is encrypted and marked with.
struct FirmwareKeySet {
    std::array<quint8, FirmwareKeyLength> key;
    std::array<quint8, FirmwareIvLength> iv;
    std::array<quint8, FirmwareSignatureLength> signature;
};

// Tables indexed by device type, generated from the build's key file.
extern const std::array<std::array<quint8, FirmwareKeyLength>, 8> FirmwareKeys;
extern const std::array<std::array<quint8, FirmwareIvLength>, 8> FirmwareIvs;
extern const std::array<std::array<quint8, FirmwareSignatureLength>, 8> FirmwareSignatures;

// The key set of a device type; types above 7 have none.
std::optional<FirmwareKeySet> firmwareKeySet(DeviceType type);

} // namespace talvaro
