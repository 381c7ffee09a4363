// bench_link: how fast the program reads and programs a telephone system. A 76-byte
// image is programmed into the simulator and read back, again and again, over a pty
// as fast as it goes and then at the pace of a 57600-baud line; the medians are
// printed beside the time the bytes alone need on such a line.
#include "DeviceSession.h"
#include "PtyDevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <vector>

using namespace talvaro;

namespace {

constexpr int Baud = 57600;
constexpr double ByteMs = 10.0 * 1000.0 / Baud; // start, 8 data, stop bit

struct Medians {
    double program = 0;
    double read = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Programs and reads `runs` times on a device found once by the search.
std::optional<Medians> measure(int baud, int runs, QTextStream& report) {
    sim::PtyDevice device(DefaultDeviceType);
    device.setWireRate(baud);
    if (!device.open()) {
        report << "no pty: " << device.errorText() << Qt::endl;
        return std::nullopt;
    }
    qputenv("TALVARO_PORTS", device.slavePath().toLocal8Bit());
    device.start();

    QString messages;
    QTextStream quiet(&messages);
    cli::TerminalDialogs dialogs(quiet);
    dialogs.setRestartDelay(0); // the simulator does not restart
    cli::HeadlessHost host(dialogs);
    host.setDeviceType(DefaultDeviceType);
    cli::DeviceSession session(host, dialogs);
    if (!session.read()) {
        report << "no device: " << messages << Qt::endl;
        return std::nullopt;
    }

    std::vector<double> programs, reads;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        // A different image each time, so every run really changes the device.
        host.model().setValue(QStringLiteral("LMDSpinEditAnzahlRufe"), i % 10);
        clock.start();
        const bool programmed = session.program();
        programs.push_back(clock.nsecsElapsed() / 1e6);
        clock.start();
        const bool read = session.read();
        reads.push_back(clock.nsecsElapsed() / 1e6);
        if (!programmed || !read) {
            report << "run " << i << " failed: " << messages << Qt::endl;
            return std::nullopt;
        }
    }
    device.stop();
    return Medians{median(programs), median(reads)};
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Programs and reads a simulated device; prints the median times."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Repetitions."),
                                        QStringLiteral("N"), QStringLiteral("50"));
    parser.addOption(runsOption);
    parser.process(app);
    const int runs = std::max(1, parser.value(runsOption).toInt());

    QTextStream out(stdout);
    // Program: the write command (9 bytes), 76 image bytes and the checksum out, 78 ACKs
    // back, one step after the other. Read: the read command (9 bytes) out, 77 bytes back.
    const double programWire = (9 + 76 + 1 + 78) * ByteMs;
    const double readWire = (9 + 77) * ByteMs;

    const auto unpaced = measure(0, runs, out);
    if (!unpaced)
        return 1;
    out << QStringLiteral("unpaced pty, %1 runs: program %2 ms, read %3 ms (medians)\n")
               .arg(runs)
               .arg(unpaced->program, 0, 'f', 2)
               .arg(unpaced->read, 0, 'f', 2);

    const auto paced = measure(Baud, runs, out);
    if (!paced)
        return 1;
    out << QStringLiteral("paced %1 baud, %2 runs: program %3 ms (wire %4 ms, %5 %), "
                          "read %6 ms (wire %7 ms, %8 %)\n")
               .arg(Baud)
               .arg(runs)
               .arg(paced->program, 0, 'f', 2)
               .arg(programWire, 0, 'f', 2)
               .arg((paced->program / programWire - 1) * 100, 0, 'f', 1)
               .arg(paced->read, 0, 'f', 2)
               .arg(readWire, 0, 'f', 2)
               .arg((paced->read / readWire - 1) * 100, 0, 'f', 1);
    return 0;
}
