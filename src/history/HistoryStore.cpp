#include "HistoryStore.h"

#include "model/FileErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace talvaro {
namespace {

const QString MetaSuffix = QStringLiteral(".json");
const QString ImageSuffix = QStringLiteral(".tkx");

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
        file.commit())
        return true;
    file.cancelWriting();
    if (error)
        *error = openErrorText(path, QIODevice::WriteOnly);
    return false;
}

QJsonObject metadata(const HistoryEntry& entry) {
    return {
        {QStringLiteral("time"), entry.time.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("action"), entry.event.action},
        {QStringLiteral("type"), static_cast<int>(entry.event.type)},
        {QStringLiteral("device"), entry.event.deviceText},
        {QStringLiteral("firmware"), entry.event.firmware},
        {QStringLiteral("port"), entry.event.port},
        {QStringLiteral("image"), entry.imageFile},
    };
}

} // namespace

HistoryStore::HistoryStore(QString root) : m_root(std::move(root)) {}

QString HistoryStore::defaultRoot() {
    // The window's AppDataLocation, spelled out: the command line has another name.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Brovenik/Talvaro/Verlauf");
}

QString HistoryStore::uniqueName() const {
    // Time first so that names sort by age; process and random number keep two writers
    // in the same millisecond apart.
    const QString base =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmsszzz"));
    for (;;) {
        const QString name =
            QStringLiteral("%1-%2-%3")
                .arg(base)
                .arg(QCoreApplication::applicationPid())
                .arg(QRandomGenerator::global()->bounded(1u << 30), 9, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(path(name + MetaSuffix)) &&
            !QFileInfo::exists(path(name + ImageSuffix)))
            return name;
    }
}

std::optional<HistoryEntry> HistoryStore::add(const HistoryEvent& event, const QByteArray& image,
                                              QString* error) {
    if (!QDir().mkpath(m_root)) {
        if (error)
            *error = QStringLiteral("%1 kann nicht angelegt werden.").arg(m_root);
        return std::nullopt;
    }
    HistoryEntry entry;
    entry.id = uniqueName();
    entry.time = QDateTime::currentDateTimeUtc();
    entry.event = event;
    QList<HistoryEntry> all = entries();
    for (const HistoryEntry& previous : all) {
        if (previous.damaged() || previous.event.deviceText != event.deviceText ||
            previous.event.type != event.type)
            continue;
        if (this->image(previous) == image)
            entry.imageFile = previous.imageFile;
        break;
    }
    if (entry.imageFile.isEmpty()) {
        entry.imageFile = entry.id + ImageSuffix;
        if (!writeAtomically(path(entry.imageFile), image, error))
            return std::nullopt;
    }
    // The metadata goes last: an entry is listed only once its image is in place.
    if (!writeAtomically(path(entry.id + MetaSuffix), QJsonDocument(metadata(entry)).toJson(),
                         error)) {
        if (entry.imageFile == entry.id + ImageSuffix)
            QFile::remove(path(entry.imageFile));
        return std::nullopt;
    }
    all.prepend(entry); // the newest name
    pruneFrom(all, event.deviceText);
    return entry;
}

QStringList HistoryStore::newestTimes(int count) const {
    QStringList times;
    for (const HistoryEntry& entry : entries()) {
        if (times.size() == count)
            break;
        times << (entry.time.isValid()
                      ? entry.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                      : QStringLiteral("(beschädigt)"));
    }
    return times;
}

QList<HistoryEntry> HistoryStore::entries() const {
    QList<HistoryEntry> list;
    const QDir dir(m_root);
    const QStringList names =
        dir.entryList({QStringLiteral("*") + MetaSuffix}, QDir::Files, QDir::Name);
    list.reserve(names.size());
    for (const QString& name : names) {
        HistoryEntry entry;
        entry.id = name.chopped(MetaSuffix.size());
        QFile file(path(name));
        QJsonParseError parseError{};
        const QJsonObject json = file.open(QIODevice::ReadOnly)
                                     ? QJsonDocument::fromJson(file.readAll(), &parseError).object()
                                     : QJsonObject();
        entry.time =
            QDateTime::fromString(json.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
        entry.event.action = json.value(QStringLiteral("action")).toString();
        entry.event.type = static_cast<DeviceType>(json.value(QStringLiteral("type")).toInt());
        entry.event.deviceText = json.value(QStringLiteral("device")).toString();
        entry.event.firmware = json.value(QStringLiteral("firmware")).toString();
        entry.event.port = json.value(QStringLiteral("port")).toString();
        entry.imageFile = json.value(QStringLiteral("image")).toString();
        const QFileInfo imageInfo(path(entry.imageFile));
        if (!entry.time.isValid() || entry.event.action.isEmpty() || entry.imageFile.isEmpty() ||
            entry.imageFile.contains(QLatin1Char('/')))
            entry.damage = QStringLiteral("Metadaten unlesbar");
        else if (!imageInfo.isFile())
            entry.damage = QStringLiteral("Konfiguration fehlt");
        else if (imageInfo.size() < familyProfile(entry.event.type).imageLength)
            entry.damage = QStringLiteral("Konfiguration unvollständig");
        list << entry;
    }
    // Names begin with the time of writing, so a damaged entry keeps its place.
    std::reverse(list.begin(), list.end());
    return list;
}

std::optional<HistoryEntry> HistoryStore::find(const QString& id) const {
    for (const HistoryEntry& entry : entries())
        if (entry.id == id)
            return entry;
    return std::nullopt;
}

std::optional<QByteArray> HistoryStore::image(const HistoryEntry& entry) const {
    if (entry.damaged())
        return std::nullopt;
    QFile file(path(entry.imageFile));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qsizetype length = familyProfile(entry.event.type).imageLength;
    const QByteArray bytes = file.read(length);
    if (bytes.size() < length)
        return std::nullopt;
    return bytes;
}

bool HistoryStore::imageStillUsed(const QString& imageFile,
                                  const QList<HistoryEntry>& entries) const {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const HistoryEntry& e) { return e.imageFile == imageFile; });
}

bool HistoryStore::remove(const QString& id) {
    QList<HistoryEntry> all = entries();
    return removeFrom(all, id);
}

bool HistoryStore::removeFrom(QList<HistoryEntry>& all, const QString& id) {
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const HistoryEntry& e) { return e.id == id; });
    if (it == all.end())
        return false;
    const HistoryEntry entry = *it;
    all.erase(it);
    const QString meta = path(id + MetaSuffix);
    if (QFileInfo::exists(meta) && !QFile::remove(meta))
        return false;
    // A damaged entry's own image goes too, whatever its metadata said.
    const QString ownImage = id + ImageSuffix;
    if (!imageStillUsed(ownImage, all))
        QFile::remove(path(ownImage));
    if (!entry.imageFile.isEmpty() && !entry.imageFile.contains(QLatin1Char('/')) &&
        !imageStillUsed(entry.imageFile, all))
        QFile::remove(path(entry.imageFile));
    return true;
}

void HistoryStore::prune(const QString& deviceText) {
    QList<HistoryEntry> all = entries();
    pruneFrom(all, deviceText);
}

void HistoryStore::pruneFrom(QList<HistoryEntry>& all, const QString& deviceText) {
    QList<HistoryEntry> mine;
    for (const HistoryEntry& entry : all)
        if (!entry.damaged() && entry.event.deviceText == deviceText)
            mine << entry;
    if (mine.size() <= KeptPerDevice)
        return;
    const auto newestBackup = std::find_if(mine.begin(), mine.end(), [](const HistoryEntry& e) {
        return e.event.action == ActionBackup;
    });
    const QString keep = newestBackup == mine.end() ? QString() : newestBackup->id;
    for (qsizetype i = KeptPerDevice; i < mine.size(); ++i)
        if (mine[i].id != keep)
            removeFrom(all, mine[i].id);
}

} // namespace talvaro
