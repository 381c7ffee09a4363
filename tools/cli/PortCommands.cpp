// The serial ports as the program sees them, and the report for support.
#include "Commands.h"
#include "headless/DeviceSession.h"
#include "history/HistoryStore.h"
#include "link/PortListing.h"
#include "link/SupportReport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace talvaro::cli {
namespace {

QJsonObject findingJson(const PortFinding& finding) {
    QJsonObject json{{QStringLiteral("cause"), findingKey(finding)},
                     {QStringLiteral("text"), findingText(finding)}};
    if (finding.cause == PortFinding::Cause::HeldBy) {
        json.insert(QStringLiteral("program"), finding.holder.name);
        json.insert(QStringLiteral("pid"), finding.holder.pid);
    }
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
        const PortDescription description = describePort(state.port.path);
        ports << QJsonObject{
            {QStringLiteral("com"), state.port.number},
            {QStringLiteral("path"), state.port.path},
            {QStringLiteral("available"), state.access.result == PortAccess::Result::Opened},
            {QStringLiteral("status"), accessText(state.access)},
            {QStringLiteral("manufacturer"), description.manufacturer},
            {QStringLiteral("product"), description.product},
            {QStringLiteral("serialNumber"), description.serialNumber},
            {QStringLiteral("byId"), state.byId},
            {QStringLiteral("findings"), findingsJson(state.findings)},
        };
    }
    return {{QStringLiteral("ports"), ports},
            {QStringLiteral("findings"), findingsJson(diagnosis.machine)}};
}

// The device as a read finds it: its name and firmware, and its port.
void identifyDevice(DeviceType type, Io& io, SupportFacts& facts) {
    headless::TerminalDialogs dialogs(io.err);
    headless::HeadlessHost host(dialogs);
    host.setDeviceType(type);
    headless::DeviceSession session(host, dialogs);
    if (!session.read())
        return;
    facts.deviceText = session.link().record().deviceText;
    facts.devicePort = session.link().record().portInUse;
}

} // namespace

int runPorts(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("ports"),
                    QStringLiteral("Zeigt, welches Gerät hinter COM1 bis COM20 steht, ob es sich "
                                   "jetzt öffnen lässt und was eine Verbindung verhindert."),
                    {});
    cmd.addOption({QStringLiteral("json"), QStringLiteral("Als JSON ausgeben.")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    const Diagnosis diagnosis = PortDiagnosis().run(assignedComPorts());
    if (cmd.isSet(QStringLiteral("json")))
        io.out << QJsonDocument(diagnosisJson(diagnosis)).toJson();
    else
        io.out << portListText(diagnosis);
    return ExitSuccess;
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
    // Each command traces only on request; a trace recorded earlier goes in.
    facts.traceOn = QFileInfo::exists(facts.traceFile);
    facts.historyTimes =
        HistoryStore(HistoryStore::defaultLocation()).newestTimes(SupportHistoryEntries);
    QString error;
    const QString path = cmd.value(QStringLiteral("o"));
    if (!saveSupportReport(path, facts, error)) {
        io.err << "talvaro-cli support-report: " << error << Qt::endl;
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace talvaro::cli
