#pragma once

#include <QList>
#include <QString>

// What stands behind COM1 to COM20 and whether it can be opened now.
namespace talvaro {

struct PortStatus {
    quint16 number = 0;
    QString path;
    bool usable = false;
    bool permissionDenied = false;
    QString reason; // why it cannot be opened
};

// Every COM number with a device path behind it, in order.
QList<PortStatus> portStatuses();

// The hint for a port that refused access for lack of permission.
QString permissionHint(const PortStatus& port);

} // namespace talvaro
