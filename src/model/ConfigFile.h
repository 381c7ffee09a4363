#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// Configuration files (".tkx"): nothing but the working image of the current family,
// byte for byte. The window and the command line read and write them through these.
namespace talvaro {

class Dialogs;

inline const QString FileErrorCaption = QStringLiteral("Fehler bei Dateizugriff");
// The error line of a failed "save" and of a failed "save as".
inline const QString SaveFailedLine = QStringLiteral("Die Datei konnte nicht geöffnet werden.");
inline const QString SaveAsFailedLine =
    QStringLiteral("Die Datei konnte nicht geöffnet oder angelegt werden.");

// The first `length` bytes of the file. A file that cannot be opened, fails while being
// read or is shorter is refused with the program's message, and nothing is returned.
std::optional<QByteArray> readConfigurationFile(const QString& path, qsizetype length,
                                                Dialogs& dialogs);

// Creates the file, then writes what `image` delivers: the image is made only once the
// file could be created. A failure leaves an earlier file as it was and shows its message
// (`failureLine` when writing fails).
bool writeConfigurationFile(const QString& path, const std::function<QByteArray()>& image,
                            const QString& failureLine, Dialogs& dialogs);

} // namespace talvaro
