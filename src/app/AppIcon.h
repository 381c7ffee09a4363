#pragma once

#include <QIcon>
#include <QPixmap>

namespace talvaro {

// The program's icon: a small telephone system drawn in code, at any size.
QPixmap appIconPixmap(int size);
QIcon appIcon();

} // namespace talvaro
