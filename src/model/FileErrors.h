#pragma once

#include <QIODevice>
#include <QString>

namespace talvaro {

// Why `path` could not be opened in `mode`, in the program's words and with the file's
// name; the system's own texts are English and name no file.
QString openErrorText(const QString& path, QIODevice::OpenMode mode);

} // namespace talvaro
