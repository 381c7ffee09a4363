#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace talvaro {

// The three values the program keeps per user (organisation "Brovenik", application
// "Talvaro"). The key is never created here: the install puts a system-wide default in
// place, and only where the key exists are the user's values read and written.
struct StoredSettings {
    QString workDir;
    quint16 port = 0;
    bool comLogging = false;
};

class SettingsStore {
public:
    using ErrorReporter = std::function<void(const QString& message)>;

    explicit SettingsStore(ErrorReporter reportError);

    // Whether the key exists for this user, in the user's own file or the system default.
    bool keyExists() const;

    // Reads the settings; anything missing or bad falls back to the defaults
    // (workDir = current directory + "/", no port, no trace).
    StoredSettings load() const;

    // Writes "WorkDir" and "COM" where the key exists; false after a store error.
    bool save(const QString& workDir, quint16 port) const;

    static QString defaultWorkDir();

private:
    ErrorReporter m_reportError;
};

} // namespace talvaro
