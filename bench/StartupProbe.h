#pragma once

#include <QApplication>

// The application object of the start-up probes: when the first window has been exposed
// and painted, it prints the time since the runner spawned the process and the peak
// memory so far, then quits.
namespace talvaro::bench {

class ProbeApplication : public QApplication {
public:
    ProbeApplication(int& argc, char** argv);

    // Base notify first, so that the first paint after the expose is counted.
    bool notify(QObject* receiver, QEvent* event) override;

    // 2 when the runner's spawn time is missing.
    int exec();

private:
    qint64 m_spawnNs = -1;
    bool m_reported = false;
};

} // namespace talvaro::bench
