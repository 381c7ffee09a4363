#include "headless/HeadlessHost.h"

#include "model/ConfigFile.h"

namespace talvaro::headless {

HeadlessHost::HeadlessHost(Dialogs& dialogs) : m_dialogs(dialogs), m_model(m_document, dialogs) {
    m_document.filePath = m_document.defaultFileName;
}

void HeadlessHost::setDeviceType(DeviceType code) {
    m_document.applyDeviceType(code);
    m_model.adaptToDeviceType();
    updateTitle();
}

void HeadlessHost::newConfiguration() {
    m_model.applyFactoryDefaults();
    m_model.refreshUniqueKinds();
    m_document.filePath = m_document.workDir + m_document.defaultFileName;
    m_document.untitled = true;
    updateTitle();
}

bool HeadlessHost::openConfiguration(const QString& path) {
    const std::optional<QByteArray> image =
        readConfigurationFile(path, workingImage().size(), m_dialogs);
    if (!image)
        return false;
    workingImage() = *image;
    decodeImage();
    m_document.filePath = path;
    m_document.untitled = false;
    updateTitle();
    return true;
}

QString HeadlessHost::statusText(StatusPanel panel) const {
    return m_status[static_cast<int>(panel)];
}

void HeadlessHost::setStatusText(StatusPanel panel, const QString& text) {
    m_status[static_cast<int>(panel)] = text;
}

void HeadlessHost::stopFirmwareStartTimer() {
    if (m_stopFirmwareStartTimer)
        m_stopFirmwareStartTimer();
}

void HeadlessHost::deviceIdentified() {
    if (m_history)
        m_history->deviceFound();
}

bool HeadlessHost::needsBackupBeforeWriting() {
    return m_history && !m_history->deviceHeld();
}

bool HeadlessHost::imageTransferred(const TransferredImage& transferred) {
    return !m_history || m_history->record(transferred);
}

} // namespace talvaro::headless
