#pragma once

#include "model/DeviceTypes.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

#include <optional>

// Parsing of one command's arguments, with the exit statuses of the tool.
namespace talvaro::cli {

enum ExitStatus { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

struct Io {
    QTextStream& out;
    QTextStream& err;
};

class CommandLine {
public:
    // `words`: the command as typed ("show", "firmware check"); `arguments`: the names
    // of its positional arguments as shown in the help.
    CommandLine(const QString& words, const QString& description, const QStringList& arguments);

    void addOption(const QCommandLineOption& option) { m_parser.addOption(option); }
    void addTypeOption(); // --type N, required
    // --type N, optional; `description` says what it does to the command.
    void addOptionalTypeOption(const QString& description);
    void addPortOption();   // --port P
    void addOutputOption(); // -o FILE, required

    // Parses `args` (without the program and the command words). Returns an exit
    // status when the command must not run: 0 after --help, 2 after wrong usage.
    std::optional<int> parse(const QStringList& args, Io& io);

    QString positional(int index) const { return m_parser.positionalArguments().value(index); }
    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    QString value(const QString& name) const { return m_parser.value(name); }
    DeviceType deviceType() const { return m_type; }
    // The type given with an optional --type, nothing without it.
    std::optional<DeviceType> givenType() const {
        return m_typeGiven ? std::optional(m_type) : std::nullopt;
    }

    QString helpText() const;

private:
    QString m_words;
    QStringList m_arguments;
    QCommandLineParser m_parser;
    enum class TypeOption { None, Required, Optional };
    TypeOption m_typeOption = TypeOption::None;
    bool m_typeGiven = false;
    bool m_needsOutput = false;
    DeviceType m_type = DefaultDeviceType;
};

// A usage error: the message and a pointer to the help, status 2.
int usageError(Io& io, const QString& words, const QString& message);

} // namespace talvaro::cli
