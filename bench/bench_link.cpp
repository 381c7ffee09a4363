// bench_link: how fast a configuration travels to a telephone system and back. One round
// trip programs a 76-byte image into the simulator over a pty, reads it back and compares
// it with what was sent; it runs as fast as the pty allows and then at the pace of a
// 57600-baud line, beside the time the bytes alone need on such a line.
#include "BenchStats.h"
#include "link/LinkTypes.h"
#include "session/DeviceSession.h"
#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"
#include "sim/PtyDevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <optional>
#include <vector>

using namespace talvaro;

namespace {

constexpr int Baud = 57600;
constexpr double ByteMs = 10.0 * 1000.0 / Baud; // start, 8 data, stop bit

struct Samples {
    std::vector<double> roundTrip, program, read;
};

// Bytes on the line, one after the other: programming waits for an ACK after the command,
// after every image byte and after the checksum; reading sends the command and receives
// image and checksum.
struct WireBytes {
    int program = 0;
    int read = 0;
    int programSteps = 0; // command, image bytes, checksum
};

WireBytes wireBytes(const Document& document) {
    const int image = int(document.readPacketSize()) - 1;
    return {int(document.writeCommand().size()) + (image + 1) + (image + 2),
            int(document.readCommand().size()) + int(document.readPacketSize()), image + 2};
}

QString ms(double value) {
    return QString::number(value, 'f', 2);
}

// Runs `runs` round trips on a device found once by the search (not timed).
// With `history`, each programming first identifies the device again and reads it as
// its backup, as the program does; without, it only writes.
std::optional<Samples> measure(int baud, int runs, bool history, WireBytes& wire,
                               QTextStream& report) {
    sim::PtyDevice device(DefaultDeviceType);
    device.setWireRate(baud);
    if (!device.open()) {
        report << "no pty: " << device.errorText() << Qt::endl;
        return std::nullopt;
    }
    device.start();

    QString messages;
    QTextStream quiet(&messages);
    TerminalDialogs dialogs(quiet);
    dialogs.setRestartDelay(0); // the simulator does not restart
    // COM1 is the simulator; a history is a folder of the benchmark's own.
    QTemporaryDir historyFolder;
    EditorSession host(
        dialogs, {.ports = PortAssignment(PortMap({device.slavePath()})),
                  .historyRoot = history ? std::optional(historyFolder.path()) : std::nullopt});
    host.setDeviceType(DefaultDeviceType);
    DeviceSession session(host, dialogs);
    if (!session.read()) {
        report << "no device: " << messages << Qt::endl;
        return std::nullopt;
    }
    wire = wireBytes(host.document());

    Samples samples;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        // A different image each time, so every run really changes the device.
        host.model().setValue(QStringLiteral("LMDSpinEditAnzahlRufe"), i % 10);
        clock.start();
        const bool programmed = session.program();
        const double programMs = clock.nsecsElapsed() / 1e6;
        const QByteArray sent = host.workingImage();
        const bool read = session.read();
        const bool same =
            sent == host.workingImage() &&
            sent == device.withDevice([](const sim::SimDevice& d) { return d.image(); });
        const double totalMs = clock.nsecsElapsed() / 1e6;
        if (!programmed || !read || !same) {
            report << "run " << i << (same ? " failed: " : " read back a different image: ")
                   << messages << Qt::endl;
            return std::nullopt;
        }
        samples.roundTrip.push_back(totalMs);
        samples.program.push_back(programMs);
        samples.read.push_back(totalMs - programMs);
    }
    device.stop();
    return samples;
}

void printRow(QTextStream& out, const QString& name, const Samples& s, const QString& wire) {
    out << qSetFieldWidth(16) << Qt::left << name << qSetFieldWidth(9) << Qt::right
        << ms(bench::median(s.roundTrip)) << ms(bench::percentile90(s.roundTrip))
        << ms(bench::median(s.program)) << ms(bench::median(s.read)) << wire << qSetFieldWidth(0)
        << "\n";
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Programs a simulated device, reads it back and compares; prints median and p90."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Round trips."),
                                        QStringLiteral("N"), QStringLiteral("50"));
    const QCommandLineOption historyOption(
        QStringLiteral("history"),
        QStringLiteral("Keep a history: each programming identifies the device again and "
                       "reads its backup first."));
    parser.addOption(runsOption);
    parser.addOption(historyOption);
    parser.process(app);
    const int runs = std::max(1, parser.value(runsOption).toInt());
    const bool history = parser.isSet(historyOption);

    QTextStream out(stdout);
    WireBytes wire;
    const auto unpaced = measure(0, runs, history, wire, out);
    if (!unpaced)
        return 1;
    const auto paced = measure(Baud, runs, history, wire, out);
    if (!paced)
        return 1;
    if (history)
        out << "with a history: every programming identifies the device again and reads its "
               "backup first (the wire figures below leave that out)\n";

    // The least a write can take: its bytes on the wire, and after the checksum's ACK one
    // tick for the line to stay quiet.
    const double programFloor = wire.program * ByteMs + TickMs;
    const double roundTripWire = (wire.program + wire.read) * ByteMs;
    out << "round trip: program a 76-byte image, read it back, compare; " << runs
        << " runs each, ms\n";
    out << qSetFieldWidth(16) << Qt::left << "" << qSetFieldWidth(9) << Qt::right << "median"
        << "p90"
        << "program"
        << "read"
        << "wire" << qSetFieldWidth(0) << "\n";
    printRow(out, QStringLiteral("unpaced pty"), *unpaced, QStringLiteral("-"));
    printRow(out, QStringLiteral("paced %1").arg(Baud), *paced, ms(roundTripWire));
    out << "paced round trip / wire: "
        << QString::number(bench::median(paced->roundTrip) / roundTripWire, 'f', 2)
        << "; programming spends "
        << QString::number(
               (bench::median(paced->program) - programFloor) / wire.programSteps * 1000, 'f', 0)
        << " us per acknowledged byte beyond the wire and the tick of quiet after the last ("
        << wire.programSteps << " steps)\n"
        << "(program and read are medians of their own parts; wire = " << wire.program << " + "
        << wire.read << " bytes at 10 bits each)" << Qt::endl;
    return 0;
}
