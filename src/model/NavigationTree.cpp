#include "NavigationTree.h"

namespace talvaro {

QList<NavigationNode> navigationNodes(DeviceType type) {
    const DeviceTypeProfile& p = deviceProfile(type);
    QList<NavigationNode> nodes{{QStringLiteral("Konfiguration"), -1},
                                {QStringLiteral("Externanschluss"), 0}};
    if (p.hasNachwahlPage)
        nodes.append({QStringLiteral("Nachwahl/Faxweiche"), 1});
    if (p.hasErweitertPage)
        nodes.append({QStringLiteral("Erweitert"), 1});
    nodes.append({QStringLiteral("Berechtigungen"), 0});
    nodes.append({QStringLiteral("Rufverteilung"), 0});
    if (!p.contactPageNode.isEmpty())
        nodes.append({p.contactPageNode, 0});
    return nodes;
}

} // namespace talvaro
