// talvaro-sim: a telephone system on a pseudo-terminal, for trying the program without
// hardware. Prints the slave path; TALVARO_PORTS=<path> makes it COM1.
#include "PtyDevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <atomic>
#include <csignal>

using namespace talvaro;

namespace {

std::atomic_bool stopRequested{false};

void requestStop(int) {
    stopRequested = true;
}

int fail(const QString& message) {
    QTextStream(stderr) << "talvaro-sim: " << message << Qt::endl;
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated telephone system on a pty."));
    parser.addHelpOption();
    const QCommandLineOption type(QStringLiteral("type"), QStringLiteral("Device type 0..7."),
                                  QStringLiteral("N"));
    const QCommandLineOption image(QStringLiteral("image"),
                                   QStringLiteral("Configuration image (raw, as in .tkx)."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Symbolic link to the pty slave."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption silent(QStringLiteral("silent"), QStringLiteral("Answer nothing."));
    const QCommandLineOption identity(QStringLiteral("identity"),
                                      QStringLiteral("Answer this identity to \"T\"."),
                                      QStringLiteral("TEXT"));
    const QCommandLineOption noName(QStringLiteral("no-name"),
                                    QStringLiteral("Do not answer \"C\"."));
    const QCommandLineOption badChecksum(QStringLiteral("bad-checksum"),
                                         QStringLiteral("Send read images with a wrong sum."));
    const QCommandLineOption refuse(
        QStringLiteral("refuse"),
        QStringLiteral("Refuse write step K (0 command, 1..N image byte, N+1 checksum)."),
        QStringLiteral("K"));
    const QCommandLineOption pace(
        QStringLiteral("pace"), QStringLiteral("Take and give bytes at the speed of 57600 baud."));
    parser.addOptions({type, image, link, silent, identity, noName, badChecksum, refuse, pace});
    parser.process(app);

    bool ok = false;
    const uint code = parser.value(type).toUInt(&ok);
    if (!ok || !isDefinedDeviceType(code))
        return fail(QStringLiteral("--type must be 0..7"));

    sim::PtyDevice device(code);
    if (parser.isSet(image)) {
        QFile file(parser.value(image));
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1").arg(file.fileName()));
        if (!device.withDevice([&](sim::SimDevice& d) { return d.setImage(file.readAll()); }))
            return fail(QStringLiteral("%1 is no image of type %2").arg(file.fileName()).arg(code));
    }
    device.withDevice([&](sim::SimDevice& d) {
        sim::SimFaults& f = d.faults();
        f.silent = parser.isSet(silent);
        if (parser.isSet(identity))
            f.identity = parser.value(identity).toLatin1();
        f.noName = parser.isSet(noName);
        f.badChecksum = parser.isSet(badChecksum);
        if (parser.isSet(refuse))
            f.refuseWriteStep = parser.value(refuse).toInt();
    });

    if (parser.isSet(pace))
        device.setWireRate(57600);
    if (!device.open())
        return fail(device.errorText());
    if (parser.isSet(link) && !device.linkTo(parser.value(link)))
        return fail(device.errorText());
    QTextStream(stdout) << device.slavePath() << Qt::endl;

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    device.run(stopRequested);
    return 0;
}
