#include "PortListing.h"

#include <QSerialPortInfo>
#include <QStringList>

namespace talvaro {

QString PortDescription::text() const {
    QStringList parts;
    for (const QString& part : {manufacturer, product})
        if (!part.isEmpty())
            parts << part;
    if (!serialNumber.isEmpty())
        parts << QStringLiteral("Seriennummer ") + serialNumber;
    return parts.join(QStringLiteral(", "));
}

PortDescription describePort(const QString& path) {
    const QSerialPortInfo info(path);
    return {info.manufacturer(), info.description(), info.serialNumber()};
}

QString accessText(const PortAccess& access) {
    return access.result == PortAccess::Result::Opened
               ? QStringLiteral("frei")
               : QStringLiteral("nicht verfügbar: ") + access.reason;
}

QString portListText(const Diagnosis& diagnosis) {
    QString text;
    const auto detail = [&text](const QString& line) {
        if (!line.isEmpty())
            text += QLatin1Char('\t') + line + QLatin1Char('\n');
    };
    for (const PortState& state : diagnosis.ports) {
        text += QStringLiteral("COM%1\t%2\t%3\n")
                    .arg(state.port.number)
                    .arg(state.port.path, accessText(state.access));
        detail(describePort(state.port.path).text());
        detail(state.byId);
        for (const PortFinding& finding : state.findings)
            detail(findingText(finding));
    }
    for (const PortFinding& finding : diagnosis.machine)
        text += findingText(finding) + QLatin1Char('\n');
    return text;
}

} // namespace talvaro
