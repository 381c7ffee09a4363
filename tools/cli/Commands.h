#pragma once

#include "CommandLine.h"
#include "link/PortMap.h"
#include "report/ReportDiff.h"

// The commands of talvaro-cli; each takes the arguments after its command words.
namespace talvaro::cli {

int runShow(const QStringList& args, Io& io);
int runNew(const QStringList& args, Io& io);
int runDiff(const QStringList& args, Io& io);
int runReport(const QStringList& args, Io& io);
int runRead(const QStringList& args, Io& io);
int runProgram(const QStringList& args, Io& io);
int runReset(const QStringList& args, Io& io);
int runPorts(const QStringList& args, Io& io);
// `ports --watch`: prints every port that comes or goes until SIGINT or SIGTERM.
int watchPorts(Io& io);
int runSupportReport(const QStringList& args, Io& io);
int runFirmware(const QStringList& args, Io& io);
int runHistory(const QStringList& args, Io& io);

// What a device command searches: TALVARO_PORTS or the system's ports, and with --port
// only the port it names, under its own number.
struct SearchedPorts {
    PortAssignment ports;
    QString named;      // --port as given; empty without it
    quint16 number = 0; // the COM number --port stands for; 0 when it names no port
    bool namesNoPort() const { return !named.isEmpty() && number == 0; }
};
SearchedPorts searchedPorts(const CommandLine& cmd);

// The differences as "diff" prints them: "- " old line, "+ " new line. Status 0 when
// there are none, 1 otherwise.
int printDifferences(Io& io, const QList<ReportDifference>& differences);

} // namespace talvaro::cli
