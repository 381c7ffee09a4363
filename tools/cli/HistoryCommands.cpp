// The configuration history: list, export, diff.
#include "Commands.h"
#include "history/HistoryStore.h"
#include "model/ConfigFile.h"
#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace talvaro::cli {

namespace {

QJsonObject entryJson(const HistoryEntry& entry) {
    QJsonObject json{
        {QStringLiteral("id"), entry.id},
        {QStringLiteral("time"), entry.time.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("action"), entry.event.action},
        {QStringLiteral("type"), static_cast<int>(entry.event.type)},
        {QStringLiteral("device"), entry.event.deviceText},
        {QStringLiteral("firmware"), entry.event.firmware},
        {QStringLiteral("port"), entry.event.port},
    };
    if (entry.damaged())
        json.insert(QStringLiteral("damaged"), entry.damage);
    return json;
}

int runList(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("history"),
                    QStringLiteral("Zeigt den Konfigurationsverlauf, das Neueste zuerst."), {});
    cmd.addOptionalTypeOption(QStringLiteral("Nur Einträge dieses Gerätetyps."));
    cmd.addOption({QStringLiteral("json"), QStringLiteral("Als JSON.")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    const std::optional<DeviceType> type = cmd.givenType();
    QJsonArray json;
    for (const HistoryEntry& entry : HistoryStore(HistoryStore::defaultRoot()).entries()) {
        if (type && (entry.damaged() || entry.event.type != *type))
            continue;
        if (cmd.isSet(QStringLiteral("json"))) {
            json.append(entryJson(entry));
            continue;
        }
        io.out << entry.id << '\t';
        if (entry.damaged()) {
            io.out << "beschädigt: " << entry.damage << '\n';
            continue;
        }
        io.out << entry.time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) << '\t'
               << entry.event.action << '\t' << entry.event.type << '\t' << entry.event.deviceText
               << '\t' << entry.event.port << '\n';
    }
    if (cmd.isSet(QStringLiteral("json")))
        io.out << QJsonDocument(json).toJson(QJsonDocument::Indented);
    return ExitSuccess;
}

// The entry's image, or nothing with the reason said.
std::optional<QByteArray> entryImage(const HistoryStore& store, const QString& id,
                                     Dialogs& dialogs) {
    const std::optional<HistoryEntry> entry = store.find(id);
    if (!entry) {
        dialogs.showMessageBox(MessageIcon::Critical,
                               QStringLiteral("%1: kein solcher Eintrag im Verlauf").arg(id));
        return std::nullopt;
    }
    std::optional<QByteArray> image = store.image(*entry);
    if (!image)
        dialogs.showMessageBox(
            MessageIcon::Critical,
            QStringLiteral("%1: der Eintrag ist beschädigt (%2)").arg(id, entry->damage));
    return image;
}

int runExport(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("history export"),
                    QStringLiteral("Schreibt die Konfiguration eines Eintrags in eine .tkx-Datei."),
                    {QStringLiteral("ID")});
    cmd.addOutputOption();
    if (const auto status = cmd.parse(args, io))
        return *status;
    TerminalDialogs dialogs(io.err);
    const std::optional<QByteArray> image =
        entryImage(HistoryStore(HistoryStore::defaultRoot()), cmd.positional(0), dialogs);
    if (!image)
        return ExitFailure;
    return writeConfigurationFile(
               cmd.value(QStringLiteral("o")), [&image] { return *image; }, SaveAsFailedLine,
               dialogs)
               ? ExitSuccess
               : ExitFailure;
}

// An editor holding one side of the comparison.
struct Side {
    Side(Io& io, DeviceType type) : dialogs(io.err), host(dialogs) { host.setDeviceType(type); }
    bool load(const std::optional<QByteArray>& image) {
        if (!image)
            return false;
        if (image->size() != host.workingImage().size()) {
            dialogs.showMessageBox(MessageIcon::Critical,
                                   QStringLiteral("Der Eintrag gehört zu einem anderen "
                                                  "Gerätetyp."));
            return false;
        }
        host.workingImage() = *image;
        host.decodeImage();
        return true;
    }
    TerminalDialogs dialogs;
    EditorSession host;
};

// The entry before `id` of the same device, for a diff with one argument.
QString previousEntry(const HistoryStore& store, const QString& id) {
    const QList<HistoryEntry> entries = store.entries();
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const HistoryEntry& e) { return e.id == id; });
    if (it == entries.end())
        return id;
    for (auto older = it + 1; older != entries.end(); ++older)
        if (!older->damaged() && older->event.deviceText == it->event.deviceText &&
            older->event.type == it->event.type)
            return older->id;
    return {};
}

int runHistoryDiff(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("history diff"),
                    QStringLiteral("Vergleicht einen Eintrag mit einer Datei, einem anderen "
                                   "Eintrag oder dem Eintrag davor. Status 0: gleich, "
                                   "1: verschieden, 2: Fehler."),
                    {QStringLiteral("ID"), QStringLiteral("[FILE|ID]")});
    cmd.addTypeOption();
    if (const auto status = cmd.parse(args, io))
        return *status;
    const HistoryStore store(HistoryStore::defaultRoot());
    const QString id = cmd.positional(0);
    Side old(io, cmd.deviceType());
    Side now(io, cmd.deviceType());
    if (!old.load(entryImage(store, id, old.dialogs)))
        return ExitUsage;
    QString other = cmd.positional(1);
    // With one entry: what changed from the entry before it to this one.
    const bool againstPrevious = other.isEmpty();
    if (againstPrevious) {
        other = previousEntry(store, id);
        if (other.isEmpty()) {
            io.err << "Der Verlauf hat keinen früheren Eintrag dieser Anlage." << Qt::endl;
            return ExitUsage;
        }
    }
    // A path that exists is a file, anything else an entry.
    const bool loaded = QFileInfo::exists(other) && !store.find(other)
                            ? now.host.openConfigurationFile(other)
                            : now.load(entryImage(store, other, now.dialogs));
    if (!loaded)
        return ExitUsage;
    QStringList before = markedReportLines(old.host.model(), cmd.deviceType());
    QStringList after = markedReportLines(now.host.model(), cmd.deviceType());
    if (againstPrevious)
        std::swap(before, after);
    return printDifferences(io, compareReports(before, after));
}

} // namespace

int runHistory(const QStringList& args, Io& io) {
    const QString sub = args.value(0);
    if (sub == QLatin1String("export"))
        return runExport(args.mid(1), io);
    if (sub == QLatin1String("diff"))
        return runHistoryDiff(args.mid(1), io);
    return runList(args, io);
}

} // namespace talvaro::cli
