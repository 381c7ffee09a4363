#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTest>

// Firmware files for tests, made by talvaro-efwgen (OpenSSL encrypts them, so they
// also check the program's own cipher).
inline QByteArray makeEfw(const QString& path, const QStringList& args) {
    QProcess gen;
    gen.start(QStringLiteral(EFWGEN), args + QStringList{QStringLiteral("-o"), path});
    if (!gen.waitForFinished(30000) || gen.exitCode() != 0) {
        qWarning() << "talvaro-efwgen failed:" << gen.readAllStandardError();
        return {};
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}
