#pragma once

#include "DeviceTypes.h"

#include <QList>
#include <QString>

namespace talvaro {

struct NavigationNode {
    QString text;
    int parent; // index of the parent node in the list, -1 for the root
};

// The page tree of a device type, parents before their children, siblings in order.
QList<NavigationNode> navigationNodes(DeviceType type);

} // namespace talvaro
