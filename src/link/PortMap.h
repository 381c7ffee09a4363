#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace talvaro {

constexpr quint16 HighestComPort = 20;

// Which device path stands behind COM1 to COM20 at one moment. It is a value: a number
// keeps its meaning for as long as the map is used (a whole search, one "ports"
// command), whatever is plugged in meanwhile.
class PortMap {
public:
    PortMap() = default;
    // Paths for COM1, COM2, ...; an empty entry leaves that number without a device.
    explicit PortMap(QStringList paths);
    // The system's serial ports now, listed once: USB adapters (ttyUSB, ttyACM) before
    // built-in ports (ttyS), each kind sorted by number.
    static PortMap ofSystem();

    // Empty when no device stands behind the number.
    QString path(quint16 number) const;
    // COM1 to COM20 in order, empty where no device stands.
    QStringList paths() const;
    // "COM3" -> the path behind COM3; anything else is taken as a device path already.
    QString pathOf(const QString& name) const;

private:
    QStringList m_paths;
};

// Where the maps of a run come from. The ports named at its start (TALVARO_PORTS,
// --port, the demo, tests) stay as they are; otherwise each search lists the system's
// ports anew, so that an adapter plugged in meanwhile is found.
class PortAssignment {
public:
    // The system's ports.
    PortAssignment() = default;
    explicit PortAssignment(PortMap fixed) : m_fixed(std::move(fixed)) {}
    // TALVARO_PORTS, a comma-separated list of device paths for COM1, COM2, ...; the
    // system's ports when it is not set.
    static PortAssignment fromEnvironment();

    bool isFixed() const { return m_fixed.has_value(); }
    // The map as of now: the fixed one, or the system's ports listed once.
    PortMap current() const;

    // Only `name` ("COM<n>", or a device path, which becomes COM1) under its number, as
    // --port asks; nothing when no device stands behind the name.
    struct SinglePort;
    std::optional<SinglePort> onlyPort(const QString& name) const;

private:
    std::optional<PortMap> m_fixed;
};

struct PortAssignment::SinglePort {
    PortAssignment ports;
    quint16 number;
};

} // namespace talvaro
