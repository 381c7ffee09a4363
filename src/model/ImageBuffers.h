#pragma once

#include "DeviceTypes.h"

#include <QByteArray>

namespace talvaro {

// The configuration images of both families, present side by side: the working image
// that files and the device receive, and the copy last read from the device.
struct ImageBuffers {
    QByteArray fourWorking = QByteArray(60, '\0');
    QByteArray fourDeviceCopy = QByteArray(60, '\0');
    QByteArray sixWorking = QByteArray(76, '\0');
    QByteArray sixDeviceCopy = QByteArray(76, '\0');
    quint8 checksum = 0; // 8-bit sum of the working image last encoded

    QByteArray& working(DeviceType type) { return isSixExtension(type) ? sixWorking : fourWorking; }
    QByteArray& deviceCopy(DeviceType type) {
        return isSixExtension(type) ? sixDeviceCopy : fourDeviceCopy;
    }
};

// Sum of all bytes modulo 256, the same rule in both directions.
quint8 imageChecksum(const QByteArray& image);

} // namespace talvaro
