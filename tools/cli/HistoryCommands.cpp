// The configuration history: list, export, diff, note.
#include "Commands.h"
#include "history/HistoryStore.h"
#include "model/ConfigFile.h"
#include "report/ImageComparison.h"
#include "session/TerminalDialogs.h"

#include <QFileInfo>

namespace talvaro::cli {

namespace {

// Written by hand: a JSON document per entry would cost more than reading the entry.
void appendJsonString(QString& out, const QString& text) {
    out += u'"';
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    out += u'"';
}

void appendJsonMember(QString& out, QStringView key, const QString& value) {
    out += u',';
    out += u'"';
    out += key;
    out += QStringLiteral("\":");
    appendJsonString(out, value);
}

// The entry as one line of JSON.
QString entryJson(const HistoryEntry& entry) {
    QString line = QStringLiteral("{\"id\":%1,\"type\":%2").arg(entry.id).arg(entry.event.type);
    appendJsonMember(line, u"time", entry.time.toUTC().toString(Qt::ISODate));
    appendJsonMember(line, u"action", entry.event.action);
    appendJsonMember(line, u"device", entry.event.deviceText);
    appendJsonMember(line, u"firmware", entry.event.firmware);
    appendJsonMember(line, u"port", entry.event.port);
    appendJsonMember(line, u"note", entry.note);
    if (entry.damaged())
        appendJsonMember(line, u"damaged", entry.damage);
    return line + u'}';
}

// The history a command works on; what it has to say goes to stderr.
struct History {
    explicit History(Io& io) : dialogs(io.err), store(HistoryStore::defaultLocation(), &dialogs) {}

    // The entry named `id`, or nothing with the reason said.
    std::optional<HistoryEntry> entry(const QString& id) {
        const std::optional<qint64> number = historyId(id);
        std::optional<HistoryEntry> found = number ? store.find(*number) : std::nullopt;
        if (!found)
            dialogs.showMessageBox(MessageIcon::Critical,
                                   QStringLiteral("%1: kein solcher Eintrag im Verlauf").arg(id));
        return found;
    }
    // The entry's image under its own type, or nothing with the reason said.
    std::optional<TypedImage> image(const HistoryEntry& entry) {
        const std::optional<QByteArray> bytes = store.image(entry);
        if (!bytes) {
            dialogs.showMessageBox(MessageIcon::Critical,
                                   QStringLiteral("%1: der Eintrag ist beschädigt (%2)")
                                       .arg(QString::number(entry.id), entry.damage));
            return std::nullopt;
        }
        return TypedImage{entry.event.type, *bytes};
    }
    std::optional<TypedImage> image(const QString& id) {
        const std::optional<HistoryEntry> found = entry(id);
        return found ? image(*found) : std::nullopt;
    }

    TerminalDialogs dialogs;
    HistoryStore store;
};

int runList(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("history"),
                    QStringLiteral("Zeigt den Konfigurationsverlauf, das Neueste zuerst."), {});
    cmd.addOptionalTypeOption(QStringLiteral("Nur Einträge dieses Gerätetyps."));
    cmd.addOption({QStringLiteral("json"), QStringLiteral("Als JSON.")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    const std::optional<DeviceType> type = cmd.givenType();
    History history(io);
    QString error;
    const QList<HistoryEntry> entries = history.store.entries(&error);
    if (!error.isEmpty()) {
        io.err << error << Qt::endl;
        return ExitFailure;
    }
    const bool json = cmd.isSet(QStringLiteral("json"));
    // One entry a line, written as it comes: a document of 10,000 entries built first
    // would cost more than reading them.
    const char* separator = "[\n";
    for (const HistoryEntry& entry : entries) {
        if (type && entry.event.type != *type)
            continue;
        if (json) {
            io.out << separator << "    " << entryJson(entry);
            separator = ",\n";
            continue;
        }
        io.out << entry.id << '\t'
               << entry.time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) << '\t'
               << (entry.damaged() ? QStringLiteral("beschädigt: ") + entry.damage
                                   : entry.event.action)
               << '\t' << entry.event.type << '\t' << entry.event.deviceText << '\t'
               << entry.event.port << '\t' << entry.note << '\n';
    }
    if (json)
        io.out << (*separator == '[' ? "[\n]\n" : "\n]\n");
    return ExitSuccess;
}

int runExport(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("history export"),
                    QStringLiteral("Schreibt die Konfiguration eines Eintrags in eine .tkx-Datei."),
                    {QStringLiteral("ID")});
    cmd.addOutputOption();
    if (const auto status = cmd.parse(args, io))
        return *status;
    History history(io);
    const std::optional<TypedImage> image = history.image(cmd.positional(0));
    if (!image)
        return ExitFailure;
    return writeConfigurationFile(
               cmd.value(QStringLiteral("o")), [&image] { return image->image; }, SaveAsFailedLine,
               history.dialogs)
               ? ExitSuccess
               : ExitFailure;
}

// The entry before `entry` of the same device and family, for a diff with one argument.
std::optional<HistoryEntry> previousEntry(const HistoryStore& store, const HistoryEntry& entry) {
    for (const HistoryEntry& older : store.entries())
        if (older.id < entry.id && !older.damaged() &&
            older.event.deviceText == entry.event.deviceText &&
            deviceFamily(older.event.type) == deviceFamily(entry.event.type))
            return older;
    return std::nullopt;
}

int runHistoryDiff(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("history diff"),
                    QStringLiteral("Vergleicht einen Eintrag mit einer Datei, einem anderen "
                                   "Eintrag oder dem Eintrag davor, jeden Eintrag unter seinem "
                                   "eigenen Gerätetyp. Status 0: gleich, 1: verschieden, "
                                   "2: Fehler."),
                    {QStringLiteral("ID"), QStringLiteral("[FILE|ID]")});
    cmd.addOptionalTypeOption(
        QStringLiteral("Gerätetyp der Datei (nur mit FILE; ein Eintrag hat seinen eigenen)."));
    if (const auto status = cmd.parse(args, io))
        return *status;
    History history(io);
    const std::optional<HistoryEntry> named = history.entry(cmd.positional(0));
    std::optional<TypedImage> first = named ? history.image(*named) : std::nullopt;
    if (!first)
        return ExitUsage;
    const QString other = cmd.positional(1);
    std::optional<TypedImage> second;
    // With one entry: what changed from the entry before it to this one.
    const bool againstPrevious = other.isEmpty();
    const std::optional<qint64> otherId = historyId(other);
    if (againstPrevious) {
        const std::optional<HistoryEntry> previous = previousEntry(history.store, *named);
        if (!previous) {
            io.err << "Der Verlauf hat keinen früheren Eintrag dieser Anlage." << Qt::endl;
            return ExitUsage;
        }
        second = history.image(*previous);
    } else if ((otherId && history.store.find(*otherId)) || !QFileInfo::exists(other)) {
        second = history.image(other);
    } else {
        // A file has no type of its own.
        const std::optional<DeviceType> type = cmd.givenType();
        if (!type)
            return usageError(io, QStringLiteral("history diff"),
                              QStringLiteral("für die Datei %1 fehlt --type N").arg(other));
        const std::optional<QByteArray> bytes =
            readConfigurationFile(other, familyProfile(*type).imageLength, history.dialogs);
        if (bytes)
            second = TypedImage{*type, *bytes};
    }
    if (!second)
        return ExitUsage;
    // The entry named gives the type both are read under; the one before it is "old".
    const ImageComparison comparison =
        againstPrevious ? compareImages({first->type, second->image}, *first, history.dialogs)
                        : compareImages(*first, *second, history.dialogs);
    if (!comparison.refusal.isEmpty()) {
        io.err << comparison.refusal << Qt::endl;
        return ExitUsage;
    }
    return printDifferences(io, comparison.differences);
}

int runNote(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("history note"),
                    QStringLiteral("Gibt einem Eintrag eine Notiz, z. B. den Namen des Kunden; "
                                   "ein leerer TEXT entfernt sie."),
                    {QStringLiteral("ID"), QStringLiteral("TEXT")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    History history(io);
    const std::optional<HistoryEntry> entry = history.entry(cmd.positional(0));
    if (!entry)
        return ExitFailure;
    QString error;
    if (!history.store.setNote(entry->id, cmd.positional(1), &error)) {
        io.err << error << Qt::endl;
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace

int runHistory(const QStringList& args, Io& io) {
    const QString sub = args.value(0);
    if (sub == QLatin1String("export"))
        return runExport(args.mid(1), io);
    if (sub == QLatin1String("diff"))
        return runHistoryDiff(args.mid(1), io);
    if (sub == QLatin1String("note"))
        return runNote(args.mid(1), io);
    return runList(args, io);
}

} // namespace talvaro::cli
