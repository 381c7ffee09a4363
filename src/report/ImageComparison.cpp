#include "ImageComparison.h"

namespace talvaro {
namespace {

QString described(DeviceType type) {
    return QStringLiteral("%1 (Gerätetyp %2, %3 Nebenstellen)")
        .arg(deviceProfile(type).identity)
        .arg(type)
        .arg(familyProfile(type).extensions);
}

} // namespace

ImageComparison compareImages(const TypedImage& first, const TypedImage& second, Dialogs& dialogs) {
    if (deviceFamily(first.type) != deviceFamily(second.type))
        return {{},
                QStringLiteral("Die Konfigurationen lassen sich nicht vergleichen: %1 und %2 "
                               "gehören zu verschiedenen Gerätefamilien.")
                    .arg(described(first.type), described(second.type))};
    const QStringList before = markedReportLines(first.type, first.image, dialogs);
    const QStringList after = markedReportLines(first.type, second.image, dialogs);
    if (before.isEmpty() || after.isEmpty())
        return {{}, QStringLiteral("Die Konfiguration passt nicht zu ihrem Gerätetyp.")};
    return {compareReports(before, after), {}};
}

} // namespace talvaro
