#include "EditorSession.h"

#include "firmware/FirmwareUpdate.h"
#include "firmware/SessionFirmwareHost.h"
#include "history/HistoryRecorder.h"
#include "link/LinkSession.h"

#include <utility>

namespace talvaro {

EditorSession::EditorSession(Dialogs& dialogs, SessionSetup setup, QObject* parent)
    : QObject(parent), m_dialogs(dialogs), m_model(m_document, dialogs),
      m_historyRoot(std::move(setup.historyRoot)),
      m_link(new LinkSession(*this, dialogs, std::move(setup.ports), this)),
      m_firmwareHost(std::make_unique<SessionFirmwareHost>(m_document, *m_link)),
      m_firmware(std::make_unique<FirmwareUpdate>(*m_firmwareHost, dialogs)) {
    connect(m_link, &LinkSession::loaderReady, m_firmware.get(), &FirmwareUpdate::MsgLoaderReady);
    m_document.startUntitled();
}

EditorSession::~EditorSession() {
    // The transfer and the link go before the document and images they refer to.
    m_firmware.reset();
    delete m_link;
}

std::optional<QString> SessionSetup::userHistory() {
    return HistoryStore::defaultLocation();
}

HistoryStore& EditorSession::history() {
    Q_ASSERT(keepsHistory());
    if (!m_history)
        m_history = std::make_unique<HistoryStore>(*m_historyRoot, &m_dialogs);
    return *m_history;
}

HistoryRecorder& EditorSession::recorder() {
    if (!m_recorder)
        m_recorder = std::make_unique<HistoryRecorder>(history(), m_dialogs);
    return *m_recorder;
}

QString EditorSession::statusText(StatusPanel panel) const {
    return m_status[static_cast<int>(panel)];
}

quint16 EditorSession::portInUse() const {
    return m_link->record().portInUse;
}

void EditorSession::setDeviceType(DeviceType code) {
    m_document.applyDeviceType(code);
    m_model.adaptToDeviceType();
    emit deviceTypeChanged(code);
    updateTitle();
}

void EditorSession::encodeImage() {
    m_model.encodeImage(m_images);
}

void EditorSession::decodeImage() {
    m_model.decodeImage(m_images);
}

void EditorSession::updateTitle() {
    m_document.updateTitle();
}

void EditorSession::setStatusText(StatusPanel panel, const QString& text) {
    m_status[static_cast<int>(panel)] = text;
    emit statusTextChanged(panel, text);
}

bool EditorSession::checkPinBeforeUse() {
    return m_model.checkPinBeforeUse();
}

bool EditorSession::anyExtensionRingsExternally() const {
    return m_model.anyExtensionRingsExternally();
}

void EditorSession::stopFirmwareStartTimer() {
    m_firmware->stopStartTimer();
}

bool EditorSession::needsBackupBeforeWriting() {
    // Every time: what the device holds now is what a mistake would lose.
    return keepsHistory();
}

bool EditorSession::imageTransferred(const TransferredImage& transferred) {
    return !keepsHistory() || recorder().record(transferred);
}

void EditorSession::readDevice() {
    // Reading replaces the editor's data, so unsaved edits are offered for saving first.
    if (askToSave())
        m_link->commands().UpDownloadExecute(ExchangeOperation::Read);
}

void EditorSession::programDevice() {
    m_link->commands().UpDownloadExecute(ExchangeOperation::Program);
}

void EditorSession::resetDevice() {
    m_link->commands().WerkseinstellungExecute();
}

void EditorSession::searchAndRead() {
    m_link->search().startSearch(ExchangeOperation::Read);
}

void EditorSession::searchWhenPortsAppear(const QString& devRoot, int settleMs) {
    if (m_portWatcher)
        return;
    m_portWatcher = std::make_unique<PortWatcher>(devRoot);
    m_portWatcher->setSettleMs(settleMs);
    const PortAssignment& ports = m_link->portAssignment();
    if (ports.isFixed())
        m_portWatcher->setPortPaths(ports.current().paths());
    connect(m_portWatcher.get(), &PortWatcher::portAppeared, this, &EditorSession::portAppeared);
    m_portWatcher->start();
}

void EditorSession::portAppeared(const QString& path) {
    const PortAssignment& ports = m_link->portAssignment();
    // Ports named at the start are all that is searched: another one changes nothing.
    if (portInUse() != 0 || (ports.isFixed() && !ports.current().paths().contains(path)))
        return;
    const QString note = QStringLiteral("Neue Schnittstelle %1: Suche läuft").arg(path);
    if (m_dialogs.isNoDeviceFoundShowing()) {
        setStatusText(StatusPanel::Device, note);
        return m_dialogs.searchAgainFromNoDeviceFound(); // as if "Suchen" was chosen
    }
    if (m_link->exchange().running() || m_dialogs.isWaitingForUser())
        return;
    setStatusText(StatusPanel::Device, note);
    readDevice();
}

} // namespace talvaro
