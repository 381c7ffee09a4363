// talvaro-cli ports --watch: a line for every serial port that comes or goes, until
// interrupted.
#include "Commands.h"
#include "link/PortListing.h"
#include "link/PortMap.h"
#include "link/PortWatcher.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace talvaro::cli {
namespace {

int quitPipe[2] = {-1, -1};

void writeToQuitPipe(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(quitPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop rather than the process, so that the watch ends
// cleanly and with status 0. The handler only writes a byte into a pipe; the loop reads it.
class QuitOnSignals {
public:
    QuitOnSignals() {
        if (::pipe2(quitPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(quitPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated,
                         [] { QCoreApplication::quit(); });
        struct sigaction action {};
        action.sa_handler = writeToQuitPipe;
        sigemptyset(&action.sa_mask);
        for (const int signal : {SIGINT, SIGTERM})
            ::sigaction(signal, &action, nullptr);
    }
    ~QuitOnSignals() {
        for (const int signal : {SIGINT, SIGTERM})
            std::signal(signal, SIG_DFL);
        m_notifier.reset();
        for (int& fd : quitPipe)
            if (fd >= 0)
                ::close(std::exchange(fd, -1));
    }
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

QString now() {
    return QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
}

// "COM3 /dev/ttyUSB0" when the port map gives it a number, else the path alone.
QString portName(const QString& path, const QStringList& comPaths) {
    const qsizetype index = comPaths.indexOf(path);
    return index < 0 ? path : QStringLiteral("COM%1 %2").arg(index + 1).arg(path);
}

// A port that came: its name, what it says of itself and what keeps it from use.
void printAppeared(Io& io, const PortAssignment& ports, const QString& path) {
    // Listed anew: the port that came may have changed the system's numbering.
    const QStringList comPaths = ports.current().paths();
    const qsizetype index = comPaths.indexOf(path);
    const quint16 number = index < 0 ? 0 : static_cast<quint16>(index + 1);
    const PortState state = PortDiagnosis().run({{number, path}}).ports.value(0);
    io.out << now() << " angeschlossen: " << portName(path, comPaths) << '\t'
           << portStatusText(state) << '\n';
    if (const QString adapter = usbDeviceText(state.usb); !adapter.isEmpty())
        io.out << '\t' << adapter << '\n';
    for (const PortFinding& finding : state.findings)
        io.out << '\t' << findingText(finding) << '\n';
    io.out.flush();
}

} // namespace

int watchPorts(Io& io) {
    QuitOnSignals quit;
    const PortAssignment ports = PortAssignment::fromEnvironment();
    PortWatcher watcher;
    if (ports.isFixed())
        watcher.setPortPaths(ports.current().paths());
    QObject::connect(&watcher, &PortWatcher::portAppeared,
                     [&io, &ports](const QString& path) { printAppeared(io, ports, path); });
    QObject::connect(&watcher, &PortWatcher::portDisappeared, [&io](const QString& path) {
        io.out << now() << " entfernt: " << path << Qt::endl;
    });
    watcher.start();
    io.err << "Warte auf serielle Anschlüsse; Strg+C beendet." << Qt::endl;
    QCoreApplication::exec();
    return ExitSuccess;
}

} // namespace talvaro::cli
