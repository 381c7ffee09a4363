#include "PortDiagnosis.h"

#include "PortMap.h"
#include "model/FileErrors.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace talvaro {
namespace {

using Cause = PortFinding::Cause;

struct CauseText {
    Cause cause;
    const char* key;  // the cause's name in the port list as JSON
    const char* text; // findingText() fills in the {fields}
};

constexpr std::array<CauseText, 11> CauseTexts{{
    {Cause::NoPermission, "noPermission",
     "Kein Zugriff auf COM{com} ({path}): er gehört der Gruppe \"{group}\" ({mode}). Treten "
     "Sie ihr bei, danach ab- und wieder anmelden: sudo usermod -aG {group} $USER"},
    {Cause::NotInThisLogin, "notInThisLogin",
     "Kein Zugriff auf COM{com} ({path}): Sie sind Mitglied der Gruppe \"{group}\", aber erst "
     "ab der nächsten Anmeldung. Melden Sie sich ab und wieder an."},
    {Cause::AccessRefused, "accessRefused",
     "Kein Zugriff auf COM{com} ({path}, {mode}, Gruppe \"{group}\"): {reason}."},
    {Cause::HeldBy, "heldBy",
     "COM{com} ({path}) ist belegt von {who} (PID {pid}): beenden Sie dieses "
     "Programm."},
    {Cause::LockedBy, "lockedBy",
     "COM{com} ({path}) ist gesperrt von {who} (PID {pid}, Sperrdatei {lock}): beenden Sie "
     "dieses Programm."},
    {Cause::StaleLock, "staleLock",
     "COM{com} ({path}) ist durch eine verwaiste Sperrdatei gesperrt: {lock} stammt von PID "
     "{pid}, der nicht mehr läuft. Löschen Sie sie: sudo rm {lock}"},
    {Cause::Busy, "busy",
     "COM{com} ({path}) ist belegt: ein anderes Programm hält ihn offen; beenden "
     "Sie es."},
    {Cause::ModemManager, "modemManager",
     "ModemManager prüft COM{com} ({path}): beenden Sie ihn (sudo systemctl stop "
     "ModemManager) oder nehmen Sie den Anschluss dauerhaft aus: echo '{rule}' | sudo tee -a "
     "/etc/udev/rules.d/99-talvaro.rules, dann sudo udevadm control --reload-rules und den "
     "Adapter aus- und wieder einstecken."},
    {Cause::BrlttyHoldsAdapter, "brlttyHoldsAdapter",
     "USB-Adapter {adapter} ohne seriellen Anschluss, brltty hat ihn belegt: schalten Sie "
     "seine Erkennung ab, die Braille-Unterstützung bleibt (sudo ln -s /dev/null "
     "/etc/udev/rules.d/85-brltty.rules && sudo systemctl mask brltty-udev.service), dann den "
     "Adapter aus- und wieder einstecken."},
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

// A modem-style interface (communications class, abstract control model). Protocol ff
// on the same class is a phone's network function (RNDIS), no serial port.
constexpr const char* AcmClass = "02";
constexpr const char* AcmSubClass = "02";
constexpr const char* VendorProtocol = "ff";
constexpr const char* AcmDriver = "cdc_acm";

const QString ModemManagerName = QStringLiteral("ModemManager");
const QString BrlttyName = QStringLiteral("brltty");
// brltty claims the interfaces it looks at through the kernel's raw USB access.
const QString RawUsbDriver = QStringLiteral("usbfs");

// Udev marks of ports ModemManager leaves alone.
constexpr std::array<const char*, 2> ModemManagerIgnores{"ID_MM_DEVICE_IGNORE",
                                                         "ID_MM_DEVICE_MANUAL_SCAN_ONLY"};

// Opening a Bluetooth serial port connects to the remote device.
bool openingHasSideEffects(const QString& name) {
    return name.startsWith(QLatin1String("rfcomm"));
}

// ModemManager's default filter probes only CDC-ACM ports, not plain USB serial chips.
bool modemManagerProbes(const QString& name) {
    return name.startsWith(QLatin1String("ttyACM"));
}

QString serialDriverFor(const UsbInterface& usb) {
    for (const KnownAdapter& known : KnownAdapters)
        if (usb.id.vendor == QLatin1String(known.vendor) &&
            usb.id.product == QLatin1String(known.product))
            return QString::fromLatin1(known.driver);
    if (usb.interfaceClass == QLatin1String(AcmClass) &&
        usb.interfaceSubClass == QLatin1String(AcmSubClass) &&
        usb.interfaceProtocol != QLatin1String(VendorProtocol))
        return QString::fromLatin1(AcmDriver);
    return {};
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
    return {accessResult(error), systemErrorText(error)};
}

QList<ComPortPath> numberedComPorts(const QStringList& paths) {
    QList<ComPortPath> ports;
    for (qsizetype i = 0; i < paths.size() && i < HighestComPort; ++i)
        if (!paths[i].isEmpty())
            ports << ComPortPath{static_cast<quint16>(i + 1), paths[i]};
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
        {"{lock}", finding.lockFile},
        {"{group}", finding.file.group},
        {"{mode}", finding.file.modeText()},
        {"{reason}", finding.reason},
        {"{adapter}", adapterLabel(finding)},
        {"{driver}", finding.driver},
        {"{rule}", ignoreRule(name, finding.usb)},
    };
    for (const auto& [field, value] : fields)
        text.replace(QLatin1String(field), value);
    return text;
}

bool PortState::isHeld() const {
    return std::any_of(findings.begin(), findings.end(), [](const PortFinding& f) {
        return f.cause == Cause::HeldBy || f.cause == Cause::LockedBy || f.cause == Cause::Busy ||
               (f.cause == Cause::ModemManager && f.holder.pid != 0);
    });
}

bool PortState::isFree() const {
    return !own && access.result == PortAccess::Result::Opened && !isHeld();
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

struct PortDiagnosis::Scene {
    QMultiHash<QString, ProcessInfo> open;
    bool modemManager = false;
    Login login;
};

PortDiagnosis::PortDiagnosis(SystemRoots roots, AccessProbe probe, qint64 ownPid)
    : m_scan(std::move(roots)), m_probe(std::move(probe)), m_ownPid(ownPid) {}

qint64 PortDiagnosis::currentPid() {
    return ::getpid();
}

Diagnosis PortDiagnosis::run(const QList<ComPortPath>& ports) const {
    Diagnosis diagnosis;
    if (!ports.isEmpty()) {
        const Scene scene{m_scan.openFiles(), !m_scan.processesNamed(ModemManagerName).isEmpty(),
                          m_scan.login(m_ownPid)};
        for (const ComPortPath& port : ports)
            diagnosis.ports << examine(port, scene);
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

PortState PortDiagnosis::examine(const ComPortPath& port, const Scene& scene) const {
    const QString resolved = QFileInfo(port.path).canonicalFilePath();
    const QString name = QFileInfo(resolved.isEmpty() ? port.path : resolved).fileName();
    PortState state{port, {}, m_scan.byIdName(port.path), m_scan.usbDeviceOfTty(name), false, {}};
    const auto finding = [&](Cause cause) {
        PortFinding f;
        f.cause = cause;
        f.number = port.number;
        f.path = port.path;
        f.usb = state.usb.id;
        return f;
    };

    QList<ProcessInfo> holders = scene.open.values(port.path);
    if (!resolved.isEmpty() && resolved != port.path)
        holders += scene.open.values(resolved);
    std::sort(holders.begin(), holders.end(),
              [](const ProcessInfo& a, const ProcessInfo& b) { return a.pid < b.pid; });
    state.own = std::any_of(holders.begin(), holders.end(),
                            [this](const ProcessInfo& p) { return p.pid == m_ownPid; });
    // A port this program holds refuses a second opening, even from here.
    if (state.own || openingHasSideEffects(name))
        state.access.result = PortAccess::Result::NotProbed;
    else
        state.access = m_probe(port.path);

    state.findings << permissionFindings(state, scene.login);
    QList<qint64> named{m_ownPid};
    std::optional<ProcessInfo> modemManager;
    for (const ProcessInfo& holder : holders) {
        if (named.contains(holder.pid))
            continue;
        named << holder.pid;
        if (holder.name == ModemManagerName && modemManagerProbes(name)) {
            modemManager = holder; // it gets the line with its cure
            continue;
        }
        PortFinding held = finding(Cause::HeldBy);
        held.holder = holder;
        state.findings << held;
    }
    for (const PortLock& lock : m_scan.locks(port.path, name)) {
        if (named.contains(lock.pid))
            continue;
        named << lock.pid;
        PortFinding locked = finding(lock.running ? Cause::LockedBy : Cause::StaleLock);
        locked.holder = {lock.pid, lock.holder};
        locked.lockFile = lock.path;
        state.findings << locked;
    }
    if (!state.isHeld() && state.access.result == PortAccess::Result::Busy)
        state.findings << finding(Cause::Busy);

    // ModemManager holding the port is probing it; otherwise it would, unless udev marks
    // the port for it to leave alone. Without a udev record nobody can tell.
    bool probed = modemManager.has_value();
    if (!probed && scene.modemManager && modemManagerProbes(name))
        if (const auto udev = m_scan.udevProperties(name))
            probed = std::none_of(
                ModemManagerIgnores.begin(), ModemManagerIgnores.end(),
                [&](const char* mark) { return udev->value(QLatin1String(mark)) == "1"; });
    if (probed) {
        PortFinding mm = finding(Cause::ModemManager);
        mm.holder = modemManager.value_or(ProcessInfo{});
        state.findings << mm;
    }
    return state;
}

QList<PortFinding> PortDiagnosis::permissionFindings(const PortState& state,
                                                     const Login& login) const {
    if (state.access.result != PortAccess::Result::NoPermission)
        return {};
    PortFinding f;
    f.number = state.port.number;
    f.path = state.port.path;
    f.file = m_scan.deviceFile(state.port.path);
    f.reason = state.access.reason;
    // Joining the group helps only where the group may read and write, and never for root.
    const bool groupGrants = f.file.exists && f.file.gid != 0 && f.file.groupMayReadWrite();
    if (!groupGrants || login.groups.contains(f.file.gid))
        f.cause = Cause::AccessRefused;
    else if (m_scan.groupDatabaseLists(login.user, f.file.gid))
        f.cause = Cause::NotInThisLogin;
    else
        f.cause = Cause::NoPermission;
    return {f};
}

QList<PortFinding> PortDiagnosis::adaptersWithoutTty() const {
    QList<PortFinding> findings;
    QSet<QString> reported;
    std::optional<bool> brltty; // looked for only when an adapter lacks its driver
    for (const UsbInterface& usb : m_scan.usbInterfaces()) {
        const QString driver = serialDriverFor(usb);
        if (driver.isEmpty() || usb.hasTty || reported.contains(usb.device))
            continue;
        // Bound to another driver (a network function, or its own without a tty yet):
        // nothing this program can tell.
        const bool claimedRaw = usb.driver == RawUsbDriver;
        if (!claimedRaw && !usb.driver.isEmpty())
            continue;
        if (!claimedRaw && !brltty)
            brltty = !m_scan.processesNamed(BrlttyName).isEmpty();
        reported.insert(usb.device);
        PortFinding finding;
        finding.cause =
            claimedRaw || *brltty ? Cause::BrlttyHoldsAdapter : Cause::AdapterWithoutTty;
        finding.usb = usb.id;
        finding.adapter = usb.productName;
        finding.driver = driver;
        findings << finding;
    }
    return findings;
}

} // namespace talvaro
