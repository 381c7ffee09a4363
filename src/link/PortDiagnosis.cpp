#include "PortDiagnosis.h"

#include "PortMap.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace talvaro {
namespace {

using Cause = PortFinding::Cause;

struct CauseText {
    Cause cause;
    const char* key;  // the cause's name in the port list as JSON
    const char* text; // {com} {path} {who} {pid} {adapter} {driver} {rule} are filled in
};

constexpr std::array<CauseText, 7> CauseTexts{{
    {Cause::NoPermission, "noPermission",
     "Kein Zugriff auf COM{com} ({path}): die Mitgliedschaft in der Gruppe "
     "\"dialout\" gewährt ihn."},
    {Cause::HeldBy, "heldBy",
     "COM{com} ({path}) ist belegt von {who} (PID {pid}): beenden Sie dieses "
     "Programm."},
    {Cause::Busy, "busy",
     "COM{com} ({path}) ist belegt: ein anderes Programm hält ihn offen; beenden "
     "Sie es."},
    {Cause::ModemManager, "modemManager",
     "ModemManager prüft COM{com} ({path}): beenden Sie ihn (systemctl stop "
     "ModemManager) oder legen Sie diese udev-Regel an: {rule}"},
    {Cause::BrlttyHoldsAdapter, "brlttyHoldsAdapter",
     "USB-Adapter {adapter} ohne seriellen Anschluss, brltty belegt "
     "ihn: entfernen Sie brltty oder seine udev-Regel "
     "(85-brltty.rules)."},
    {Cause::AdapterWithoutTty, "adapterWithoutDriver",
     "USB-Adapter {adapter} ohne seriellen Anschluss: es fehlt der "
     "Treiber {driver} (modprobe {driver})."},
    {Cause::NoSerialPort, "noSerialPort",
     "Kein serieller Anschluss gefunden. Ist der USB-Adapter eingesteckt?"},
}};

// USB serial adapters by vendor and product id, with the kernel driver each needs.
struct KnownAdapter {
    const char* vendor;
    const char* product;
    const char* driver;
};

constexpr std::array<KnownAdapter, 11> KnownAdapters{{
    {"0403", "6001", "ftdi_sio"},
    {"0403", "6010", "ftdi_sio"},
    {"0403", "6011", "ftdi_sio"},
    {"0403", "6014", "ftdi_sio"},
    {"0403", "6015", "ftdi_sio"},
    {"067b", "2303", "pl2303"},
    {"067b", "23a3", "pl2303"},
    {"10c4", "ea60", "cp210x"},
    {"10c4", "ea70", "cp210x"},
    {"1a86", "7523", "ch341"},
    {"1a86", "5523", "ch341"},
}};

// A modem-style interface (communications class, abstract control model).
constexpr const char* AcmClass = "02";
constexpr const char* AcmSubClass = "02";
constexpr const char* AcmDriver = "cdc_acm";

const QString ModemManagerName = QStringLiteral("ModemManager");
const QString BrlttyName = QStringLiteral("brltty");

QString serialDriverFor(const UsbInterface& usb) {
    for (const KnownAdapter& known : KnownAdapters)
        if (usb.id.vendor == QLatin1String(known.vendor) &&
            usb.id.product == QLatin1String(known.product))
            return QString::fromLatin1(known.driver);
    if (usb.interfaceClass == QLatin1String(AcmClass) &&
        usb.interfaceSubClass == QLatin1String(AcmSubClass))
        return QString::fromLatin1(AcmDriver);
    return {};
}

bool isUsbOrAcm(const QString& name, const UsbId& usb) {
    return !usb.isEmpty() || name.startsWith(QLatin1String("ttyUSB")) ||
           name.startsWith(QLatin1String("ttyACM"));
}

QString ignoreRule(const QString& name, const UsbId& usb) {
    const QString match = usb.isEmpty()
                              ? QStringLiteral("KERNEL==\"%1\"").arg(name)
                              : QStringLiteral("ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\"")
                                    .arg(usb.vendor, usb.product);
    return match + QStringLiteral(", ENV{ID_MM_DEVICE_IGNORE}=\"1\"");
}

QString adapterLabel(const PortFinding& finding) {
    return finding.adapter.isEmpty()
               ? finding.usb.text()
               : finding.usb.text() + QStringLiteral(" (") + finding.adapter + QLatin1Char(')');
}

PortAccess::Result accessResult(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return PortAccess::Result::NoPermission;
    case EBUSY:
        return PortAccess::Result::Busy;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return PortAccess::Result::Missing;
    default:
        return PortAccess::Result::Failed;
    }
}

const CauseText& causeText(Cause cause) {
    for (const CauseText& entry : CauseTexts)
        if (entry.cause == cause)
            return entry;
    return CauseTexts.back();
}

} // namespace

PortAccess probePortAccess(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    const int error = errno;
    return {accessResult(error), QString::fromLocal8Bit(std::strerror(error))};
}

QList<ComPortPath> assignedComPorts() {
    QList<ComPortPath> ports;
    for (quint16 n = 1; n <= HighestComPort; ++n)
        if (const QString path = comPortPath(n); !path.isEmpty())
            ports << ComPortPath{n, path};
    return ports;
}

QString findingKey(const PortFinding& finding) {
    return QString::fromLatin1(causeText(finding.cause).key);
}

QString findingText(const PortFinding& finding) {
    QString text = QString::fromUtf8(causeText(finding.cause).text);
    const QString name = QFileInfo(finding.path).fileName();
    const std::pair<const char*, QString> fields[] = {
        {"{com}", QString::number(finding.number)},
        {"{path}", finding.path},
        {"{who}", finding.holder.name},
        {"{pid}", QString::number(finding.holder.pid)},
        {"{adapter}", adapterLabel(finding)},
        {"{driver}", finding.driver},
        {"{rule}", ignoreRule(name, finding.usb)},
    };
    for (const auto& [field, value] : fields)
        text.replace(QLatin1String(field), value);
    return text;
}

QStringList Diagnosis::lines() const {
    QStringList result;
    for (const PortState& state : ports)
        for (const PortFinding& finding : state.findings)
            result << findingText(finding);
    for (const PortFinding& finding : machine)
        result << findingText(finding);
    return result;
}

PortDiagnosis::PortDiagnosis(SystemRoots roots, AccessProbe probe, qint64 ownPid)
    : m_scan(std::move(roots)), m_probe(std::move(probe)), m_ownPid(ownPid) {}

qint64 PortDiagnosis::currentPid() {
    return ::getpid();
}

Diagnosis PortDiagnosis::run(const QList<ComPortPath>& ports) const {
    Diagnosis diagnosis;
    if (!ports.isEmpty()) {
        const QMultiHash<QString, ProcessInfo> open = m_scan.openFiles();
        const bool modemManager = !m_scan.processesNamed(ModemManagerName).isEmpty();
        for (const ComPortPath& port : ports)
            diagnosis.ports << examine(port, open, modemManager);
    }
    diagnosis.machine = adaptersWithoutTty();
    // An adapter without its port already tells more than the question whether one is
    // plugged in.
    if (ports.isEmpty() && diagnosis.machine.isEmpty()) {
        PortFinding none;
        none.cause = Cause::NoSerialPort;
        diagnosis.machine << none;
    }
    return diagnosis;
}

PortState PortDiagnosis::examine(const ComPortPath& port,
                                 const QMultiHash<QString, ProcessInfo>& open,
                                 bool modemManager) const {
    PortState state{port, m_probe(port.path), m_scan.byIdName(port.path), {}};
    const QString resolved = QFileInfo(port.path).canonicalFilePath();
    const QString name = QFileInfo(resolved.isEmpty() ? port.path : resolved).fileName();
    const UsbId usb = m_scan.usbIdOfTty(name);
    const bool modemManagerProbes = modemManager && isUsbOrAcm(name, usb);
    const auto finding = [&](Cause cause) {
        PortFinding f;
        f.cause = cause;
        f.number = port.number;
        f.path = port.path;
        f.usb = usb;
        return f;
    };

    if (state.access.result == PortAccess::Result::NoPermission)
        state.findings << finding(Cause::NoPermission);
    QList<ProcessInfo> holders = open.values(port.path);
    if (!resolved.isEmpty() && resolved != port.path)
        holders += open.values(resolved);
    std::sort(holders.begin(), holders.end(),
              [](const ProcessInfo& a, const ProcessInfo& b) { return a.pid < b.pid; });
    bool holderNamed = false;
    for (const ProcessInfo& holder : holders) {
        // ModemManager gets a line of its own with its cure.
        if (holder.pid == m_ownPid || (modemManagerProbes && holder.name == ModemManagerName))
            continue;
        PortFinding held = finding(Cause::HeldBy);
        held.holder = holder;
        state.findings << held;
        holderNamed = true;
    }
    if (!holderNamed && state.access.result == PortAccess::Result::Busy)
        state.findings << finding(Cause::Busy);
    if (modemManagerProbes)
        state.findings << finding(Cause::ModemManager);
    return state;
}

QList<PortFinding> PortDiagnosis::adaptersWithoutTty() const {
    QList<PortFinding> findings;
    QSet<QString> reported;
    std::optional<bool> brltty; // looked for only when an adapter lacks its port
    for (const UsbInterface& usb : m_scan.usbInterfaces()) {
        const QString driver = serialDriverFor(usb);
        if (driver.isEmpty() || usb.hasTty || reported.contains(usb.device))
            continue;
        reported.insert(usb.device);
        if (!brltty)
            brltty = m_scan.brlttyInstalled() || !m_scan.processesNamed(BrlttyName).isEmpty();
        PortFinding finding;
        finding.cause = *brltty ? Cause::BrlttyHoldsAdapter : Cause::AdapterWithoutTty;
        finding.usb = usb.id;
        finding.adapter = usb.productName;
        finding.driver = driver;
        findings << finding;
    }
    return findings;
}

} // namespace talvaro
