// Configuration files: the working image of the current family, byte for byte.
#include "AppForm.h"

#include "model/ConfigFile.h"

namespace talvaro {

const QString TAppForm::SaveNowQuestion = QStringLiteral("Wollen Sie die Daten jetzt speichern?");

bool TAppForm::askToSave(const QString& question) {
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

void TAppForm::newConfiguration() {
    m_model.applyFactoryDefaults();
    m_model.refreshUniqueKinds();
    updateTitle();
    m_document.filePath = m_document.workDir + m_document.defaultFileName;
    m_document.setCaption(m_document.titleBase + QStringLiteral(" - ") + m_document.fileName());
    m_document.untitled = true;
}

void TAppForm::openConfiguration() {
    const QString path = m_dialogs.getOpenFileName({m_document.folder(), m_document.configMask,
                                                    m_document.configFilter, m_document.configExt});
    if (!path.isEmpty())
        openConfigurationFile(path);
}

void TAppForm::openConfigurationFile(const QString& path) {
    const QByteArray::size_type length = m_images.working(m_document.deviceType()).size();
    const std::optional<QByteArray> bytes = readConfigurationFile(path, length, m_dialogs);
    if (!bytes)
        return;
    m_images.working(m_document.deviceType()) = *bytes;
    m_model.decodeImage(m_images);
    updateTitle();
    m_document.filePath = path;
    m_document.untitled = false;
    m_document.setCaption(m_document.titleBase + QStringLiteral(" - ") + m_document.fileName());
    m_document.workDir = m_document.folder();
}

// Writes the editor's image so that a failure leaves any earlier file as it was.
bool TAppForm::writeImage(const QString& path, const QString& failureLine) {
    return writeConfigurationFile(
        path,
        [this] {
            m_model.encodeImage(m_images);
            return m_images.working(m_document.deviceType());
        },
        failureLine, m_dialogs);
}

int TAppForm::saveConfiguration() {
    if (!m_model.checkPinBeforeUse())
        return -1;
    // Asked to save, the user did not agree to lose the work by cancelling the name.
    if (m_document.untitled)
        return saveAs() == SaveOutcome::Saved ? 0 : -1;
    if (!writeImage(m_document.filePath, SaveFailedLine))
        return -1;
    updateTitle();
    return 0;
}

int TAppForm::saveConfigurationAs() {
    return saveAs() == SaveOutcome::Failed ? -1 : 0;
}

TAppForm::SaveOutcome TAppForm::saveAs() {
    const QString path = m_dialogs.getSaveFileName({m_document.folder(), m_document.fileName(),
                                                    m_document.configFilter, m_document.configExt});
    if (path.isEmpty())
        return SaveOutcome::Cancelled;
    m_document.filePath = path;
    if (!writeImage(path, SaveAsFailedLine))
        return SaveOutcome::Failed;
    m_document.untitled = false;
    updateTitle();
    m_document.workDir = m_document.folder();
    return SaveOutcome::Saved;
}

} // namespace talvaro
