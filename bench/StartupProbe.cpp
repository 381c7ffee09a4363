#include "StartupProbe.h"
#include "ProbeReport.h"

#include <QFile>
#include <QWindow>

#include <cstdio>

namespace talvaro::bench {
namespace {

// The peak resident set so far, in kB; -1 when /proc is not there.
qint64 peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

ProbeApplication::ProbeApplication(int& argc, char** argv) : QApplication(argc, argv) {
    bool ok = false;
    const qint64 spawn = qEnvironmentVariable(SpawnTimeVariable).toLongLong(&ok);
    if (ok)
        m_spawnNs = spawn;
}

bool ProbeApplication::notify(QObject* receiver, QEvent* event) {
    const bool handled = QApplication::notify(receiver, event);
    if (!m_reported && event->type() == QEvent::Expose && receiver->isWindowType() &&
        static_cast<QWindow*>(receiver)->isExposed()) {
        m_reported = true;
        const QByteArray line =
            formatReport({(monotonicNs() - m_spawnNs) / 1000, peakResidentKb()});
        std::fputs(line.constData(), stdout);
        std::fflush(stdout);
        QMetaObject::invokeMethod(this, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    return handled;
}

int ProbeApplication::exec() {
    if (m_spawnNs < 0) {
        std::fprintf(stderr, "start this probe through bench_startup (%s is not set)\n",
                     SpawnTimeVariable);
        return 2;
    }
    return QApplication::exec();
}

} // namespace talvaro::bench
