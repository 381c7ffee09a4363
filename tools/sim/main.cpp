// talvaro-sim: a telephone system on a pseudo-terminal, for trying the program without
// hardware. Prints the slave path; TALVARO_PORTS=<path> makes it COM1.
#include "sim/LoaderHandler.h"
#include "sim/PtyDevice.h"

#include "model/DeviceTypes.h"
#include "startup/ProgramStart.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

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

bool saveImage(const QString& path, const QByteArray& image) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(image) == image.size() && file.commit();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    installQtTranslations(app);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated telephone system on a pty."));
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
    const QCommandLineOption badChecksum(QStringLiteral("bad-read-checksum"),
                                         QStringLiteral("Send read images with a wrong sum."));
    const QCommandLineOption refuse(QStringLiteral("refuse-byte"),
                                    QStringLiteral("Refuse the K-th image byte of a write (0x15)."),
                                    QStringLiteral("K"));
    const QCommandLineOption rejectRecord(
        QStringLiteral("reject-record"),
        QStringLiteral("Firmware loader: refuse record K so many times, then accept it."),
        QStringLiteral("K:TIMES"));
    const QCommandLineOption silentAfter(
        QStringLiteral("silent-after-record"),
        QStringLiteral("Firmware loader: answer no record after the K-th."), QStringLiteral("K"));
    const QCommandLineOption pace(
        QStringLiteral("pace"), QStringLiteral("Take and give bytes at the speed of 57600 baud."));
    parser.addOptions({type, image, link, silent, identity, noName, badChecksum, refuse, pace,
                       rejectRecord, silentAfter});
    if (const std::optional<int> status =
            parseProgramArguments(parser, QCoreApplication::arguments()))
        return *status;

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
    sim::LoaderOptions loader;
    if (parser.isSet(rejectRecord)) {
        const QStringList parts = parser.value(rejectRecord).split(QLatin1Char(':'));
        if (parts.size() != 2)
            return fail(QStringLiteral("--reject-record takes K:TIMES"));
        loader.faults.rejectRecord = parts[0].toInt();
        loader.faults.rejectTimes = parts[1].toInt();
    }
    if (parser.isSet(silentAfter))
        loader.faults.silentAfterRecord = parser.value(silentAfter).toInt();
    device.withDevice([&](sim::SimDevice& d) {
        sim::installFirmwareLoader(d, loader);
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
    device.start();
    // A programmed image goes back into the image file, as the device keeps it.
    int written = 0;
    while (!stopRequested) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!parser.isSet(image))
            continue;
        const auto [count, stored] = device.withDevice(
            [](sim::SimDevice& d) { return std::make_pair(d.writesCompleted(), d.image()); });
        if (count != written && saveImage(parser.value(image), stored))
            written = count;
    }
    device.stop();
    return 0;
}
