#include "ConfigModel.h"

namespace talvaro {

void ConfigModel::encodeImage(ImageBuffers& images) {
    images.checksum = imageChecksum(images.working(m_document.deviceType()));
}

void ConfigModel::decodeImage(const ImageBuffers&) {}

} // namespace talvaro
