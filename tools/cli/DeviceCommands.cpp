// Commands that talk to the telephone system: read, program and reset.
#include "Commands.h"
#include "headless/DeviceSession.h"
#include "history/HistoryRecorder.h"
#include "link/PortMap.h"
#include "link/TraceLog.h"
#include "model/ConfigFile.h"

namespace talvaro::cli {

using namespace talvaro::headless;
namespace {

// The editor and the link as the window holds them, for one device command.
struct Device {
    Device(Io& io, const CommandLine& cmd)
        : io(io), dialogs(io.err), host(dialogs), session(host, dialogs),
          history(HistoryStore::defaultLocation(), &dialogs), recorder(history, dialogs) {
        host.setDeviceType(cmd.deviceType());
        host.setHistory(&recorder);
        if (cmd.isSet(QStringLiteral("trace"))) {
            SerialLink& port = session.link().ComPort1();
            port.setLogFileName(TraceLog::defaultFilePath());
            port.setComLogging(true);
            io.err << "Serielles Protokoll: " << port.trace().fileName() << Qt::endl;
        }
    }

    static void addTraceOption(CommandLine& cmd) {
        cmd.addOption(
            {QStringLiteral("trace"), QStringLiteral("Den seriellen Datenverkehr aufzeichnen.")});
    }

    // --port: only that port is searched. False (with a message) when it names none.
    bool limitPorts(const CommandLine& cmd) {
        const QString port = cmd.value(QStringLiteral("port"));
        if (port.isEmpty() || restrictSearchTo(port) != 0)
            return true;
        dialogs.showMessageBox(MessageIcon::Critical,
                               QStringLiteral("%1: kein solcher Port").arg(port));
        return false;
    }

    // What the window's status bar shows, and the type the editor holds now.
    void printDevice() {
        const quint16 port = session.link().record().portInUse;
        const DeviceType type = host.document().deviceType();
        io.out << host.statusText(StatusPanel::Device) << '\n'
               << "COM" << port << " (" << comPortPath(port) << ")\n"
               << "Gerätetyp " << type << " (" << deviceProfile(type).identity << ")\n";
    }

    // The image as the device holds it, byte for byte.
    bool saveDeviceImage(const QString& path) {
        return writeConfigurationFile(
            path, [this] { return host.workingImage(); }, SaveAsFailedLine, dialogs);
    }

    Io& io;
    TerminalDialogs dialogs;
    HeadlessHost host;
    DeviceSession session;
    HistoryStore history;
    HistoryRecorder recorder;
};

} // namespace

int runRead(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("read"),
                    QStringLiteral("Sucht die Telefonanlage, liest ihre Konfiguration aus und "
                                   "schreibt sie in eine Datei."),
                    {});
    cmd.addTypeOption();
    cmd.addPortOption();
    Device::addTraceOption(cmd);
    cmd.addOutputOption();
    if (const auto status = cmd.parse(args, io))
        return *status;
    Device device(io, cmd);
    if (!device.limitPorts(cmd) || !device.session.read() ||
        !device.saveDeviceImage(cmd.value(QStringLiteral("o"))))
        return ExitFailure;
    device.printDevice();
    return ExitSuccess;
}

int runProgram(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("program"),
                    QStringLiteral("Programmiert die Konfiguration aus einer Datei in die "
                                   "Telefonanlage."),
                    {QStringLiteral("FILE")});
    cmd.addTypeOption();
    cmd.addPortOption();
    Device::addTraceOption(cmd);
    cmd.addOption({QStringLiteral("yes"), QStringLiteral("Warnungen mit \"Ja\" beantworten.")});
    cmd.addOption({QStringLiteral("backup"),
                   QStringLiteral("Vorher die Konfiguration der Anlage in diese Datei sichern."),
                   QStringLiteral("OLD")});
    cmd.addOption({QStringLiteral("verify"),
                   QStringLiteral("Nach dem Neustart zurücklesen und vergleichen.")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    const QString file = cmd.positional(0);
    Device device(io, cmd);
    device.dialogs.setAssumeYes(cmd.isSet(QStringLiteral("yes")));
    if (!device.host.openConfiguration(file) || !device.limitPorts(cmd))
        return ExitFailure;
    // The device is identified (and read) before the file goes into the editor: a
    // sibling model found by the search switches the type, and that resets the editor.
    if (!device.session.read())
        return ExitFailure;
    const QString backup = cmd.value(QStringLiteral("backup"));
    if (!backup.isEmpty() && !device.saveDeviceImage(backup))
        return ExitFailure;
    if (!device.host.openConfiguration(file) || !device.session.program())
        return ExitFailure;
    const QByteArray sent = device.host.workingImage();
    if (cmd.isSet(QStringLiteral("verify"))) {
        if (!device.session.read())
            return ExitFailure;
        if (device.host.images().deviceCopy(device.host.document().deviceType()) != sent) {
            device.dialogs.showMessageBox(
                MessageIcon::Critical,
                QStringLiteral("Die Konfiguration der Telefonanlage weicht von der "
                               "programmierten ab."));
            return ExitFailure;
        }
        io.err << "Die zurückgelesene Konfiguration stimmt überein." << Qt::endl;
    }
    device.printDevice();
    return ExitSuccess;
}

int runReset(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("reset"),
                    QStringLiteral("Setzt die Telefonanlage auf die Werkseinstellungen zurück."),
                    {});
    cmd.addTypeOption();
    cmd.addPortOption();
    Device::addTraceOption(cmd);
    cmd.addOption({QStringLiteral("yes"), QStringLiteral("Die Rückfrage mit \"Ja\" beantworten.")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    Device device(io, cmd);
    device.dialogs.setAssumeYes(cmd.isSet(QStringLiteral("yes")));
    if (!device.limitPorts(cmd) || !device.session.factoryReset())
        return ExitFailure;
    device.printDevice();
    return ExitSuccess;
}

} // namespace talvaro::cli
