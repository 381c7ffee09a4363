// The configuration history in the window: recording what the device link reports, the
// dialog "Konfigurationsverlauf" and the comparison window.
#include "AppForm.h"

#include "HistoryTable.h"
#include "history/HistoryRecorder.h"
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

void TAppForm::deviceIdentified() {
    m_recorder->deviceFound();
}

bool TAppForm::needsBackupBeforeWriting() {
    return !m_recorder->deviceHeld();
}

bool TAppForm::imageTransferred(const TransferredImage& transferred) {
    return m_recorder->record(transferred);
}

void TAppForm::VerlaufExecute() {
    for (;;) {
        QString error;
        const QList<HistoryEntry> entries = m_history->entries(&error);
        if (!error.isEmpty())
            return m_dialogs.showMessageBox(MessageIcon::Warning, error);
        QList<HistoryRow> rows;
        rows.reserve(entries.size());
        for (const HistoryEntry& entry : entries)
            rows << historyRowOf(entry);
        const HistoryChoice choice = m_dialogs.execHistory(rows, m_document.deviceType());
        const std::optional<qint64> id = historyId(choice.id);
        const std::optional<HistoryEntry> entry = id ? m_history->find(*id) : std::nullopt;
        if (choice.command == HistoryCommand::Close || !entry)
            return;
        if (choice.command == HistoryCommand::Delete) {
            deleteEntry(*m_history, *entry, m_dialogs);
            continue;
        }
        if (choice.command == HistoryCommand::Note) {
            annotateEntry(*m_history, *entry, m_dialogs);
            continue;
        }
        // Each entry is read under its own type; one that does not fit it is never used.
        const std::optional<QByteArray> image = m_history->image(*entry);
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
            const QString path =
                m_dialogs.getSaveFileName({m_document.folder(),
                                           QStringLiteral("Verlauf-%1").arg(entry->id) +
                                               QLatin1Char('.') + m_document.configExt,
                                           m_document.configFilter, m_document.configExt});
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
    const std::optional<HistoryEntry> entry = number ? m_history->find(*number) : std::nullopt;
    const std::optional<QByteArray> image = entry ? m_history->image(*entry) : std::nullopt;
    if (!image)
        return;
    if (entry->event.type != m_document.deviceType())
        setDeviceType(entry->event.type);
    m_images.working(m_document.deviceType()) = *image;
    m_model.decodeImage(m_images);
    // Not the file it came from: the restored configuration is to be programmed or saved.
    updateTitle();
    markModified();
}

void TAppForm::VergleichenMitExecute() {
    const QString path = m_dialogs.getOpenFileName({m_document.folder(), m_document.configMask,
                                                    m_document.configFilter, m_document.configExt});
    if (path.isEmpty())
        return;
    const DeviceType type = m_document.deviceType();
    const std::optional<QByteArray> bytes =
        readConfigurationFile(path, m_images.working(type).size(), m_dialogs);
    if (bytes)
        compareWith(type, *bytes, path);
}

void TAppForm::compareWith(DeviceType type, const QByteArray& image, const QString& caption) {
    // The other configuration is "Alt" and both are read under its type; the editor is
    // "Neu", taken as it would be written now.
    const DeviceType editorType = m_document.deviceType();
    ImageBuffers editor = m_images;
    m_model.encodeImage(editor);
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
