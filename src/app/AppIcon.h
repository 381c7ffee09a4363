#pragma once

#include <QIcon>
#include <QPixmap>

namespace talvaro {

// The program's icon: a small telephone system drawn in code, at any size.
QPixmap appIconPixmap(int size);
// Drawn only when a size is asked for, so that making the icon costs nothing at start.
QIcon appIcon();

// The tool bar's print button: a printer with a sheet, drawn in code like the program's
// icon, so that no icon theme has to be read before the window shows.
QIcon printIcon();

} // namespace talvaro
