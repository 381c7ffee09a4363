#include "DeviceText.h"

namespace talvaro {

QString shownDeviceText(const QString& text) {
    if (text.size() <= ShownDeviceTextLength)
        return text;
    return text.left(ShownDeviceTextLength - 1) + QChar(0x2026);
}

} // namespace talvaro
