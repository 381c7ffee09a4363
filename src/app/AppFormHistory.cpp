// The configuration history in the window: recording what the device link reports, the
// dialog "Konfigurationsverlauf" and the comparison window.
#include "AppForm.h"

#include "HistoryTable.h"
#include "history/HistoryStore.h"
#include "model/ConfigFile.h"
#include "report/ImageComparison.h"

namespace talvaro {
namespace {

void deleteEntry(HistoryStore& history, const HistoryEntry& entry, Dialogs& dialogs) {
    const QString question =
        QStringLiteral("Soll der Eintrag \"%1 %2\" (%3) aus dem Verlauf gelöscht werden? Er "
                       "lässt sich nicht wiederherstellen.")
            .arg(entry.event.action, historyTimeText(entry), entry.event.deviceText);
    if (dialogs.askWarningDefaultNo(QStringLiteral("Eintrag löschen"), question) !=
        DialogResult::Yes)
        return;
    QString error;
    if (!history.remove(entry.id, &error))
        dialogs.showMessageBox(MessageIcon::Warning, error);
}

void annotateEntry(HistoryStore& history, const HistoryEntry& entry, Dialogs& dialogs) {
    const std::optional<QString> note = dialogs.askText(
        QStringLiteral("Notiz"), QStringLiteral("Notiz zum Eintrag, z. B. der Name des Kunden:"),
        entry.note);
    QString error;
    if (note && !history.setNote(entry.id, *note, &error))
        dialogs.showMessageBox(MessageIcon::Warning, error);
}

} // namespace

void TAppForm::VerlaufExecute() {
    for (;;) {
        QString error;
        const QList<HistoryEntry> entries = history().entries(&error);
        if (!error.isEmpty())
            return m_dialogs.showMessageBox(MessageIcon::Warning, error);
        QList<HistoryRow> rows;
        rows.reserve(entries.size());
        for (const HistoryEntry& entry : entries)
            rows << historyRowOf(entry);
        const HistoryChoice choice = m_dialogs.execHistory(rows, document().deviceType());
        const std::optional<qint64> id = historyId(choice.id);
        const std::optional<HistoryEntry> entry = id ? history().find(*id) : std::nullopt;
        if (choice.command == HistoryCommand::Close || !entry)
            return;
        if (choice.command == HistoryCommand::Delete) {
            deleteEntry(history(), *entry, m_dialogs);
            continue;
        }
        if (choice.command == HistoryCommand::Note) {
            annotateEntry(history(), *entry, m_dialogs);
            continue;
        }
        // Each entry is read under its own type; one that does not fit it is never used.
        const std::optional<QByteArray> image = history().image(*entry);
        if (!image)
            return m_dialogs.showMessageBox(
                MessageIcon::Warning,
                QStringLiteral("Der Eintrag ist beschädigt: %1").arg(entry->damage));
        switch (choice.command) {
        case HistoryCommand::Load:
            return loadFromHistory(choice.id);
        case HistoryCommand::Compare:
            return compareWith(entry->event.type, *image,
                               entry->event.action + QStringLiteral(" ") + historyTimeText(*entry));
        case HistoryCommand::SaveAs: {
            const QString path = m_dialogs.getSaveFileName(document().configSaveRequest(
                QStringLiteral("Verlauf-%1").arg(entry->id) + QLatin1Char('.') + ConfigExt));
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
    const std::optional<qint64> number = historyId(id);
    const std::optional<HistoryEntry> entry = number ? history().find(*number) : std::nullopt;
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
    // The other configuration is "Alt" and both are read under its type; the editor is
    // "Neu", taken as it would be written now.
    const DeviceType editorType = document().deviceType();
    ImageBuffers editor = images();
    model().encodeImage(editor);
    const ImageComparison comparison =
        compareImages({type, image}, {editorType, editor.working(editorType)}, m_dialogs);
    if (!comparison.refusal.isEmpty())
        return m_dialogs.showMessageBox(MessageIcon::Warning, comparison.refusal);
    QList<ComparedLine> lines;
    for (const ReportDifference& difference : comparison.differences)
        lines.append({difference.section, difference.before.value_or(QString()),
                      difference.after.value_or(QString())});
    m_dialogs.showComparison(QStringLiteral("Vergleich mit ") + caption, lines);
}

} // namespace talvaro
