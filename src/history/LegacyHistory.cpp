#include "LegacyHistory.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace talvaro {
namespace {

// Far above any configuration image: a larger file is not one of ours.
constexpr qint64 LargestImage = 4096;

std::optional<QByteArray> readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestImage)
        return std::nullopt;
    return file.readAll();
}

} // namespace

QList<LegacyEntry> readLegacyHistory(const QString& folder) {
    QList<LegacyEntry> entries;
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const std::optional<QByteArray> text = readSmallFile(dir.filePath(name));
        const QJsonObject json = text ? QJsonDocument::fromJson(*text).object() : QJsonObject();
        LegacyEntry entry;
        entry.time =
            QDateTime::fromString(json.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
        entry.event.action = json.value(QStringLiteral("action")).toString();
        entry.event.type = static_cast<DeviceType>(json.value(QStringLiteral("type")).toInt());
        entry.event.deviceText = json.value(QStringLiteral("device")).toString();
        entry.event.firmware = json.value(QStringLiteral("firmware")).toString();
        entry.event.port = json.value(QStringLiteral("port")).toString();
        const QString imageFile = json.value(QStringLiteral("image")).toString();
        if (!entry.time.isValid() || entry.event.action.isEmpty() || imageFile.isEmpty() ||
            imageFile.contains(QLatin1Char('/')))
            continue;
        const std::optional<QByteArray> image = readSmallFile(dir.filePath(imageFile));
        if (!image)
            continue;
        // A short image or one that does not fit its type is kept: it is listed as damaged.
        entry.image = *image;
        entries << entry;
    }
    return entries;
}

} // namespace talvaro
