#include "ConfigFile.h"

#include "Dialogs.h"
#include "FileErrors.h"

#include <QFile>
#include <QSaveFile>

namespace talvaro {
namespace {

const QString Failed = QStringLiteral("Fehler!");

void fileError(Dialogs& dialogs, const QString& line) {
    dialogs.showMessage(MessageDialog::Error, FileErrorCaption, {Failed, line});
}

} // namespace

std::optional<QByteArray> readConfigurationFile(const QString& path, qsizetype length,
                                                Dialogs& dialogs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs.showMessageBox(MessageIcon::Critical, openErrorText(path, QIODevice::ReadOnly));
        return std::nullopt;
    }
    const QByteArray bytes = file.read(length);
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed) {
        fileError(dialogs, QStringLiteral("Die Datei konnte nicht geöffnet werden."));
        return std::nullopt;
    }
    if (bytes.size() < length) {
        fileError(dialogs, QStringLiteral("Die Datei ist keine Konfigurationsdatei!"));
        return std::nullopt;
    }
    return bytes;
}

bool writeConfigurationFile(const QString& path, const std::function<QByteArray()>& image,
                            const QString& failureLine, Dialogs& dialogs) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        dialogs.showMessageBox(MessageIcon::Critical, openErrorText(path, QIODevice::WriteOnly));
        return false;
    }
    const QByteArray bytes = image();
    // Flushed before the commit: a write error found only while committing (a full
    // disk) would otherwise still put the short file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        file.cancelWriting();
        fileError(dialogs, failureLine);
        return false;
    }
    return true;
}

} // namespace talvaro
