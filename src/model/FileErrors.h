#pragma once

#include <QIODevice>
#include <QString>

#include <optional>

namespace talvaro {

// Why `path` could not be opened in `mode`, in the program's words and with the file's
// name; the system's own texts are English and name no file.
QString openErrorText(const QString& path, QIODevice::OpenMode mode);

// Why `path` cannot be opened in `mode` (ReadOnly or WriteOnly), found by opening it;
// nothing when it can. A file the probe created is removed again.
std::optional<QString> openProblem(const QString& path, QIODevice::OpenMode mode);

// The system's error `error` (an errno value) in the program's words, for lines that
// are German throughout; the system's own texts follow the locale or are English.
QString systemErrorText(int error);

} // namespace talvaro
