// talvaro-cli: the configurator's file, device and firmware commands for scripts.
#include "Commands.h"
#include "startup/ProgramStart.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTranslator>

#include <array>
#include <memory>

using namespace talvaro::cli;

namespace {

struct Command {
    const char* name;
    const char* synopsis;
    int (*run)(const QStringList& args, Io& io);
    bool paints; // needs fonts and a paint device: a GUI application without a screen
};

constexpr std::array<Command, 15> Commands{{
    {"show", "show FILE --type N [--json]", runShow, false},
    {"new", "new --type N -o FILE", runNew, false},
    {"diff", "diff A B --type N", runDiff, false},
    {"read", "read --type N [--port P] -o FILE", runRead, false},
    {"program", "program FILE --type N [--port P] [--yes] [--backup OLD] [--verify] [--no-backup]",
     runProgram, false},
    {"reset", "reset --type N [--port P] --yes [--no-backup]", runReset, false},
    {"firmware", "firmware check FILE.efw", runFirmware, false},
    {"firmware", "firmware install FILE.efw --type N [--port P]", runFirmware, false},
    {"report", "report FILE --type N --pdf OUT.pdf", runReport, true},
    {"ports", "ports [--json | --watch]", runPorts, false},
    {"support-report", "support-report -o FILE [--type N]", runSupportReport, false},
    {"history", "history [--type N] [--json]", runHistory, false},
    {"history", "history export ID -o FILE", runHistory, false},
    {"history", "history diff ID [FILE|ID] [--type N]", runHistory, false},
    {"history", "history note ID TEXT", runHistory, false},
}};

void printUsage(QTextStream& stream) {
    stream << "Aufruf: talvaro-cli BEFEHL [ARGUMENTE]\n\n"
              "Konfigurationen von Telefonanlagen bearbeiten, auslesen und programmieren.\n"
              "Ein Port ist COM<n> (siehe \"ports\", TALVARO_PORTS) oder ein Gerätepfad.\n"
              "Status: 0 Erfolg, 1 Fehler, 2 falscher Aufruf.\n\nBefehle:\n";
    for (const Command& command : Commands)
        stream << "  " << command.synopsis << '\n';
    stream << "\nHilfe zu einem Befehl: talvaro-cli BEFEHL --help\n"
              "Version: talvaro-cli --version\n";
}

} // namespace

int main(int argc, char* argv[]) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    Io io{out, err};
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const Command* command = nullptr;
    for (const Command& c : Commands)
        if (name == QLatin1String(c.name))
            command = &c;

    std::unique_ptr<QCoreApplication> app;
    if (command && command->paints) {
        // Printing needs fonts, never a screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("talvaro-cli"));
    QTranslator qtTexts;
    talvaro::installQtTranslations(qtTexts);

    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        printUsage(out);
        return ExitSuccess;
    }
    if (name == QLatin1String("--version")) {
        out << "talvaro-cli " << talvaro::programVersion() << Qt::endl;
        return ExitSuccess;
    }
    if (!command) {
        err << (name.isEmpty() ? QStringLiteral("talvaro-cli: Befehl fehlt")
                               : QStringLiteral("talvaro-cli: unbekannter Befehl \"%1\"").arg(name))
            << "\n\n";
        printUsage(err);
        return ExitUsage;
    }
    return command->run(QCoreApplication::arguments().mid(2), io);
}
