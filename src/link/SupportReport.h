#pragma once

#include "PortDiagnosis.h"
#include "TraceLog.h"

#include <QString>
#include <QStringList>

// The plain-text report a user sends to support when the device is not found: the
// program and system, the ports with their diagnosis, the settings, the last device and
// the end of the serial trace, and when the history was last written. Nothing else of the
// user's files goes in, no byte of a configuration, and the home folder shows as "~".
namespace talvaro {

// What the face that writes the report knows and the machine does not tell.
struct SupportFacts {
    QString program;    // "talvaro" or "talvaro-cli"
    QString deviceText; // name and firmware of the last device found; empty when none
    quint16 devicePort = 0;
    bool traceOn = false; // tracing is switched on now
    QString traceFile = TraceLog::defaultFilePath();
    // Times of the newest history entries, newest first; empty when there is no history.
    QStringList historyTimes;
};

constexpr qint64 SupportTraceBytes = 64 * 1024;

QString supportReport(const SupportFacts& facts, const Diagnosis& ports);

// The report with the ports behind `comPaths` (COM1, COM2, ...) as the search sees them
// now, written to `path`, readable by its owner only. False with the reason in `error`
// when the file could not be written.
bool saveSupportReport(const QString& path, const SupportFacts& facts, const QStringList& comPaths,
                       QString& error);

} // namespace talvaro
