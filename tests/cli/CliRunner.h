#pragma once

#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTextStream>

// Runs the built talvaro-cli and collects what it said.
struct CliResult {
    int status = -1;
    QString out;
    QString err;
};

inline CliResult runCli(const QStringList& args, const QString& ports = QString(),
                        int timeoutMs = 30000) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TALVARO_PORTS"), ports);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TALVARO_CLI_PATH), args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The program's own model, for what the tool should have produced.
struct ReferenceEditor {
    explicit ReferenceEditor(talvaro::DeviceType type)
        : host(dialogs, {.historyRoot = std::nullopt}) {
        host.setDeviceType(type);
    }
    QByteArray encoded() {
        host.encodeImage();
        return host.workingImage();
    }
    QString errText;
    QTextStream err{&errText};
    talvaro::TerminalDialogs dialogs{err};
    talvaro::EditorSession host;
};
