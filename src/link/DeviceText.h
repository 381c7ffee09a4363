#pragma once

#include <QString>

namespace talvaro {

// The most characters of one device answer (name or firmware) that the status bar and
// the command line show.
inline constexpr qsizetype ShownDeviceTextLength = 40;

// A device answer as it is shown, cut with "…" when longer than ShownDeviceTextLength.
// Answers hold printable ASCII only (DeviceExchange::answerText); the exchange keeps
// them whole.
QString shownDeviceText(const QString& text);

} // namespace talvaro
