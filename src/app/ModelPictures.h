#pragma once

#include <QPixmap>

namespace talvaro {

// Line drawings of the six housings for the start page (index from the device type).
QPixmap modelPicture(int index);

} // namespace talvaro
