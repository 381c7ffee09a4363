#include "HistoryRecorder.h"

#include "model/Dialogs.h"

namespace talvaro {
namespace {

QString actionText(TransferKind kind) {
    switch (kind) {
    case TransferKind::Read:
        return ActionRead;
    case TransferKind::Programmed:
        return ActionProgrammed;
    case TransferKind::FactoryReset:
        return ActionFactoryReset;
    case TransferKind::Backup:
        return ActionBackup;
    }
    return {};
}

} // namespace

HistoryRecorder::HistoryRecorder(HistoryStore& store, Dialogs& dialogs)
    : m_store(store), m_dialogs(dialogs) {}

bool HistoryRecorder::record(const TransferredImage& transferred) {
    const QString& deviceText = transferred.deviceText;
    const quint16 port = transferred.port;
    HistoryEvent event;
    event.action = actionText(transferred.kind);
    event.type = transferred.type;
    const qsizetype split = deviceText.lastIndexOf(FirmwareSeparator);
    event.deviceText = split < 0 ? deviceText : deviceText.left(split);
    event.firmware = split < 0 ? QString() : deviceText.mid(split + FirmwareSeparator.size());
    event.port = port == 0 ? QString() : QStringLiteral("COM%1").arg(port);
    QString error;
    const bool written = m_store.add(event, transferred.image, &error).has_value();
    if (!written && transferred.kind != TransferKind::Backup && !m_failureSaid) {
        m_failureSaid = true;
        // Information, not an error: the command itself has succeeded.
        m_dialogs.showMessageBox(
            MessageIcon::Information,
            QStringLiteral("Der Konfigurationsverlauf konnte nicht geschrieben werden: %1")
                .arg(error));
    }
    return written;
}

} // namespace talvaro
