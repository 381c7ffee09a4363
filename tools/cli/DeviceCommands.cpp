// Commands that talk to the telephone system: read, program and reset.
#include "Commands.h"
#include "link/LinkSession.h"
#include "link/PortMap.h"
#include "link/TraceLog.h"
#include "model/ConfigFile.h"
#include "session/DeviceSession.h"
#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"

namespace talvaro::cli {

namespace {

// The editor and the link as the window holds them, for one device command.
struct Device {
    Device(Io& io, const CommandLine& cmd)
        : io(io), ports(searchedPorts(cmd)), dialogs(io.err), editor(dialogs, {ports.ports}),
          session(editor, dialogs) {
        editor.setDeviceType(cmd.deviceType());
        if (cmd.isSet(QStringLiteral("trace"))) {
            SerialLink& port = editor.link().ComPort1();
            port.setLogFileName(TraceLog::defaultFilePath());
            port.setComLogging(true);
            io.err << "Serielles Protokoll: " << port.trace().fileName() << Qt::endl;
        }
    }

    static void addTraceOption(CommandLine& cmd) {
        cmd.addOption(
            {QStringLiteral("trace"), QStringLiteral("Den seriellen Datenverkehr aufzeichnen.")});
    }
    // Writing commands: the device is read and kept in the history first.
    static void addNoBackupOption(CommandLine& cmd) {
        cmd.addOption({QStringLiteral("no-backup"),
                       QStringLiteral("Auch schreiben, wenn die Sicherung vorher nicht gelingt.")});
    }
    void answerQuestions(const CommandLine& cmd) {
        dialogs.setAssumeYes(cmd.isSet(QStringLiteral("yes")));
        dialogs.setWithoutBackup(cmd.isSet(QStringLiteral("no-backup")));
    }

    // False (with a message) when --port names no port.
    bool portsKnown() {
        if (!ports.namesNoPort())
            return true;
        dialogs.showMessageBox(MessageIcon::Critical,
                               QStringLiteral("%1: kein solcher Port").arg(ports.named));
        return false;
    }

    // What the window's status bar shows, and the type the editor holds now.
    void printDevice() {
        const quint16 port = editor.portInUse();
        const DeviceType type = editor.document().deviceType();
        io.out << editor.statusText(StatusPanel::Device) << '\n'
               << "COM" << port << " (" << editor.link().portMap().path(port) << ")\n"
               << "Gerätetyp " << type << " (" << deviceProfile(type).identity << ")\n";
    }

    // The image as the device holds it, byte for byte.
    bool saveDeviceImage(const QString& path) {
        return writeConfigurationFile(
            path, [this] { return editor.workingImage(); }, SaveAsFailedLine, dialogs);
    }

    Io& io;
    SearchedPorts ports;
    TerminalDialogs dialogs;
    EditorSession editor;
    DeviceSession session;
};

} // namespace

SearchedPorts searchedPorts(const CommandLine& cmd) {
    SearchedPorts searched{PortAssignment::fromEnvironment(), cmd.value(QStringLiteral("port"))};
    if (searched.named.isEmpty())
        return searched;
    if (const auto single = searched.ports.onlyPort(searched.named)) {
        searched.ports = single->ports;
        searched.number = single->number;
    }
    return searched;
}

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
    if (!device.portsKnown() || !device.session.read() ||
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
    Device::addNoBackupOption(cmd);
    if (const auto status = cmd.parse(args, io))
        return *status;
    const QString file = cmd.positional(0);
    Device device(io, cmd);
    device.answerQuestions(cmd);
    if (!device.editor.openConfigurationFile(file) || !device.portsKnown())
        return ExitFailure;
    // The device is identified (and read) before the file goes into the editor: a
    // sibling model found by the search switches the type, and that resets the editor.
    if (!device.session.read())
        return ExitFailure;
    const QString backup = cmd.value(QStringLiteral("backup"));
    if (!backup.isEmpty() && !device.saveDeviceImage(backup))
        return ExitFailure;
    if (!device.editor.openConfigurationFile(file) || !device.session.program())
        return ExitFailure;
    const QByteArray sent = device.editor.workingImage();
    if (cmd.isSet(QStringLiteral("verify"))) {
        if (!device.session.read())
            return ExitFailure;
        if (device.editor.images().deviceCopy(device.editor.document().deviceType()) != sent) {
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
    Device::addNoBackupOption(cmd);
    if (const auto status = cmd.parse(args, io))
        return *status;
    Device device(io, cmd);
    device.answerQuestions(cmd);
    if (!device.portsKnown() || !device.session.factoryReset())
        return ExitFailure;
    device.printDevice();
    return ExitSuccess;
}

} // namespace talvaro::cli
