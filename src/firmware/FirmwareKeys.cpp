#include "FirmwareKeys.h"

namespace talvaro {

std::optional<FirmwareKeySet> firmwareKeySet(DeviceType type) {
    if (type > HighestDeviceType)
        return std::nullopt;
    return FirmwareKeySet{FirmwareKeys[type], FirmwareIvs[type], FirmwareSignatures[type]};
}

} // namespace talvaro
