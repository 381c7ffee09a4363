#include "PortMap.h"

#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QStringList>

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

QStringList systemPorts() {
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
    return paths;
}

} // namespace

QString comPortPath(quint16 number) {
    if (number == 0 || number > HighestComPort)
        return {};
    const QByteArray assigned = qgetenv("TALVARO_PORTS");
    const QStringList paths = assigned.isNull()
                                  ? systemPorts()
                                  : QString::fromLocal8Bit(assigned).split(QLatin1Char(','));
    return number <= paths.size() ? paths[number - 1] : QString();
}

QString portPathFromName(const QString& name) {
    static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(name);
    if (!match.hasMatch())
        return name;
    const uint number = match.captured(1).toUInt();
    return number <= HighestComPort ? comPortPath(static_cast<quint16>(number)) : QString();
}

} // namespace talvaro
