#include "PortStatus.h"

#include "link/PortMap.h"

#include <QSerialPort>

namespace talvaro {

QList<PortStatus> portStatuses() {
    QList<PortStatus> ports;
    for (quint16 n = 1; n <= HighestComPort; ++n) {
        PortStatus status;
        status.number = n;
        status.path = comPortPath(n);
        if (status.path.isEmpty())
            continue;
        QSerialPort probe;
        probe.setPortName(status.path);
        status.usable = probe.open(QIODevice::ReadWrite);
        if (status.usable) {
            probe.close();
        } else {
            status.permissionDenied = probe.error() == QSerialPort::PermissionError;
            status.reason = probe.errorString();
        }
        ports << status;
    }
    return ports;
}

QString permissionHint(const PortStatus& port) {
    return QStringLiteral("Kein Zugriff auf COM%1 (%2): die Mitgliedschaft in der Gruppe "
                          "\"dialout\" gewährt ihn.")
        .arg(port.number)
        .arg(port.path);
}

} // namespace talvaro
