#pragma once

#include <QString>

namespace talvaro {

// The most characters of one device answer (name or firmware) that the status bar and
// the command line show.
inline constexpr qsizetype ShownDeviceTextLength = 40;

// A device answer as it is shown: printable characters only, cut with "…" when longer
// than ShownDeviceTextLength. The exchange keeps the answer whole.
QString shownDeviceText(const QString& text);

} // namespace talvaro
