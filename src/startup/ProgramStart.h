#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

class QTranslator;

namespace talvaro {

// The version of this build, as the project names it.
QString programVersion();

// Loads Qt's own German texts (file and print dialogs, the command-line parser's
// messages) into the running application, so that they match the program's German
// whatever the desktop's language. The catalogue is read on the first call only; a
// program that replaces its application installs the same translator again. False when
// the Qt translations are not installed; the texts then stay English.
bool installQtTranslations(QTranslator& qtTexts);

// Parses a program's command line with -h/--help and --version added. Answers --help
// and --version on stdout (status 0) and a wrong option on stderr (status 2); nothing
// when the program goes on.
std::optional<int> parseProgramArguments(QCommandLineParser& parser, const QStringList& arguments);

} // namespace talvaro
