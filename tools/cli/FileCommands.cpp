// Commands on configuration files: show, new, diff, report.
#include "Commands.h"
#include "ModelJson.h"
#include "model/ConfigFile.h"
#include "model/FileErrors.h"
#include "report/ModelReport.h"
#include "report/ReportBuilder.h"
#include "report/ReportCommands.h"
#include "report/ReportDiff.h"
#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"

#include <QJsonDocument>
#include <QPrinter>

namespace talvaro::cli {

namespace {

// The editor as "setDeviceType" leaves it, holding FILE as "Ö&ffnen..." opens it.
struct OpenedFile {
    OpenedFile(Io& io, DeviceType type) : dialogs(io.err), host(dialogs) {
        host.setDeviceType(type);
    }
    TerminalDialogs dialogs;
    EditorSession host;
};

// The report's lines as printed, without the date line and the heading markers.
QStringList reportLines(EditorSession& host) {
    QStringList lines =
        buildReport(reportInputFromModel(host.model(), host.document().deviceType()));
    for (QString& line : lines)
        if (line.startsWith(ReportHeadingMarker))
            line.remove(0, ReportHeadingMarker.size());
    return lines;
}

} // namespace

int printDifferences(Io& io, const QList<ReportDifference>& differences) {
    for (const ReportDifference& difference : differences) {
        if (difference.before)
            io.out << "- " << *difference.before << '\n';
        if (difference.after)
            io.out << "+ " << *difference.after << '\n';
    }
    return differences.isEmpty() ? ExitSuccess : ExitFailure;
}

int runShow(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("show"),
                    QStringLiteral("Zeigt den Konfigurationsbericht einer .tkx-Datei."),
                    {QStringLiteral("FILE")});
    cmd.addTypeOption();
    cmd.addOption({QStringLiteral("json"), QStringLiteral("Alle Einstellungen als JSON.")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    OpenedFile file(io, cmd.deviceType());
    if (!file.host.openConfigurationFile(cmd.positional(0)))
        return ExitFailure;
    if (cmd.isSet(QStringLiteral("json"))) {
        io.out << QJsonDocument(modelJson(file.host.model(), cmd.deviceType()))
                      .toJson(QJsonDocument::Indented);
        return ExitSuccess;
    }
    for (const QString& line : reportLines(file.host))
        io.out << line << '\n';
    return ExitSuccess;
}

int runNew(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("new"),
                    QStringLiteral("Schreibt die Werkseinstellungen eines Gerätetyps in eine "
                                   "Datei (\"Neu erstellen\", dann \"In Datei speichern...\")."),
                    {});
    cmd.addTypeOption();
    cmd.addOutputOption();
    if (const auto status = cmd.parse(args, io))
        return *status;
    TerminalDialogs dialogs(io.err);
    EditorSession host(dialogs);
    host.setDeviceType(cmd.deviceType());
    host.newConfiguration();
    const bool written = writeConfigurationFile(
        cmd.value(QStringLiteral("o")),
        [&host] {
            host.encodeImage();
            return host.workingImage();
        },
        SaveAsFailedLine, dialogs);
    return written ? ExitSuccess : ExitFailure;
}

int runDiff(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("diff"),
                    QStringLiteral("Vergleicht die Konfigurationsberichte zweier Dateien. "
                                   "Status 0: gleich, 1: verschieden, 2: Fehler."),
                    {QStringLiteral("A"), QStringLiteral("B")});
    cmd.addTypeOption();
    if (const auto status = cmd.parse(args, io))
        return *status;
    OpenedFile a(io, cmd.deviceType());
    OpenedFile b(io, cmd.deviceType());
    // Trouble is status 2 here, as with diff: 1 already means "they differ".
    if (!a.host.openConfigurationFile(cmd.positional(0)) ||
        !b.host.openConfigurationFile(cmd.positional(1)))
        return ExitUsage;
    return printDifferences(io,
                            compareReports(markedReportLines(a.host.model(), cmd.deviceType()),
                                           markedReportLines(b.host.model(), cmd.deviceType())));
}

int runReport(const QStringList& args, Io& io) {
    CommandLine cmd(
        QStringLiteral("report"),
        QStringLiteral("Druckt den Konfigurationsbericht einer Datei in eine PDF-Datei."),
        {QStringLiteral("FILE")});
    cmd.addTypeOption();
    cmd.addOption(
        {QStringLiteral("pdf"), QStringLiteral("Die PDF-Datei."), QStringLiteral("OUT.pdf")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    const QString pdf = cmd.value(QStringLiteral("pdf"));
    if (pdf.isEmpty())
        return usageError(io, QStringLiteral("report"), QStringLiteral("--pdf OUT.pdf fehlt"));
    OpenedFile file(io, cmd.deviceType());
    if (!file.host.openConfigurationFile(cmd.positional(0)))
        return ExitFailure;
    // The printer names neither the file nor the reason.
    if (const auto problem = openProblem(pdf, QIODevice::WriteOnly)) {
        file.dialogs.showMessageBox(MessageIcon::Critical, *problem);
        return ExitFailure;
    }
    EditorSession& host = file.host;
    const PrintCommandHost printHost{
        [&host] { return host.checkPinBeforeUse(); },
        [&host] { return reportInputFromModel(host.model(), host.document().deviceType()); },
        [&pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        },
        [](QPrinter&) {},
        [&file](const QString& error) {
            file.dialogs.showMessageBox(MessageIcon::Critical, error);
        },
    };
    QPrinter printer(QPrinter::HighResolution);
    QStringList lines;
    return executePrint(printer, printHost, lines, QDate::currentDate()) ? ExitSuccess
                                                                         : ExitFailure;
}

} // namespace talvaro::cli
