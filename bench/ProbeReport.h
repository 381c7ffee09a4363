#pragma once

#include <QByteArray>

#include <optional>

// What passes between the start-up runner and its probes: the runner puts its spawn time
// (CLOCK_MONOTONIC, ns) into the probe's environment; the probe prints one report line
// among whatever else it writes.
namespace talvaro::bench {

inline constexpr char SpawnTimeVariable[] = "TALVARO_BENCH_SPAWN_NS";

qint64 monotonicNs();

struct ProbeReport {
    qint64 shownUs = 0; // from the spawn until the first window is exposed and painted
    qint64 peakKb = 0;  // VmHWM at that moment
};

QByteArray formatReport(const ProbeReport& report);
// The report line within a probe's output; nothing when there is none.
std::optional<ProbeReport> parseReport(const QByteArray& output);

} // namespace talvaro::bench
