#pragma once

#include "CommandLine.h"

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
int runSupportReport(const QStringList& args, Io& io);
int runFirmware(const QStringList& args, Io& io);

} // namespace talvaro::cli
