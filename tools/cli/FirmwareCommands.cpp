// Firmware files: "firmware check".
#include "Commands.h"
#include "firmware/Decryptfw.h"

namespace talvaro::cli {
namespace {

int runCheck(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("firmware check"),
                    QStringLiteral("Prüft eine Firmwaredatei und nennt den Gerätetyp, für den "
                                   "sie gemacht ist."),
                    {QStringLiteral("FILE.efw")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    TDecryptFirmware firmware;
    if (!firmware.loadFile(cmd.positional(0))) {
        io.err << "Fehlerhafte Firmwaredatei!" << Qt::endl;
        return ExitFailure;
    }
    const auto type = static_cast<DeviceType>(firmware.fileDeviceType());
    io.out << "Gerätetyp " << type << " (" << deviceProfile(type).identity << ")\n";
    return ExitSuccess;
}

} // namespace

int runFirmware(const QStringList& args, Io& io) {
    const QString sub = args.value(0);
    if (sub == QLatin1String("check"))
        return runCheck(args.mid(1), io);
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h")) {
        io.out << "Aufruf: talvaro-cli firmware check FILE.efw\n";
        return ExitSuccess;
    }
    return usageError(io, QStringLiteral("firmware"),
                      QStringLiteral("unbekannter Befehl \"%1\"").arg(sub));
}

} // namespace talvaro::cli
