#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

class QCoreApplication;

namespace talvaro {

// The version of this build, as the project names it.
QString programVersion();

// Loads Qt's own German texts (file and print dialogs, the command-line parser's
// messages), so that they match the program's German whatever the desktop's language.
// False when the Qt translations are not installed; the texts then stay English.
bool installQtTranslations(QCoreApplication& app);

// Parses a program's command line with -h/--help and --version added. Answers --help
// and --version on stdout (status 0) and a wrong option on stderr (status 2); nothing
// when the program goes on.
std::optional<int> parseProgramArguments(QCommandLineParser& parser, const QStringList& arguments);

} // namespace talvaro
