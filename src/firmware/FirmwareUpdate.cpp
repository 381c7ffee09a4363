#include "FirmwareUpdate.h"

#include "link/LinkPort.h"
#include "link/PortMap.h"
#include "model/Dialogs.h"
#include "model/Document.h"

#include <utility>

namespace talvaro {
namespace {

constexpr int PortProbeMs = 100; // a listed port stays open this long

enum class FlowMessage { NoFile, BadFile, WrongType, NoFreePort, NoPortChosen, PortNotOpened };

struct FlowMessageText {
    FlowMessage message;
    MessageIcon icon;
    const char* text;
};

constexpr FlowMessageText FlowMessages[] = {
    {FlowMessage::NoFile, MessageIcon::Warning, "Keine Datei ausgewählt"},
    {FlowMessage::BadFile, MessageIcon::Critical, "Fehlerhafte Firmwaredatei!"},
    {FlowMessage::WrongType, MessageIcon::Critical,
     "Gerätetyp und Typ der Firmwaredatei stimmen nicht überein!"},
    {FlowMessage::NoFreePort, MessageIcon::Warning,
     "Keine freie COM-Schnittstelle gefunden.\r\nFirmware Update kann nicht gestartet werden."},
    {FlowMessage::NoPortChosen, MessageIcon::Warning,
     "Keine COM-Schnittstelle gewählt, oder die\r\nSchnittstelle ist belegt.\r\nFirmware Update "
     "kann nicht gestartet werden."},
    {FlowMessage::PortNotOpened, MessageIcon::Warning,
     "COM-Schnittstelle kann nicht initialisiert werden.\r\nFirmware Update kann nicht gestartet "
     "werden."},
};

void show(Dialogs& dialogs, FlowMessage message) {
    for (const FlowMessageText& entry : FlowMessages) {
        if (entry.message == message) {
            dialogs.showMessageBox(entry.icon, QString::fromUtf8(entry.text));
            return;
        }
    }
}

// Stands in until the dialog attaches itself.
class NoView : public FirmwareView {
public:
    void transferStarting() override {}
    void setProgress(int) override {}
    void transferEnded() override {}
    void closeDialog() override {}
};

NoView noView;

QString comName(quint16 number) {
    return QStringLiteral("COM") + QString::number(number);
}

} // namespace

FirmwareUpdate::FirmwareUpdate(FirmwareHost& host, Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_host(host), m_dialogs(dialogs), m_view(&noView) {
    TimerFWUpdate.setInterval(StartTimeoutMs);
    connect(&TimerFWUpdate, &QTimer::timeout, this, &FirmwareUpdate::TimerFWUpdateTimer);
    connect(&m_transfer, &FirmwareTransfer::progress, this,
            [this](int percent) { m_view->setProgress(percent); });
    connect(&m_transfer, &FirmwareTransfer::finished, this, &FirmwareUpdate::transferFinished);
}

void FirmwareUpdate::setView(FirmwareView* view) {
    m_view = view ? view : &noView;
}

QString FirmwareUpdate::chooseFile() {
    return m_dialogs.getOpenFileName(m_host.document().firmwareOpenRequest());
}

void FirmwareUpdate::OKBtnClick(const QString& fileName) {
    // "Start" waits while the loader is being woken and while the transfer runs.
    if (m_awaitingLoader || m_busy)
        return;
    if (fileName.isEmpty())
        return show(m_dialogs, FlowMessage::NoFile);
    const std::optional<QByteArray> content = readFirmwareFile(fileName);
    if (!content || !m_decrypt.loadContent(*content))
        return show(m_dialogs, FlowMessage::BadFile);
    if (DeviceType(m_decrypt.fileDeviceType()) != m_host.document().deviceType())
        return show(m_dialogs, FlowMessage::WrongType);
    // The transfer sends the bytes checked here, whatever happens to the file or the
    // name field by then.
    m_checkedContent = *content;
    startLoader();
    m_portName = comName(m_host.link().portNumber());
    m_portPath = m_host.link().portPath();
}

bool FirmwareUpdate::startLoader() {
    // The port choice would close the port under an exchange that is still at work.
    if (m_host.exchangeRunning())
        return false;
    LinkPort& link = m_host.link();
    if (m_host.portInUse() == 0 && !choosePort())
        return false;
    // A known device keeps its port open; "Start" after a failed attempt uses it as it is.
    if (!link.isOpen() && !link.open()) {
        show(m_dialogs, FlowMessage::PortNotOpened);
        return false;
    }
    if (!m_host.beginLoaderHandshake())
        return false;
    m_awaitingLoader = true;
    m_view->waitingForLoader(true);
    TimerFWUpdate.start();
    return true;
}

bool FirmwareUpdate::choosePort() {
    LinkPort& link = m_host.link();
    // Still open from an earlier attempt, our own port would be missing from the list.
    if (link.isOpen())
        link.close();
    link.refreshPorts();
    QStringList entries;
    for (quint16 number = 1; number <= HighestComPort; ++number) {
        if (!link.portAvailable(number))
            continue;
        link.setPortNumber(number);
        if (link.open()) {
            entries << comName(number);
            link.pause(PortProbeMs);
        }
        link.close();
    }
    if (entries.isEmpty()) {
        show(m_dialogs, FlowMessage::NoFreePort);
        return false;
    }
    const PortChoice choice = m_dialogs.choosePort(entries, link.portNumber());
    if (choice.result != DialogResult::Ok || choice.port == 0) {
        show(m_dialogs, FlowMessage::NoPortChosen);
        return false;
    }
    link.setPortNumber(choice.port);
    return true;
}

void FirmwareUpdate::TimerFWUpdateTimer() {
    TimerFWUpdate.stop();
    m_awaitingLoader = false;
    m_host.abandonLoaderHandshake(ExchangeResult::NoAnswer);
    m_view->waitingForLoader(false); // the user may try again
    m_dialogs.showMessage(MessageDialog::Error, QStringLiteral("Fehler"),
                          {QStringLiteral("Fehler!"),
                           QStringLiteral("Firmware Update konnte nicht gestartet werden.")});
}

void FirmwareUpdate::MsgLoaderReady() {
    // A loader that answers after the start timer or after the dialog has closed gets
    // nothing: the user no longer expects a transfer.
    if (!std::exchange(m_awaitingLoader, false))
        return;
    m_view->waitingForLoader(false);
    m_host.link().close();
    startTransfer();
}

void FirmwareUpdate::startTransfer() {
    m_view->transferStarting();
    m_view->setProgress(0);
    m_busy = true;
    m_transfer.start(m_checkedContent, m_portPath, m_timings);
}

void FirmwareUpdate::transferFinished(TransferResult result) {
    const bool done = result == TransferResult::Done;
    m_busy = false;
    if (result == TransferResult::Cancelled) {
        // Whoever cancelled is ending the update; no search follows.
        m_view->transferEnded();
        m_view->closeDialog();
        emit updateEnded(false);
        return;
    }
    if (done) {
        // Progress is reported before each record; a finished transfer is a full bar.
        m_view->setProgress(100);
        m_dialogs.showMessage(
            MessageDialog::Ergebnis, QStringLiteral("Neue Firmware"),
            {QString(),
             QStringLiteral("Das speichen der Firmware in der Telefonanlage war erfolgreich.")});
    } else {
        showTransferError(m_dialogs, result);
    }
    m_view->transferEnded();
    m_host.searchAndRead();
    m_view->closeDialog();
    emit updateEnded(done);
}

void FirmwareUpdate::dialogClosed() {
    if (!std::exchange(m_awaitingLoader, false))
        return;
    TimerFWUpdate.stop();
    m_host.abandonLoaderHandshake(ExchangeResult::Cancelled);
    m_view->waitingForLoader(false);
}

void FirmwareUpdate::cancelTransfer() {
    m_transfer.stop();
}

} // namespace talvaro
