#include "FileErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>

namespace talvaro {
namespace {

struct ErrorText {
    int error;
    const char* text;
};

// The errors opening a file or a serial port gives in practice.
constexpr std::array<ErrorText, 13> ErrorTexts{{
    {EACCES, "Zugriff verweigert"},
    {EPERM, "Vorgang nicht erlaubt"},
    {EBUSY, "Gerät oder Ressource belegt"},
    {ENOENT, "Datei oder Verzeichnis nicht gefunden"},
    {ENODEV, "Kein passendes Gerät gefunden"},
    {ENXIO, "Gerät oder Adresse nicht gefunden"},
    {EIO, "Ein-/Ausgabefehler"},
    {EAGAIN, "Vorübergehend nicht verfügbar"},
    {EROFS, "Nur lesbares Dateisystem"},
    {ENOSPC, "Kein Platz mehr auf dem Gerät"},
    {EISDIR, "Ist ein Verzeichnis"},
    {ENOTDIR, "Ist kein Verzeichnis"},
    {EMFILE, "Zu viele offene Dateien"},
}};

} // namespace

QString systemErrorText(int error) {
    for (const ErrorText& entry : ErrorTexts)
        if (entry.error == error)
            return QString::fromUtf8(entry.text);
    return QStringLiteral("Systemfehler %1").arg(error);
}

QString openErrorText(const QString& path, QIODevice::OpenMode mode) {
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    const QString name = QDir::toNativeSeparators(path);
    if (file.isDir())
        return QStringLiteral("\"%1\" ist ein Ordner, keine Datei.").arg(name);
    if (mode.testFlag(QIODevice::WriteOnly)) {
        if (!folder.isDir())
            return QStringLiteral("Der Ordner für \"%1\" existiert nicht.").arg(name);
        // The file is written beside its old version and then put in its place.
        if (!folder.isWritable() || (file.exists() && !file.isWritable()))
            return QStringLiteral("Keine Berechtigung zum Schreiben von \"%1\".").arg(name);
        return QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden.").arg(name);
    }
    if (!file.exists())
        return QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(name);
    if (!file.isReadable())
        return QStringLiteral("Keine Berechtigung zum Lesen von \"%1\".").arg(name);
    return QStringLiteral("Die Datei \"%1\" konnte nicht geöffnet werden.").arg(name);
}

std::optional<QString> openProblem(const QString& path, QIODevice::OpenMode mode) {
    QFile file(path);
    const bool existed = file.exists();
    const bool writing = mode.testFlag(QIODevice::WriteOnly);
    // Appending leaves an existing file as it is.
    if (QFileInfo(path).isDir() ||
        !file.open(writing ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::ReadOnly))
        return openErrorText(path, mode);
    file.close();
    if (writing && !existed)
        file.remove();
    return std::nullopt;
}

} // namespace talvaro
