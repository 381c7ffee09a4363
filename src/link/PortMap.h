#pragma once

#include <QString>
#include <QtGlobal>

namespace talvaro {

constexpr quint16 HighestComPort = 20;

// The device path behind "COM<n>". The environment variable TALVARO_PORTS, a
// comma-separated list of device paths, assigns COM1, COM2, ... in order (an empty entry
// leaves that number unassigned). Without it, COM<n> is the n-th serial port of the
// system, USB adapters (ttyUSB, ttyACM) before built-in ports (ttyS), each sorted by
// number. Empty when no device stands behind the number.
QString comPortPath(quint16 number);

// "COM3" -> the path behind COM3; anything else is taken as a device path already.
QString portPathFromName(const QString& name);

} // namespace talvaro
