#include "SupportReport.h"

#include "PortListing.h"
#include "model/FileErrors.h"

#include <QDateTime>
#include <QFile>
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

QString traceTail(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Noch keine Aufzeichnung in %1.\n").arg(path);
    const qint64 start = qMax<qint64>(0, file.size() - SupportTraceBytes);
    file.seek(start);
    QByteArray tail = file.readAll();
    // A line cut at the start of the window would only confuse the reader.
    if (start > 0)
        tail.remove(0, tail.indexOf('\n') + 1);
    return QStringLiteral("Die letzten %1 KB von %2:\n").arg(SupportTraceBytes / 1024).arg(path) +
           QString::fromUtf8(tail);
}

QString traceSection(const SupportFacts& facts) {
    if (facts.traceOn)
        return traceTail(facts.traceFile);
    return QStringLiteral("Das serielle Protokoll ist ausgeschaltet. Einschalten: im Menü "
                          "\"Extras\" mit \"Seriellen Datenverkehr aufzeichnen\", beim Start "
                          "mit talvaro --trace, für einen Befehl mit talvaro-cli BEFEHL "
                          "--trace oder dauerhaft mit ComLogging=1 in den Einstellungen. Es "
                          "wird in %1 geschrieben.\n")
        .arg(facts.traceFile);
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
    return QStringLiteral("Talvaro Fehlerbericht, erstellt %1\n")
               .arg(QDateTime::currentDateTime().toString(Qt::ISODate)) +
           heading(QStringLiteral("Programm")) + programSection(facts) +
           heading(QStringLiteral("System")) + systemSection() +
           heading(QStringLiteral("Serielle Anschlüsse")) + portListText(ports) +
           heading(QStringLiteral("Einstellungen")) + settingsSection() +
           heading(QStringLiteral("Telefonanlage")) + deviceSection(facts) + historySection(facts) +
           heading(QStringLiteral("Serielles Protokoll")) + traceSection(facts);
}

bool saveSupportReport(const QString& path, const SupportFacts& facts, QString& error) {
    const QByteArray text = supportReport(facts, PortDiagnosis().run(assignedComPorts())).toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        error = openErrorText(path, QIODevice::WriteOnly);
        return false;
    }
    return true;
}

} // namespace talvaro
