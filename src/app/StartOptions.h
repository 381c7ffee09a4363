#pragma once

#include "model/DeviceTypes.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace talvaro {

// "talvaro [--demo] [--type N] [FILE.tkx | FILE.efw]": what the program is asked to do
// at its start. Parsed before the window's application exists, so that --help,
// --version and a wrong option need no display and touch no port.
class StartOptions {
public:
    // An exit status when the program must end at once: 0 after --help or --version,
    // 2 after wrong usage (the reason on stderr).
    std::optional<int> parse(const QStringList& arguments);

    bool demo() const { return m_demo; }
    // The serial trace from the start, as with ComLogging in the settings.
    bool trace() const { return m_trace; }
    std::optional<DeviceType> deviceType() const { return m_type; }
    QString file() const { return m_file; }
    bool isFirmwareFile() const;

    // With a type named and a file to open, the file says what is edited: no search.
    bool searchesAtStart() const { return !(m_type && !m_file.isEmpty()); }
    // The arguments DemoMode looks for, in the form it reads them.
    QStringList demoArguments() const;

private:
    bool m_demo = false;
    bool m_trace = false;
    std::optional<DeviceType> m_type;
    QString m_file;
};

} // namespace talvaro
