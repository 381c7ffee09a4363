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
#include <QTranslator>

#include <atomic>
#include <chrono>
#include <csignal>
#include <optional>
#include <thread>
#include <tuple>
#include <utility>

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

// "K:N" as two numbers.
std::optional<std::pair<int, int>> numberPair(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    bool first = false;
    bool second = false;
    const int k = parts.value(0).toInt(&first);
    const int n = parts.value(1).toInt(&second);
    if (parts.size() != 2 || !first || !second)
        return std::nullopt;
    return std::pair{k, n};
}

bool saveImage(const QString& path, const QByteArray& image) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(image) == image.size() && file.commit();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTranslator qtTexts;
    installQtTranslations(qtTexts);
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
    // Steps of a write: 0 the command, 1..N the image bytes, N + 1 the checksum.
    const QCommandLineOption refuse(
        QStringLiteral("refuse-byte"),
        QStringLiteral("Refuse step K of a write (0x15): 0 the command, 1..N the image "
                       "bytes, N+1 the checksum."),
        QStringLiteral("K"));
    const QCommandLineOption spareAcks(
        QStringLiteral("spare-acks"),
        QStringLiteral("After the answer to step K of a write, send so many ACKs more."),
        QStringLiteral("K:COUNT"));
    const QCommandLineOption lateAck(QStringLiteral("late-ack"),
                                     QStringLiteral("Answer step K of a write so many ms late."),
                                     QStringLiteral("K:MS"));
    const QCommandLineOption nakReply(
        QStringLiteral("nak-reply"),
        QStringLiteral("Send 0x15 instead of the N-th answer (from 0), whatever it answers."),
        QStringLiteral("N"));
    const QCommandLineOption rejectRecord(
        QStringLiteral("reject-record"),
        QStringLiteral("Firmware loader: refuse record K so many times, then accept it."),
        QStringLiteral("K:TIMES"));
    const QCommandLineOption silentAfter(
        QStringLiteral("silent-after-record"),
        QStringLiteral("Firmware loader: answer no record after the K-th."), QStringLiteral("K"));
    const QCommandLineOption chatterAfter(
        QStringLiteral("chatter-after-record"),
        QStringLiteral("Firmware loader: once K records are accepted, send noise without end."),
        QStringLiteral("K"));
    const QCommandLineOption pace(
        QStringLiteral("pace"), QStringLiteral("Take and give bytes at the speed of 57600 baud."));
    parser.addOptions({type, image, link, silent, identity, noName, badChecksum, refuse, spareAcks,
                       lateAck, nakReply, pace, rejectRecord, silentAfter, chatterAfter});
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
    sim::SimFaults faults;
    const std::pair<const QCommandLineOption&, std::pair<int*, int*>> pairs[] = {
        {rejectRecord, {&loader.faults.rejectRecord, &loader.faults.rejectTimes}},
        {spareAcks, {&faults.spareAckStep, &faults.spareAcks}},
        {lateAck, {&faults.lateStep, &faults.lateMs}},
    };
    for (const auto& [option, targets] : pairs) {
        if (!parser.isSet(option))
            continue;
        const std::optional<std::pair<int, int>> pair = numberPair(parser.value(option));
        if (!pair)
            return fail(QStringLiteral("--%1 takes %2")
                            .arg(option.names().constFirst(), option.valueName()));
        std::tie(*targets.first, *targets.second) = *pair;
    }
    if (parser.isSet(silentAfter))
        loader.faults.silentAfterRecord = parser.value(silentAfter).toInt();
    if (parser.isSet(chatterAfter))
        loader.faults.chatterAfterRecord = parser.value(chatterAfter).toInt();
    if (parser.isSet(nakReply)) {
        faults.garbageReply = parser.value(nakReply).toInt();
        faults.garbage = QByteArray(1, sim::SimDevice::Nak);
    }
    device.withDevice([&](sim::SimDevice& d) {
        sim::installFirmwareLoader(d, loader);
        sim::SimFaults& f = d.faults();
        f = faults;
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
