#include "DeviceText.h"

namespace talvaro {

QString shownDeviceText(const QString& text) {
    QString shown;
    for (const QChar c : text)
        if (c.isPrint())
            shown += c;
    if (shown.size() > ShownDeviceTextLength)
        shown = shown.left(ShownDeviceTextLength - 1) + QChar(0x2026);
    return shown;
}

} // namespace talvaro
