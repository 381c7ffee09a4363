#include "CommandLine.h"

#include <algorithm>

namespace talvaro::cli {

CommandLine::CommandLine(const QString& words, const QString& description,
                         const QStringList& arguments)
    : m_words(words), m_arguments(arguments) {
    m_parser.setApplicationDescription(description);
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Diese Hilfe anzeigen.")});
    for (const QString& argument : arguments)
        m_parser.addPositionalArgument(argument, QString());
}

void CommandLine::addTypeOption() {
    m_typeOption = TypeOption::Required;
    m_parser.addOption({QStringLiteral("type"),
                        QStringLiteral("Gerätetyp 0 bis 7, wie ihn das Programm bearbeitet."),
                        QStringLiteral("N")});
}

void CommandLine::addOptionalTypeOption(const QString& description) {
    m_typeOption = TypeOption::Optional;
    m_parser.addOption({QStringLiteral("type"), description, QStringLiteral("N")});
}

void CommandLine::addPortOption() {
    m_parser.addOption({QStringLiteral("port"),
                        QStringLiteral("Nur an diesem Port suchen: COM<n> oder ein Gerätepfad."),
                        QStringLiteral("P")});
}

void CommandLine::addOutputOption() {
    m_needsOutput = true;
    m_parser.addOption(
        {QStringLiteral("o"), QStringLiteral("Ausgabedatei."), QStringLiteral("FILE")});
}

std::optional<int> CommandLine::parse(const QStringList& args, Io& io) {
    if (!m_parser.parse(QStringList{m_words} + args))
        return usageError(io, m_words, m_parser.errorText());
    if (m_parser.isSet(QStringLiteral("help"))) {
        io.out << helpText();
        return ExitSuccess;
    }
    // Optional arguments are written "[NAME]" and come last.
    const qsizetype required =
        std::count_if(m_arguments.begin(), m_arguments.end(),
                      [](const QString& name) { return !name.startsWith(QLatin1Char('[')); });
    const qsizetype given = m_parser.positionalArguments().size();
    if (given < required || given > m_arguments.size())
        return usageError(io, m_words,
                          QStringLiteral("erwartet: %1").arg(m_arguments.join(QLatin1Char(' '))));
    if (m_needsOutput && m_parser.value(QStringLiteral("o")).isEmpty())
        return usageError(io, m_words, QStringLiteral("-o FILE fehlt"));
    const bool typeRequired = m_typeOption == TypeOption::Required;
    if (typeRequired || (m_typeOption == TypeOption::Optional && isSet(QStringLiteral("type")))) {
        bool ok = false;
        m_type = m_parser.value(QStringLiteral("type")).toUInt(&ok);
        if (!ok || !isDefinedDeviceType(m_type))
            return usageError(io, m_words,
                              typeRequired ? QStringLiteral("--type N mit N von 0 bis 7 fehlt")
                                           : QStringLiteral("--type N mit N von 0 bis 7"));
        m_typeGiven = true;
    }
    return std::nullopt;
}

QString CommandLine::helpText() const {
    // The parser's own help names the program; the command words belong in its place.
    QString text = m_parser.helpText();
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    QString usage = QStringLiteral("Aufruf: talvaro-cli ") + m_words;
    for (const QString& argument : m_arguments)
        usage += QLatin1Char(' ') + argument;
    usage += QStringLiteral(" [Optionen]");
    return usage + text.mid(firstLineEnd);
}

int usageError(Io& io, const QString& words, const QString& message) {
    io.err << "talvaro-cli " << words << ": " << message << Qt::endl
           << "Hilfe: talvaro-cli " << words << " --help" << Qt::endl;
    return ExitUsage;
}

} // namespace talvaro::cli
