#include "ProgramStart.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTextStream>
#include <QTranslator>

namespace talvaro {

QString programVersion() {
    return QStringLiteral(TALVARO_VERSION);
}

bool installQtTranslations(QTranslator& qtTexts) {
    if (qtTexts.isEmpty() && !qtTexts.load(QStringLiteral("qtbase_de"),
                                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&qtTexts);
}

std::optional<int> parseProgramArguments(QCommandLineParser& parser, const QStringList& arguments) {
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Diese Hilfe anzeigen."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Die Version anzeigen."));
    parser.addOption(help);
    parser.addOption(version);
    const QString program = QFileInfo(arguments.value(0)).fileName();
    if (!parser.parse(arguments)) {
        QTextStream(stderr) << program << ": " << parser.errorText() << Qt::endl
                            << "Hilfe: " << program << " --help" << Qt::endl;
        return 2;
    }
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << program << ' ' << programVersion() << Qt::endl;
        return 0;
    }
    return std::nullopt;
}

} // namespace talvaro
