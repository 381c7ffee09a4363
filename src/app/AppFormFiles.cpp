// Configuration files: the working image of the current family, byte for byte.
#include "AppForm.h"

#include <QFile>

namespace talvaro {
namespace {

const QString FileErrorCaption = QStringLiteral("Fehler bei Dateizugriff");

} // namespace

int TAppForm::saveConfiguration() {
    if (m_document.untitled)
        return saveConfigurationAs() == -1 ? -1 : 0;
    QFile file(m_document.filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_dialogs.showMessageBox(MessageIcon::Critical, file.errorString());
        return -1;
    }
    const QByteArray& image = m_images.working(m_document.deviceType());
    if (file.write(image) != image.size() || !file.flush()) {
        m_dialogs.showMessage(
            MessageDialog::Error, FileErrorCaption,
            {QStringLiteral("Fehler!"), QStringLiteral("Die Datei konnte nicht geöffnet werden.")});
        return -1;
    }
    updateTitle();
    return 0;
}

int TAppForm::saveConfigurationAs() {
    const QString path = m_dialogs.getSaveFileName({m_document.folder(), m_document.fileName(),
                                                    m_document.configFilter, m_document.configExt});
    if (path.isEmpty())
        return 0;
    m_document.filePath = path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_dialogs.showMessageBox(MessageIcon::Critical, file.errorString());
        return -1;
    }
    const QByteArray& image = m_images.working(m_document.deviceType());
    if (file.write(image) != image.size() || !file.flush()) {
        m_dialogs.showMessage(
            MessageDialog::Error, FileErrorCaption,
            {QStringLiteral("Fehler!"),
             QStringLiteral("Die Datei konnte nicht geöffnet oder angelegt werden.")});
        return -1;
    }
    m_document.untitled = false;
    updateTitle();
    m_document.workDir = m_document.folder();
    return 0;
}

} // namespace talvaro
