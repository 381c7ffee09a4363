// bench_startup: start-up time to the first shown window and peak memory of the program,
// beside a minimal Qt Widgets window. Both probes run as separate processes, in turns,
// after one unmeasured warm-up each; the probes report when their window was exposed and
// painted, the runner adds the peak memory of the whole process from wait4().
#include "BenchStats.h"
#include "ProbeReport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

#include <cerrno>
#include <cstring>
#include <optional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace talvaro;

struct Run {
    double shownMs = 0;    // spawn until the first window is exposed and painted
    double exitMs = 0;     // spawn until the process has ended
    double shownHwmMb = 0; // VmHWM when shown
    double maxRssMb = 0;   // ru_maxrss over the whole process
};

struct Probe {
    QString name;
    QString path;
    std::vector<Run> runs;
};

// One process of the probe; nothing when it failed or reported nothing.
std::optional<Run> runOnce(const QString& path, const QStringList& extraEnvironment,
                           QTextStream& err) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO); // shown on failure
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);

    std::vector<QByteArray> envStore;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    for (const QString& entry : extraEnvironment)
        envStore.push_back(entry.toLocal8Bit());
    const QByteArray program = path.toLocal8Bit();
    char* argv[] = {const_cast<char*>(program.constData()), nullptr};

    // The spawn time goes last and is taken as late as possible.
    envStore.push_back(QByteArray(bench::SpawnTimeVariable) + '=');
    std::vector<char*> envp;
    for (QByteArray& entry : envStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const qint64 spawnNs = bench::monotonicNs();
    envStore.back() += QByteArray::number(spawnNs);
    envp[envStore.size() - 1] = envStore.back().data();

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        err << "cannot start " << path << ": " << strerror(spawned) << Qt::endl;
        return std::nullopt;
    }
    QByteArray output;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            output.append(buffer, n);
        else if (errno != EINTR)
            break;
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    const qint64 exitNs = bench::monotonicNs();

    const auto report = bench::parseReport(output);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !report) {
        err << path << " failed (status " << status << "): " << output << Qt::endl;
        return std::nullopt;
    }
    return Run{report->shownUs / 1e3, (exitNs - spawnNs) / 1e6, report->peakKb / 1024.0,
               usage.ru_maxrss / 1024.0};
}

template <typename Field> std::vector<double> column(const Probe& probe, Field field) {
    std::vector<double> values;
    for (const Run& run : probe.runs)
        values.push_back(run.*field);
    return values;
}

QString figure(double value) {
    return QString::number(value, 'f', 1);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Start-up to the first shown window and peak memory, beside a minimal Qt window."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Processes per probe."), QStringLiteral("N"),
                                        QStringLiteral("20"));
    const QCommandLineOption platformOption(
        QStringLiteral("platform"),
        QStringLiteral("QT_QPA_PLATFORM of the probes (xcb needs a display, e.g. xvfb-run)."),
        QStringLiteral("name"), QStringLiteral("offscreen"));
    parser.addOptions({runsOption, platformOption});
    parser.process(app);
    const int runs = std::max(1, parser.value(runsOption).toInt());
    const QString platform = parser.value(platformOption);

    QTextStream out(stdout);
    QTextStream err(stderr);
    // A settings folder of its own, so the user's settings are neither read nor changed.
    QTemporaryDir config;
    const QStringList environment{QStringLiteral("QT_QPA_PLATFORM=") + platform,
                                  QStringLiteral("XDG_CONFIG_HOME=") + config.path()};
    const QDir here(QCoreApplication::applicationDirPath());
    std::vector<Probe> probes{
        {QStringLiteral("minimal Qt"), here.filePath(QStringLiteral("bench_startup_minimal")), {}},
        {QStringLiteral("talvaro"), here.filePath(QStringLiteral("bench_startup_talvaro")), {}}};

    for (int i = -1; i < runs; ++i) {
        for (Probe& probe : probes) {
            const auto run = runOnce(probe.path, environment, err);
            if (!run)
                return 1;
            if (i >= 0) // the first round only warms the caches
                probe.runs.push_back(*run);
        }
    }

    out << "start-up, QT_QPA_PLATFORM=" << platform << ", " << runs
        << " processes each after one warm-up; ms and MB\n";
    out << qSetFieldWidth(18) << Qt::left << "" << qSetFieldWidth(10) << Qt::right << "shown"
        << "shown p90"
        << "exited"
        << "VmHWM"
        << "maxrss" << qSetFieldWidth(0) << "\n";
    std::vector<std::vector<double>> medians;
    for (const Probe& probe : probes) {
        const std::vector<double> row{bench::median(column(probe, &Run::shownMs)),
                                      bench::percentile90(column(probe, &Run::shownMs)),
                                      bench::median(column(probe, &Run::exitMs)),
                                      bench::median(column(probe, &Run::shownHwmMb)),
                                      bench::median(column(probe, &Run::maxRssMb))};
        out << qSetFieldWidth(18) << Qt::left << probe.name << qSetFieldWidth(10) << Qt::right;
        for (const double value : row)
            out << figure(value);
        out << qSetFieldWidth(0) << "\n";
        medians.push_back(row);
    }
    out << qSetFieldWidth(18) << Qt::left << "talvaro / minimal" << qSetFieldWidth(10) << Qt::right;
    for (size_t c = 0; c < medians[0].size(); ++c)
        out << QString::number(medians[0][c] > 0 ? medians[1][c] / medians[0][c] : 0, 'f', 2);
    out << qSetFieldWidth(0) << "\n"
        << "(shown: spawn until the first window is exposed and painted; exited: until the "
           "process is reaped; VmHWM: peak resident set when shown; maxrss: over the whole "
           "process)"
        << Qt::endl;
    return 0;
}
