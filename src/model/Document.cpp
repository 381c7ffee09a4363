#include "Document.h"

namespace talvaro {

Document::Document(QObject* parent) : QObject(parent) {}

void Document::applyDeviceType(DeviceType code) {
    m_deviceType = code;
    const DeviceTypeProfile& p = deviceProfile(code);
    titleBase = p.windowTitle;
    defaultFileName = DefaultFileName;
    configExt = ConfigExt;
    configFilter = p.configFilter;
    configMask = ConfigMask;
    firmwareExt = FirmwareExt;
    firmwareFilter = p.firmwareFilter;
    firmwareMask = FirmwareMask;
    reportTitle = p.label;
    const FamilyProfile& f = familyProfile(code);
    imageLength = f.imageLength;
    readPacketSize = f.readReplyLength;
    readCommand = f.readCommand;
    writeCommand = f.writeCommand;
}

void Document::setCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    emit captionChanged(m_caption);
}

void Document::markModified() {
    if (m_modified)
        return;
    m_modified = true;
    setCaption(m_caption + QLatin1Char('*'));
}

void Document::updateTitle() {
    setCaption(titleBase + QStringLiteral(" - ") + fileName());
    m_modified = false;
}

QString Document::fileName() const {
    return fileNameOf(filePath);
}

QString Document::folder() const {
    return folderOf(filePath);
}

QString folderOf(const QString& path) {
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : path.left(cut + 1);
}

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace talvaro
