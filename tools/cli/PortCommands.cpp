// The serial ports as the program sees them, and the report for support.
#include "Commands.h"
#include "history/HistoryStore.h"
#include "link/LinkSession.h"
#include "link/PortListing.h"
#include "link/PortMap.h"
#include "link/SupportReport.h"
#include "session/DeviceSession.h"
#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace talvaro::cli {
namespace {

QJsonObject findingJson(const PortFinding& finding) {
    QJsonObject json{{QStringLiteral("cause"), findingKey(finding)},
                     {QStringLiteral("text"), findingText(finding)}};
    if (!finding.holder.name.isEmpty())
        json.insert(QStringLiteral("program"), finding.holder.name);
    if (finding.holder.pid != 0)
        json.insert(QStringLiteral("pid"), finding.holder.pid);
    if (!finding.lockFile.isEmpty())
        json.insert(QStringLiteral("lockFile"), finding.lockFile);
    if (finding.file.exists)
        json.insert(QStringLiteral("group"), finding.file.group);
    if (!finding.usb.isEmpty())
        json.insert(QStringLiteral("usbId"), finding.usb.text());
    return json;
}

QJsonArray findingsJson(const QList<PortFinding>& findings) {
    QJsonArray array;
    for (const PortFinding& finding : findings)
        array << findingJson(finding);
    return array;
}

QJsonObject diagnosisJson(const Diagnosis& diagnosis) {
    QJsonArray ports;
    for (const PortState& state : diagnosis.ports) {
        ports << QJsonObject{
            {QStringLiteral("com"), state.port.number},
            {QStringLiteral("path"), state.port.path},
            {QStringLiteral("available"), state.isFree()},
            {QStringLiteral("status"), portStatusText(state)},
            {QStringLiteral("manufacturer"), state.usb.manufacturer},
            {QStringLiteral("product"), state.usb.product},
            {QStringLiteral("serialNumber"), state.usb.serialNumber},
            {QStringLiteral("byId"), state.byId},
            {QStringLiteral("findings"), findingsJson(state.findings)},
        };
    }
    return {{QStringLiteral("ports"), ports},
            {QStringLiteral("findings"), findingsJson(diagnosis.machine)}};
}

// The device as a read finds it: its name and firmware, and its port.
void identifyDevice(DeviceType type, Io& io, SupportFacts& facts) {
    TerminalDialogs dialogs(io.err);
    EditorSession host(dialogs);
    host.setDeviceType(type);
    DeviceSession session(host, dialogs);
    if (!session.read())
        return;
    facts.deviceText = host.link().record().deviceText;
    facts.devicePort = host.portInUse();
}

} // namespace

int runPorts(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("ports"),
                    QStringLiteral("Zeigt, welches Gerät hinter COM1 bis COM20 steht, ob es sich "
                                   "jetzt öffnen lässt und was eine Verbindung verhindert."),
                    {});
    cmd.addOption({QStringLiteral("json"), QStringLiteral("Als JSON ausgeben.")});
    cmd.addOption({QStringLiteral("watch"),
                   QStringLiteral("Danach jede Zeile ausgeben, wenn ein Anschluss hinzukommt "
                                  "oder verschwindet, bis zum Abbruch mit Strg+C.")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    const bool watch = cmd.isSet(QStringLiteral("watch"));
    if (watch && cmd.isSet(QStringLiteral("json")))
        return usageError(io, QStringLiteral("ports"),
                          QStringLiteral("--json und --watch schließen einander aus"));
    const Diagnosis diagnosis =
        PortDiagnosis().run(numberedComPorts(PortAssignment::fromEnvironment().current().paths()));
    if (cmd.isSet(QStringLiteral("json")))
        io.out << QJsonDocument(diagnosisJson(diagnosis)).toJson();
    else
        io.out << portListText(diagnosis);
    if (!watch)
        return ExitSuccess;
    io.out.flush();
    return watchPorts(io);
}

constexpr int SupportHistoryEntries = 10;

int runSupportReport(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("support-report"),
                    QStringLiteral("Schreibt einen Fehlerbericht für den Support: Programm, "
                                   "System, serielle Anschlüsse, Einstellungen und das Ende des "
                                   "seriellen Protokolls."),
                    {});
    cmd.addOutputOption();
    cmd.addOptionalTypeOption(
        QStringLiteral("Vorher die Telefonanlage suchen, als wäre dieser Gerätetyp geöffnet, "
                       "damit der Bericht sie nennt."));
    if (const auto status = cmd.parse(args, io))
        return *status;
    SupportFacts facts;
    facts.program = QStringLiteral("talvaro-cli");
    // Found or not, the report is written: without a device it matters most.
    if (const std::optional<DeviceType> type = cmd.givenType())
        identifyDevice(*type, io, facts);
    facts.historyTimes =
        HistoryStore(HistoryStore::defaultLocation()).newestTimes(SupportHistoryEntries);
    QString error;
    const QString path = cmd.value(QStringLiteral("o"));
    if (!saveSupportReport(path, facts, PortAssignment::fromEnvironment().current().paths(),
                           error)) {
        io.err << "talvaro-cli support-report: " << error << Qt::endl;
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace talvaro::cli
