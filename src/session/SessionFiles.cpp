// Configuration files: the working image of the current family, byte for byte.
#include "EditorSession.h"

#include "model/ConfigFile.h"

namespace talvaro {

const QString EditorSession::SaveNowQuestion =
    QStringLiteral("Wollen Sie die Daten jetzt speichern?");

bool EditorSession::askToSave(const QString& question) {
    if (!m_document.isModified())
        return true;
    const DialogResult answer = m_dialogs.showMessage(
        MessageDialog::Hinweis, QStringLiteral("Hinweis"),
        {QStringLiteral("Die Daten wurden geändert und nicht gespeichert!"), question});
    switch (answer) {
    case DialogResult::Yes:
        return saveConfiguration() == 0;
    case DialogResult::No:
        return true;
    default:
        return false;
    }
}

void EditorSession::newConfiguration() {
    m_model.applyFactoryDefaults();
    m_model.refreshUniqueKinds();
    updateTitle();
    m_document.startUntitled();
}

void EditorSession::openConfiguration() {
    const QString path = m_dialogs.getOpenFileName(m_document.configOpenRequest());
    if (!path.isEmpty())
        openConfigurationFile(path);
}

bool EditorSession::openConfigurationFile(const QString& path) {
    const std::optional<QByteArray> bytes =
        readConfigurationFile(path, workingImage().size(), m_dialogs);
    if (!bytes)
        return false;
    workingImage() = *bytes;
    decodeImage();
    updateTitle();
    m_document.setFilePath(path);
    m_document.setTitled();
    m_document.setWorkDir(m_document.folder());
    return true;
}

void EditorSession::loadImage(DeviceType type, const QByteArray& image) {
    if (type != m_document.deviceType())
        setDeviceType(type);
    workingImage() = image;
    decodeImage();
    updateTitle();
    m_document.markModified();
}

// Writes the editor's image so that a failure leaves any earlier file as it was.
bool EditorSession::writeImage(const QString& path, const QString& failureLine) {
    return writeConfigurationFile(
        path,
        [this] {
            encodeImage();
            return workingImage();
        },
        failureLine, m_dialogs);
}

int EditorSession::saveConfiguration() {
    if (!checkPinBeforeUse())
        return -1;
    // Asked to save, the user did not agree to lose the work by cancelling the name.
    if (m_document.isUntitled())
        return saveAs() == SaveOutcome::Saved ? 0 : -1;
    if (!writeImage(m_document.filePath(), SaveFailedLine))
        return -1;
    updateTitle();
    return 0;
}

int EditorSession::saveConfigurationAs() {
    return saveAs() == SaveOutcome::Failed ? -1 : 0;
}

EditorSession::SaveOutcome EditorSession::saveAs() {
    const QString path = m_dialogs.getSaveFileName(m_document.configSaveRequest());
    if (path.isEmpty())
        return SaveOutcome::Cancelled;
    // The new name stays also when writing fails: the next save goes there.
    m_document.setFilePath(path);
    if (!writeImage(path, SaveAsFailedLine))
        return SaveOutcome::Failed;
    m_document.setTitled();
    updateTitle();
    m_document.setWorkDir(m_document.folder());
    return SaveOutcome::Saved;
}

} // namespace talvaro
