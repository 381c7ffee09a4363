#include "PortMap.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <tuple>

namespace talvaro {
namespace {

// Built-in ports come last; within a kind, ports sort by their number.
int kindRank(const QString& name) {
    if (name.startsWith(QLatin1String("ttyUSB")))
        return 0;
    if (name.startsWith(QLatin1String("ttyACM")))
        return 1;
    return 2;
}

int numberOf(const QString& name) {
    static const QRegularExpression trailing(QStringLiteral("(\\d+)$"));
    const auto match = trailing.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

// The number of a name "COM<n>"; nothing for a name of another form.
std::optional<uint> comNumber(const QString& name) {
    static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(name);
    return match.hasMatch() ? std::optional<uint>(match.captured(1).toUInt()) : std::nullopt;
}

} // namespace

PortMap::PortMap(QStringList paths) : m_paths(std::move(paths)) {
    if (m_paths.size() > HighestComPort)
        m_paths.resize(HighestComPort);
}

PortMap PortMap::ofSystem() {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return std::make_tuple(kindRank(a), numberOf(a), a) <
               std::make_tuple(kindRank(b), numberOf(b), b);
    });
    QStringList paths;
    for (const QString& name : names)
        paths << QStringLiteral("/dev/") + name;
    return PortMap(paths);
}

QString PortMap::path(quint16 number) const {
    return number >= 1 && number <= m_paths.size() ? m_paths[number - 1] : QString();
}

QStringList PortMap::paths() const {
    QStringList all = m_paths;
    all.resize(HighestComPort);
    return all;
}

QString PortMap::pathOf(const QString& name) const {
    const std::optional<uint> number = comNumber(name);
    if (!number)
        return name;
    return *number <= HighestComPort ? path(static_cast<quint16>(*number)) : QString();
}

PortAssignment PortAssignment::fromEnvironment() {
    const QByteArray assigned = qgetenv("TALVARO_PORTS");
    if (assigned.isNull())
        return {};
    return PortAssignment(PortMap(QString::fromLocal8Bit(assigned).split(QLatin1Char(','))));
}

PortMap PortAssignment::current() const {
    return m_fixed ? *m_fixed : PortMap::ofSystem();
}

std::optional<PortAssignment::SinglePort> PortAssignment::onlyPort(const QString& name) const {
    const QString path = current().pathOf(name);
    if (path.isEmpty())
        return std::nullopt;
    // pathOf has found a number up to HighestComPort, or the name is a path.
    const auto number = static_cast<quint16>(comNumber(name).value_or(1));
    QStringList paths(number - 1, QString());
    paths << path;
    return SinglePort{PortAssignment(PortMap(paths)), number};
}

} // namespace talvaro
