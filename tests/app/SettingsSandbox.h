#pragma once

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

// Points the user's and the system's settings files into a fresh folder, so that
// every test starts from a store it controls.
class SettingsSandbox {
public:
    SettingsSandbox() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path() + "/user");
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                           m_dir.path() + "/system");
    }

    QString userFile() const { return m_dir.path() + "/user/Brovenik/Talvaro.conf"; }
    QString systemFile() const { return m_dir.path() + "/system/Brovenik/Talvaro.conf"; }

    static void write(const QString& path, const QString& text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        QTextStream(&file) << text;
    }
    static QString read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private:
    QTemporaryDir m_dir;
};
