#pragma once

#include "DeviceTypes.h"

#include <QObject>
#include <QString>

namespace talvaro {

// The edited configuration as the shell sees it: which model it is for, the texts that
// model brings along, where it lives on disk and whether it has unsaved changes.
class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);

    // Stores the texts, filters and transfer sizes of a device type.
    void applyDeviceType(DeviceType code);

    DeviceType deviceType() const { return m_deviceType; }
    const DeviceTypeProfile& profile() const { return deviceProfile(m_deviceType); }

    QString titleBase;
    QString defaultFileName = DefaultFileName;
    QString configExt = ConfigExt;
    QString configFilter = QStringLiteral("Talvaro Dateien (*.tkx)|*.tkx|Alle Dateien (*.*)|*.*");
    QString configMask = ConfigMask;
    QString firmwareExt = FirmwareExt;
    QString firmwareFilter =
        QStringLiteral("Mirello 16 / Quenta 26 Firmwaredatei (*.efw)|*.efw|Alle Dateien (*.*)|*.*");
    QString firmwareMask = FirmwareMask;
    QString reportTitle;
    int imageLength = 0;
    int readPacketSize = 0;
    QByteArray readCommand;
    QByteArray writeCommand;

    QString workDir;
    QString filePath;
    bool untitled = true;

    bool isModified() const { return m_modified; }
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);

    // Appends "*" once; further edits leave the caption alone.
    void markModified();
    // Caption := titleBase + " - " + file name of filePath; clears the modified mark.
    void updateTitle();
    // Ends construction: the defaults applied at start are no edit.
    void clearModified() { m_modified = false; }

    QString fileName() const;
    // Folder of filePath with its trailing separator.
    QString folder() const;

signals:
    void captionChanged(const QString& caption);

private:
    DeviceType m_deviceType = DefaultDeviceType;
    bool m_modified = false;
    QString m_caption;
};

// Folder part of a path, keeping the trailing separator ("" when there is none).
QString folderOf(const QString& path);
QString fileNameOf(const QString& path);

} // namespace talvaro
