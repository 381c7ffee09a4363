// Firmware files: "firmware check" and "firmware install".
#include "Commands.h"
#include "firmware/Decryptfw.h"
#include "firmware/FirmwareUpdate.h"
#include "model/FileErrors.h"
#include "session/DeviceSession.h"

#include "link/LinkSession.h"
#include "session/EditorSession.h"
#include "session/TerminalDialogs.h"

#include <QEventLoop>
#include <QTimer>

#include <unistd.h>

namespace talvaro::cli {

namespace {

// The firmware dialog's progress bar on a terminal; in a log or a pipe, where a
// redrawn bar would be one long line, a line at each quarter.
class TerminalProgress : public FirmwareView {
public:
    explicit TerminalProgress(QTextStream& err) : m_err(err), m_terminal(isatty(STDERR_FILENO)) {}

    void transferStarting() override {}
    void setProgress(int percent) override {
        m_started = true;
        if (!m_terminal) {
            for (; m_quarterShown < percent / 25; ++m_quarterShown)
                m_err << "Firmware: " << (m_quarterShown + 1) * 25 << " %" << Qt::endl;
            return;
        }
        constexpr int Width = 40;
        const int filled = percent * Width / 100;
        m_err << "\rFirmware [" << QString(filled, QLatin1Char('#'))
              << QString(Width - filled, QLatin1Char('.')) << "] " << percent << " %" << Qt::flush;
    }
    void transferEnded() override {
        if (m_started && m_terminal)
            m_err << Qt::endl;
    }
    void closeDialog() override {}

private:
    QTextStream& m_err;
    const bool m_terminal;
    bool m_started = false;
    int m_quarterShown = 0;
};

// The loader answers within ten seconds and the transfer of the largest file takes a
// few minutes; the search afterwards about twenty seconds at most.
constexpr int UpdateLimitMs = 15 * 60 * 1000;

// Waits until the transfer has ended and the search and read after it have too; true
// when both went well. Past the limit a transfer still running is cancelled: its port is
// closed and nothing more is sent before the program ends.
bool updateAndSearchSucceed(EditorSession& host, TerminalDialogs& dialogs) {
    FirmwareUpdate& update = host.firmwareUpdate();
    std::optional<bool> transferred;
    std::optional<ExchangeResult> searched;
    QEventLoop loop;
    const auto quitWhenBoth = [&] {
        if (transferred && searched)
            loop.quit();
    };
    QObject::connect(&update, &FirmwareUpdate::updateEnded, &loop, [&](bool done) {
        transferred = done;
        quitWhenBoth();
    });
    QObject::connect(&host, &EditorSession::exchangeFinished, &loop, [&](ExchangeResult result) {
        searched = result;
        quitWhenBoth();
    });
    QTimer::singleShot(UpdateLimitMs, &loop, &QEventLoop::quit);
    loop.exec();
    if (transferred && searched)
        return *transferred && *searched == ExchangeResult::Ok;
    update.cancelTransfer();
    host.link().exchange().abort(ExchangeResult::NoAnswer);
    dialogs.showMessageBox(MessageIcon::Critical,
                           QStringLiteral("Die Telefonanlage hat nicht geantwortet."));
    return false;
}

// The dialog's "Fehlerhafte Firmwaredatei!" would hide a missing or unreadable file.
bool firmwareFileReadable(const QString& path, Io& io) {
    const std::optional<QString> problem = openProblem(path, QIODevice::ReadOnly);
    if (problem)
        io.err << *problem << Qt::endl;
    return !problem;
}

int runCheck(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("firmware check"),
                    QStringLiteral("Prüft eine Firmwaredatei und nennt den Gerätetyp, für den "
                                   "sie gemacht ist."),
                    {QStringLiteral("FILE.efw")});
    if (const auto status = cmd.parse(args, io))
        return *status;
    if (!firmwareFileReadable(cmd.positional(0), io))
        return ExitFailure;
    TDecryptFirmware firmware;
    if (!firmware.loadFile(cmd.positional(0))) {
        io.err << "Fehlerhafte Firmwaredatei!" << Qt::endl;
        return ExitFailure;
    }
    const auto type = static_cast<DeviceType>(firmware.fileDeviceType());
    io.out << "Gerätetyp " << type << " (" << deviceProfile(type).identity << ")\n";
    return ExitSuccess;
}

int runInstall(const QStringList& args, Io& io) {
    CommandLine cmd(QStringLiteral("firmware install"),
                    QStringLiteral("Spielt neue Firmware in die Telefonanlage ein und liest "
                                   "danach ihre Konfiguration aus."),
                    {QStringLiteral("FILE.efw")});
    cmd.addTypeOption();
    cmd.addPortOption();
    if (const auto status = cmd.parse(args, io))
        return *status;
    // Before the search: a file that cannot be read needs no device.
    if (!firmwareFileReadable(cmd.positional(0), io))
        return ExitFailure;
    const SearchedPorts ports = searchedPorts(cmd);
    if (ports.namesNoPort()) {
        io.err << ports.named << ": kein solcher Port" << Qt::endl;
        return ExitFailure;
    }
    TerminalDialogs dialogs(io.err);
    // The reads before and after the update are kept in the history, as the window keeps them.
    EditorSession host(dialogs, {ports.ports});
    host.setDeviceType(cmd.deviceType());
    DeviceSession session(host, dialogs);
    FirmwareUpdate& update = host.firmwareUpdate();
    TerminalProgress progress(io.err);
    update.setView(&progress);

    // As the window at its start: the device is searched for and identified first. A
    // device that does not answer any more (a failed update) is reached through the
    // port given, as through the window's port dialog.
    if (!session.read() && ports.named.isEmpty())
        return ExitFailure;
    dialogs.setPortChoice(ports.number);

    // The loader's handshake is an exchange of its own; the transfer starts once it has
    // ended well. A file or port refused ends it before it begins, with its message.
    if (!session.run([&] { update.OKBtnClick(cmd.positional(0)); }) ||
        !updateAndSearchSucceed(host, dialogs))
        return ExitFailure;
    io.out << host.statusText(StatusPanel::Device) << '\n';
    return ExitSuccess;
}

} // namespace

int runFirmware(const QStringList& args, Io& io) {
    const QString sub = args.value(0);
    if (sub == QLatin1String("check"))
        return runCheck(args.mid(1), io);
    if (sub == QLatin1String("install"))
        return runInstall(args.mid(1), io);
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h")) {
        io.out << "Aufruf: talvaro-cli firmware check FILE.efw\n"
                  "       talvaro-cli firmware install FILE.efw --type N [--port P]\n";
        return ExitSuccess;
    }
    return usageError(io, QStringLiteral("firmware"),
                      QStringLiteral("unbekannter Befehl \"%1\"").arg(sub));
}

} // namespace talvaro::cli
