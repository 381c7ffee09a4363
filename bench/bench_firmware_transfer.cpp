// bench_firmware_transfer: the whole transfer of the largest acceptable firmware file to
// the simulated device's loader, paced like a 57600-baud line, with the program's own
// waits; beside the time the bytes need on the wire plus the waits the transfer keeps.
#include "BenchStats.h"
#include "firmware/Decryptfw.h"
#include "firmware/FirmwareTransfer.h"
#include "sim/LoaderHandler.h"
#include "sim/PtyDevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <optional>
#include <vector>

using namespace talvaro;

namespace {

constexpr DeviceType BenchType = 7;
constexpr int Baud = 57600;
constexpr double ByteMs = 10.0 * 1000.0 / Baud; // start, 8 data, stop bit
// 711 records of 17 cipher blocks fill the size limit; each holds the signature (4), a
// write command (6), 261 payload bytes and the terminator.
constexpr int Records = 711;
constexpr int PayloadPerRecord = 261;
constexpr int CrLfLines = 31; // LF-only lines fall 31 bytes short of the limit

QTextStream out(stdout);

// The largest file the check accepts, made by talvaro-efwgen; nothing when it fails.
std::optional<QByteArray> largestFile(const QString& path) {
    QProcess gen;
    gen.start(QStringLiteral(EFWGEN),
              {QStringLiteral("--type"), QString::number(BenchType), QStringLiteral("--chunk"),
               QString::number(PayloadPerRecord), QStringLiteral("--size"),
               QString::number(PayloadPerRecord * Records), QStringLiteral("-o"), path});
    if (!gen.waitForFinished(60000) || gen.exitCode() != 0) {
        out << "talvaro-efwgen failed: " << gen.readAllStandardError() << Qt::endl;
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray text = file.readAll();
    qsizetype at = 0;
    for (int line = 0; line < CrLfLines; ++line) {
        at = text.indexOf('\n', at);
        if (at < 0)
            break; // fewer lines than planned: the size check below refuses the file
        text.insert(at, '\r');
        at += 2;
    }
    TDecryptFirmware check;
    if (text.size() != TDecryptFirmware::MaxFileSize || !check.loadContent(text) ||
        check.fileDeviceType() != int(BenchType)) {
        out << "the bench file is not the largest acceptable type-7 file" << Qt::endl;
        return std::nullopt;
    }
    return text;
}

// Times of one transfer in ms from start(): the progress reports come right before the
// first and the last record is sent, after its drain.
struct Run {
    double firstRecord = 0;
    double lastRecord = 0;
    double typicalRecord = 0; // the median gap between two records, stalls left out
    double finished = 0;
};

// One transfer from start() to finished on a fresh paced device whose loader already
// listens; nothing when it did not end with every record accepted as sent.
std::optional<Run> transferOnce(const QByteArray& content, const QByteArray& stream) {
    sim::PtyDevice device(BenchType);
    device.setWireRate(Baud);
    // The loader stays quiet long past the last record: the device does not restart here.
    const auto loader = device.withDevice([](sim::SimDevice& d) {
        auto reception = sim::installFirmwareLoader(d);
        d.receive("U\r<"); // the link's wake-up, answered '"' and the type byte
        return d.inLoader() ? reception : nullptr;
    });
    if (!loader || !device.open()) {
        out << "no loader on a pty: " << device.errorText() << Qt::endl;
        return std::nullopt;
    }
    device.start();

    FirmwareTransfer transfer;
    QEventLoop loop;
    QElapsedTimer clock;
    Run run;
    TransferResult result = TransferResult::Cancelled;
    int reports = 0;
    // The update's dialog takes every report on the starting thread as well.
    QObject::connect(&transfer, &FirmwareTransfer::progress, &loop, [&] { ++reports; });
    // Noted on the worker thread itself, so that no hand-off delays the time.
    std::vector<double> sent;
    sent.reserve(Records);
    QObject::connect(
        &transfer, &FirmwareTransfer::progress, &loop,
        [&] { sent.push_back(clock.nsecsElapsed() / 1e6); }, Qt::DirectConnection);
    QObject::connect(&transfer, &FirmwareTransfer::finished, &loop, [&](TransferResult r) {
        run.finished = clock.nsecsElapsed() / 1e6;
        result = r;
        loop.quit();
    });
    clock.start();
    transfer.start(content, device.slavePath());
    loop.exec();
    device.stop();

    const bool allAccepted = device.withDevice([&](sim::SimDevice&) {
        return loader->recordsReceived() == Records && loader->acceptedStream() == stream;
    });
    if (result != TransferResult::Done || !allAccepted || reports != Records ||
        sent.size() != size_t(Records)) {
        out << "the transfer did not deliver every record once (result " << int(result) << ", "
            << reports << " progress reports)" << Qt::endl;
        return std::nullopt;
    }
    run.firstRecord = sent.front();
    run.lastRecord = sent.back();
    std::vector<double> gaps;
    for (size_t i = 1; i < sent.size(); ++i)
        gaps.push_back(sent[i] - sent[i - 1]);
    run.typicalRecord = bench::median(gaps);
    return run;
}

QString ms(double value) {
    return QString::number(value, 'f', 1);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Transfers the largest firmware file to a simulated loader paced at "
                       "57600 baud; prints the median beside wire time and fixed waits."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Transfers."),
                                        QStringLiteral("N"), QStringLiteral("3"));
    parser.addOption(runsOption);
    parser.process(app);
    const int runs = std::max(1, parser.value(runsOption).toInt());

    QTemporaryDir dir;
    const auto content = largestFile(dir.filePath(QStringLiteral("largest.efw")));
    if (!content)
        return 1;
    // What the loader must receive: every record as it stands, length field included.
    const QByteArray stream = QByteArray::fromHex(content->simplified().replace(' ', ""));

    std::vector<double> totals, opening, perRecord, typicalRecord, closing;
    for (int i = 0; i < runs; ++i) {
        const auto run = transferOnce(*content, stream);
        if (!run)
            return 1;
        totals.push_back(run->finished);
        opening.push_back(run->firstRecord);
        perRecord.push_back((run->lastRecord - run->firstRecord) / (Records - 1));
        typicalRecord.push_back(run->typicalRecord);
        closing.push_back(run->finished - run->lastRecord);
    }

    // Each record waits for its one-byte reply before the next is drained and sent, so
    // no byte overlaps another, and the line is idle during every wait.
    const TransferTimings t; // the program's own
    const double wireMs = (stream.size() + Records) * ByteMs;
    const double oncePerTransferMs =
        t.afterLinkClosed + t.beforeOpen + t.afterClose + t.afterTransfer;
    // Before each record, the drain's one-byte read finds the line empty and gives up
    // after twice its time-out.
    const double drainMs = Records * 2.0 * t.drainTimeout;
    const double boundMs = wireMs + oncePerTransferMs + drainMs;
    const double median = bench::median(totals);
    // The records are all of one size; each waits for its reply.
    const double recordWireMs = (stream.size() / Records + 1) * ByteMs;
    const double openingWaitsMs = t.afterLinkClosed + t.beforeOpen + 2.0 * t.drainTimeout;
    const double closingWaitsMs = recordWireMs + t.afterClose + t.afterTransfer;
    const double perRecordWaitsMs = recordWireMs + 2.0 * t.drainTimeout;

    out << "firmware transfer: the largest acceptable file (" << content->size()
        << " bytes of hex text, type " << BenchType << "), " << Records << " records, "
        << stream.size() << " record bytes\n"
        << "to the simulated loader on a pty paced at " << Baud
        << " baud, with the program's own waits; " << runs << " runs\n";
    out << "  total       median " << ms(median) << " ms (";
    for (size_t i = 0; i < totals.size(); ++i)
        out << (i ? ", " : "") << ms(totals[i]);
    out << ")\n";
    out << "  wire        " << ms(wireMs) << " ms: (" << stream.size() << " record bytes + "
        << Records << " replies) x 10 bits at " << Baud << " baud\n";
    out << "  fixed waits " << ms(oncePerTransferMs + drainMs) << " ms: " << t.afterLinkClosed
        << " + " << t.beforeOpen << " + " << t.afterClose << " + " << t.afterTransfer << " ms, and "
        << Records << " drains x 2 x " << t.drainTimeout << " ms\n";
    out << "  total / (wire + fixed waits) = " << QString::number(median / boundMs, 'f', 3)
        << "; beyond them " << ms(median - boundMs) << " ms, "
        << QString::number((median - boundMs) / Records * 1000, 'f', 0) << " us per record\n";
    const auto beyond = [](double measured, double bound, int decimals) {
        return QString::number(measured, 'f', decimals) + QStringLiteral(" of ") +
               QString::number(bound, 'f', decimals) + QStringLiteral(" (+") +
               QString::number(measured - bound, 'f', decimals) + QStringLiteral(")");
    };
    out << "  where it goes (medians over the runs, ms measured of ms wire and waits):\n"
        << "    start to first record sent     "
        << beyond(bench::median(opening), openingWaitsMs, 1) << "\n"
        << "    one record to the next, mean   "
        << beyond(bench::median(perRecord), perRecordWaitsMs, 3) << "\n"
        << "    one record to the next, median "
        << beyond(bench::median(typicalRecord), perRecordWaitsMs, 3) << "\n"
        << "    last record sent to end        "
        << beyond(bench::median(closing), closingWaitsMs, 1) << Qt::endl;
    return 0;
}
