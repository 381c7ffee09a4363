#include "Document.h"

namespace talvaro {

Document::Document(QObject* parent) : QObject(parent) {
    refreshCaption();
}

void Document::applyDeviceType(DeviceType code) {
    m_deviceType = code;
    refreshCaption();
}

void Document::setFilePath(const QString& path) {
    m_filePath = path;
    refreshCaption();
}

void Document::startUntitled() {
    m_untitled = true;
    setFilePath(m_workDir + DefaultFileName);
}

void Document::markModified() {
    m_modified = true;
    refreshCaption();
}

void Document::updateTitle() {
    m_modified = false;
    refreshCaption();
}

void Document::refreshCaption() {
    const QString caption = titleBase() + QStringLiteral(" - ") + fileName() +
                            (m_modified ? QStringLiteral("*") : QString());
    if (caption == m_caption)
        return;
    m_caption = caption;
    emit captionChanged(m_caption);
}

QString Document::fileName() const {
    return fileNameOf(m_filePath);
}

QString Document::folder() const {
    return folderOf(m_filePath);
}

FileDialogRequest Document::configOpenRequest() const {
    return {folder(), ConfigMask, configFilter(), ConfigExt};
}

FileDialogRequest Document::configSaveRequest(const QString& name) const {
    return {folder(), name.isEmpty() ? fileName() : name, configFilter(), ConfigExt};
}

FileDialogRequest Document::firmwareOpenRequest() const {
    return {QString(), FirmwareMask, firmwareFilter(), FirmwareExt};
}

QString folderOf(const QString& path) {
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : path.left(cut + 1);
}

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace talvaro
