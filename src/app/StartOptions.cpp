#include "StartOptions.h"

#include "startup/ProgramStart.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace talvaro {
namespace {

int usageError(const QString& message) {
    QTextStream(stderr) << "talvaro: " << message << Qt::endl
                        << "Hilfe: talvaro --help" << Qt::endl;
    return 2;
}

} // namespace

std::optional<int> StartOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Konfigurator für die Telefonanlagen Mirello 16 und Quenta 26."));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Eine simulierte Telefonanlage an COM1 (Gerätetyp 5, 6 oder 7)."));
    const QCommandLineOption type(
        QStringLiteral("type"),
        QStringLiteral("Gerätetyp 0 bis 7: die Datei wird ohne Suche als dieser Typ geöffnet."),
        QStringLiteral("N"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Den seriellen Datenverkehr aufzeichnen (ComLog.log im Datenordner)."));
    parser.addOption(demo);
    parser.addOption(type);
    parser.addOption(trace);
    parser.addPositionalArgument(
        QStringLiteral("DATEI"),
        QStringLiteral("Eine Konfiguration (.tkx) zum Öffnen oder eine Firmwaredatei (.efw) "
                       "zum Einspielen."),
        QStringLiteral("[DATEI.tkx | DATEI.efw]"));
    if (const std::optional<int> status = parseProgramArguments(parser, arguments))
        return status;

    m_demo = parser.isSet(demo);
    m_trace = parser.isSet(trace);
    if (parser.isSet(type)) {
        bool ok = false;
        const DeviceType code = parser.value(type).toUInt(&ok);
        if (!ok || !isDefinedDeviceType(code))
            return usageError(QStringLiteral("--type N mit N von 0 bis 7"));
        m_type = code;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return usageError(QStringLiteral("nur eine Datei"));
    // The title and the folder offered next derive from it, wherever the program ran.
    m_file = files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();
    const QString suffix = m_file.section(QLatin1Char('.'), -1).toLower();
    if (!m_file.isEmpty() && suffix != QLatin1String("tkx") && suffix != QLatin1String("efw"))
        return usageError(QStringLiteral("\"%1\" ist weder .tkx noch .efw").arg(files.first()));
    return std::nullopt;
}

bool StartOptions::isFirmwareFile() const {
    return m_file.endsWith(QLatin1String(".efw"), Qt::CaseInsensitive);
}

QStringList StartOptions::demoArguments() const {
    QStringList arguments{QStringLiteral("talvaro")};
    if (m_demo)
        arguments << QStringLiteral("--demo");
    if (m_type)
        arguments << QStringLiteral("--type") << QString::number(*m_type);
    return arguments;
}

} // namespace talvaro
