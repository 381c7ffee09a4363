#include "ImageBuffers.h"

namespace talvaro {

quint8 imageChecksum(const QByteArray& image) {
    quint8 sum = 0;
    for (const char byte : image)
        sum = static_cast<quint8>(sum + static_cast<quint8>(byte));
    return sum;
}

} // namespace talvaro
