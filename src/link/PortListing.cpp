#include "PortListing.h"

#include <QStringList>

namespace talvaro {

QString usbDeviceText(const UsbDevice& usb) {
    QStringList parts;
    for (const QString& part : {usb.manufacturer, usb.product})
        if (!part.isEmpty())
            parts << part;
    if (!usb.serialNumber.isEmpty())
        parts << QStringLiteral("Seriennummer ") + usb.serialNumber;
    return parts.join(QStringLiteral(", "));
}

QString portStatusText(const PortState& state) {
    if (state.own)
        return QStringLiteral("von diesem Programm geöffnet");
    if (state.isHeld())
        return QStringLiteral("belegt");
    switch (state.access.result) {
    case PortAccess::Result::Opened:
        return QStringLiteral("frei");
    case PortAccess::Result::NotProbed:
        return QStringLiteral("nicht geprüft: das Öffnen baut eine Bluetooth-Verbindung auf");
    default:
        return QStringLiteral("nicht verfügbar: ") + state.access.reason;
    }
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
                    .arg(state.port.path, portStatusText(state));
        detail(usbDeviceText(state.usb));
        detail(state.byId);
        for (const PortFinding& finding : state.findings)
            detail(findingText(finding));
    }
    for (const PortFinding& finding : diagnosis.machine)
        text += findingText(finding) + QLatin1Char('\n');
    return text;
}

} // namespace talvaro
