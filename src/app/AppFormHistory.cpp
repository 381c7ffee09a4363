// The configuration history in the window: recording what the device link reports, the
// dialog "Konfigurationsverlauf" and the comparison window.
#include "AppForm.h"

#include "history/HistoryStore.h"
#include "model/ConfigFile.h"
#include "report/ReportDiff.h"

namespace talvaro {
namespace {

HistoryRow rowOf(const HistoryEntry& entry) {
    HistoryRow row;
    row.id = entry.id;
    row.time = entry.time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    row.action = entry.event.action;
    row.type = entry.event.type;
    row.model = entry.event.deviceText;
    row.firmware = entry.event.firmware;
    row.port = entry.event.port;
    row.damage = entry.damage;
    return row;
}

} // namespace

void TAppForm::VerlaufExecute() {
    for (;;) {
        QList<HistoryRow> rows;
        for (const HistoryEntry& entry : history().entries())
            rows << rowOf(entry);
        const HistoryChoice choice = m_dialogs.execHistory(rows, document().deviceType());
        const std::optional<HistoryEntry> entry = history().find(choice.id);
        if (choice.command == HistoryCommand::Close || !entry)
            return;
        if (choice.command == HistoryCommand::Delete) {
            history().remove(entry->id);
            continue;
        }
        const std::optional<QByteArray> image = history().image(*entry);
        if (!image)
            return;
        switch (choice.command) {
        case HistoryCommand::Load:
            return loadFromHistory(entry->id);
        case HistoryCommand::Compare:
            return compareWith(entry->event.type, *image,
                               entry->event.action + QStringLiteral(" ") + rowOf(*entry).time);
        case HistoryCommand::SaveAs: {
            const QString path = m_dialogs.getSaveFileName(
                document().configSaveRequest(entry->id + QLatin1Char('.') + ConfigExt));
            if (!path.isEmpty())
                writeConfigurationFile(
                    path, [&image] { return *image; }, SaveAsFailedLine, m_dialogs);
            return;
        }
        default:
            return;
        }
    }
}

void TAppForm::loadFromHistory(const QString& id) {
    if (!askToSave())
        return;
    const std::optional<HistoryEntry> entry = history().find(id);
    const std::optional<QByteArray> image = entry ? history().image(*entry) : std::nullopt;
    if (image)
        m_session.loadImage(entry->event.type, *image);
}

void TAppForm::VergleichenMitExecute() {
    const QString path = m_dialogs.getOpenFileName(document().configOpenRequest());
    if (path.isEmpty())
        return;
    const DeviceType type = document().deviceType();
    const std::optional<QByteArray> bytes =
        readConfigurationFile(path, images().working(type).size(), m_dialogs);
    if (bytes)
        compareWith(type, *bytes, path);
}

void TAppForm::compareWith(DeviceType type, const QByteArray& image, const QString& caption) {
    // The editor is "Neu"; the other configuration is read as the editor's type would.
    const QStringList other = markedReportLines(type, image, m_dialogs);
    const QStringList editor = markedReportLines(model(), document().deviceType());
    QList<ComparedLine> lines;
    for (const ReportDifference& difference : compareReports(other, editor))
        lines.append({difference.section, difference.before.value_or(QString()),
                      difference.after.value_or(QString())});
    m_dialogs.showComparison(QStringLiteral("Vergleich mit ") + caption, lines);
}

} // namespace talvaro
