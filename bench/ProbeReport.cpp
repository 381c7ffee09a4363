#include "ProbeReport.h"

#include <QRegularExpression>

#include <ctime>

namespace talvaro::bench {

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QByteArray formatReport(const ProbeReport& report) {
    return "shown_us=" + QByteArray::number(report.shownUs) +
           " hwm_kb=" + QByteArray::number(report.peakKb) + '\n';
}

std::optional<ProbeReport> parseReport(const QByteArray& output) {
    static const QRegularExpression line(QStringLiteral("^shown_us=(\\d+) hwm_kb=(\\d+)$"),
                                         QRegularExpression::MultilineOption);
    const auto match = line.match(QString::fromLocal8Bit(output));
    if (!match.hasMatch())
        return std::nullopt;
    bool shownOk = false, peakOk = false;
    const ProbeReport report{match.captured(1).toLongLong(&shownOk),
                             match.captured(2).toLongLong(&peakOk)};
    if (!shownOk || !peakOk)
        return std::nullopt;
    return report;
}

} // namespace talvaro::bench
