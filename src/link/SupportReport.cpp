#include "SupportReport.h"

#include "PortListing.h"
#include "model/FileErrors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QSysInfo>
#include <QTextStream>

#include <array>

namespace talvaro {
namespace {

// The values the program itself reads from its settings; nothing else of the file.
constexpr std::array<const char*, 3> SettingNames{"WorkDir", "COM", "ComLogging"};

QString heading(const QString& title) {
    return QStringLiteral("\n== ") + title + QStringLiteral(" ==\n");
}

QString programSection(const SupportFacts& facts) {
    return QStringLiteral("%1 %2 (Build %3, %4, gebaut mit Qt %5)\n")
        .arg(facts.program, QStringLiteral(TALVARO_VERSION), QStringLiteral(TALVARO_BUILD_TYPE),
             QStringLiteral(TALVARO_COMPILER), QStringLiteral(QT_VERSION_STR));
}

QString systemSection() {
    return QStringLiteral("Qt %1\n%2, Kernel %3 %4, %5\n")
        .arg(QString::fromLatin1(qVersion()), QSysInfo::prettyProductName(), QSysInfo::kernelType(),
             QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture());
}

QString settingsSection() {
    const QSettings settings(QSettings::UserScope, QStringLiteral("Brovenik"),
                             QStringLiteral("Talvaro"));
    const QStringList keys = settings.allKeys();
    QString text;
    for (const char* name : SettingNames) {
        const QString wanted = QString::fromLatin1(name);
        QString value = QStringLiteral("(nicht gesetzt)");
        for (const QString& key : keys)
            if (key.compare(wanted, Qt::CaseInsensitive) == 0)
                value = settings.value(key).toString();
        text += wanted + QStringLiteral(" = ") + value + QLatin1Char('\n');
    }
    return text;
}

QString deviceSection(const SupportFacts& facts) {
    if (facts.deviceText.isEmpty())
        return QStringLiteral("In dieser Sitzung wurde keine Telefonanlage gefunden.\n");
    if (facts.devicePort == 0)
        return facts.deviceText + QLatin1Char('\n');
    return QStringLiteral("%1 an COM%2\n").arg(facts.deviceText).arg(facts.devicePort);
}

// The end of the trace, the bytes of configurations only counted.
QString traceTail(QFile& file) {
    const qint64 start = qMax<qint64>(0, file.size() - SupportTraceBytes);
    file.seek(start);
    QByteArray tail = file.readAll();
    // A line cut at the start of the window would only confuse the reader.
    if (start > 0)
        tail.remove(0, tail.indexOf('\n') + 1);
    return QStringLiteral("Die letzten %1 KB von %2, Konfigurationen nur als Anzahl ihrer "
                          "Bytes:\n")
               .arg(SupportTraceBytes / 1024)
               .arg(file.fileName()) +
           TraceLog::withoutConfigurations(QString::fromUtf8(tail));
}

// The window and the command line alike: a trace on disk goes in, whether tracing is on
// now or was on for one command; while it is off, how to switch it on.
QString traceSection(const SupportFacts& facts) {
    QString text;
    QFile file(facts.traceFile);
    if (file.open(QIODevice::ReadOnly))
        text = traceTail(file);
    else if (facts.traceOn)
        text = QStringLiteral("Noch keine Aufzeichnung in %1.\n").arg(facts.traceFile);
    if (facts.traceOn)
        return text;
    return text + QStringLiteral("Das serielle Protokoll ist ausgeschaltet. Einschalten: im Menü "
                                 "\"Extras\" mit \"Seriellen Datenverkehr aufzeichnen\", beim "
                                 "Start mit talvaro --trace, für einen Befehl mit talvaro-cli "
                                 "BEFEHL --trace oder dauerhaft mit ComLogging=1 in den "
                                 "Einstellungen. Es wird in %1 geschrieben.\n")
                      .arg(facts.traceFile);
}

// What the report holds, said before anything else, so that the user can judge it
// before sending it.
QString contentsSection(const SupportFacts& facts) {
    QStringList parts{QStringLiteral("Programm- und Systemversionen"),
                      QStringLiteral("die seriellen Anschlüsse mit ihrer Diagnose"),
                      QStringLiteral("die Einstellungen WorkDir, COM und ComLogging"),
                      QStringLiteral("die zuletzt gefundene Telefonanlage")};
    if (!facts.historyTimes.isEmpty())
        parts << QStringLiteral("die Zeiten der letzten Verlaufseinträge");
    if (QFileInfo::exists(facts.traceFile))
        parts << QStringLiteral("das Ende des seriellen Protokolls");
    const QString last = parts.takeLast();
    return QStringLiteral("Inhalt: %1 und %2. Keine Konfiguration: PIN, Rufnummern und "
                          "Einstellungen der Telefonanlage fehlen, im Protokoll steht statt "
                          "ihrer Bytes nur deren Anzahl. Ihr persönlicher Ordner erscheint als "
                          "\"~\".\n")
        .arg(parts.join(QStringLiteral(", ")), last);
}

// The home folder names the user; "~" says as much to support.
QString withHomeShortened(QString text) {
    const QString home = QDir::homePath();
    if (home.isEmpty() || home == QLatin1String("/"))
        return text;
    static const QString boundary = QStringLiteral("(?=[/\\s\"'),:;]|$)");
    return text.replace(QRegularExpression(QRegularExpression::escape(home) + boundary),
                        QStringLiteral("~"));
}

// Only the times: what the configurations held stays out of the report.
QString historySection(const SupportFacts& facts) {
    if (facts.historyTimes.isEmpty())
        return QString();
    return heading(QStringLiteral("Verlauf")) + QStringLiteral("Die letzten Einträge:\n") +
           facts.historyTimes.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

QString supportReport(const SupportFacts& facts, const Diagnosis& ports) {
    return withHomeShortened(QStringLiteral("Talvaro Fehlerbericht, erstellt %1\n")
                                 .arg(QDateTime::currentDateTime().toString(Qt::ISODate)) +
                             contentsSection(facts) + heading(QStringLiteral("Programm")) +
                             programSection(facts) + heading(QStringLiteral("System")) +
                             systemSection() + heading(QStringLiteral("Serielle Anschlüsse")) +
                             portListText(ports) + heading(QStringLiteral("Einstellungen")) +
                             settingsSection() + heading(QStringLiteral("Telefonanlage")) +
                             deviceSection(facts) + historySection(facts) +
                             heading(QStringLiteral("Serielles Protokoll")) + traceSection(facts));
}

bool saveSupportReport(const QString& path, const SupportFacts& facts, const QStringList& comPaths,
                       QString& error) {
    const QByteArray text =
        supportReport(facts, PortDiagnosis().run(numberedComPorts(comPaths))).toUtf8();
    QSaveFile file(path);
    // Set on every save: replacing a file otherwise keeps the rights the old one had.
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner) ||
        file.write(text) != text.size() || !file.commit()) {
        error = openErrorText(path, QIODevice::WriteOnly);
        return false;
    }
    return true;
}

} // namespace talvaro
