#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <optional>

namespace talvaro {
namespace {

const QString Organisation = QStringLiteral("Brovenik");
const QString Application = QStringLiteral("Talvaro");
constexpr quint16 HighestPort = 20;

struct StoreError {
    QString message;
};

QString statusText(const QSettings& s) {
    switch (s.status()) {
    case QSettings::AccessError:
        return QStringLiteral("Zugriff auf die Einstellungen verweigert: %1").arg(s.fileName());
    case QSettings::FormatError:
        return QStringLiteral("Die Einstellungen sind beschädigt: %1").arg(s.fileName());
    case QSettings::NoError:
        break;
    }
    return {};
}

void throwOnError(const QSettings& s) {
    if (s.status() != QSettings::NoError)
        throw StoreError{statusText(s)};
}

// Value names compare without regard to case, as they do in the Windows registry.
std::optional<QString> findName(const QSettings& s, const QString& name) {
    const QStringList keys = s.allKeys();
    for (const QString& key : keys)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return key;
    return std::nullopt;
}

QString nameOrCanonical(const QSettings& s, const QString& name) {
    return findName(s, name).value_or(name);
}

qlonglong readInteger(const QSettings& s, const QString& key) {
    bool ok = false;
    const qlonglong value = s.value(key).toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw StoreError{QStringLiteral("Ungültiger Datentyp für '%1'").arg(key)};
    return value;
}

} // namespace

SettingsStore::SettingsStore(ErrorReporter reportError) : m_reportError(std::move(reportError)) {}

QString SettingsStore::defaultWorkDir() {
    return QDir::currentPath() + QLatin1Char('/');
}

bool SettingsStore::keyExists() const {
    const QSettings user(QSettings::UserScope, Organisation, Application);
    const QSettings system(QSettings::SystemScope, Organisation, Application);
    return QFile::exists(user.fileName()) || QFile::exists(system.fileName());
}

StoredSettings SettingsStore::load() const {
    StoredSettings result;
    result.workDir = defaultWorkDir();
    if (!keyExists())
        return result;
    try {
        QSettings s(QSettings::UserScope, Organisation, Application);
        throwOnError(s);
        if (const auto key = findName(s, QStringLiteral("WorkDir"))) {
            const QString dir = s.value(*key).toString();
            if (!dir.isEmpty())
                result.workDir = dir;
        }
        if (const auto key = findName(s, QStringLiteral("COM"))) {
            const qlonglong port = readInteger(s, *key);
            // Also negative or oversized numbers: they name no port either.
            if (port < 0 || port > HighestPort) {
                s.setValue(*key, 0);
                s.sync();
                throwOnError(s);
            } else {
                result.port = static_cast<quint16>(port);
            }
        }
        if (const auto key = findName(s, QStringLiteral("COMLogging")))
            result.comLogging = readInteger(s, *key) != 0;
    } catch (const StoreError& e) {
        m_reportError(e.message);
        result.workDir = defaultWorkDir();
        result.port = 0;
    }
    return result;
}

bool SettingsStore::save(const QString& workDir, quint16 port) const {
    if (!keyExists())
        return true;
    QSettings s(QSettings::UserScope, Organisation, Application);
    s.setValue(nameOrCanonical(s, QStringLiteral("WorkDir")), workDir);
    s.setValue(nameOrCanonical(s, QStringLiteral("COM")), port);
    s.sync();
    if (s.status() != QSettings::NoError) {
        m_reportError(statusText(s));
        return false;
    }
    return true;
}

} // namespace talvaro
