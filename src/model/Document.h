#pragma once

#include "DeviceTypes.h"
#include "Dialogs.h"

#include <QObject>
#include <QString>

namespace talvaro {

// The edited configuration as the shell sees it: which model it is for, the texts that
// model brings along, where it lives on disk and whether it has unsaved changes. The
// caption follows from these alone: the title of the type, " - ", the file's name, and
// "*" while modified; every change below updates it in this one place.
class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);

    // The texts, filters and transfer sizes below follow the type.
    void applyDeviceType(DeviceType code);

    DeviceType deviceType() const { return m_deviceType; }
    const DeviceTypeProfile& profile() const { return deviceProfile(m_deviceType); }
    const FamilyProfile& family() const { return familyProfile(m_deviceType); }

    QString titleBase() const { return profile().windowTitle; }
    QString reportTitle() const { return profile().label; }
    QString configFilter() const { return profile().configFilter; }
    QString firmwareFilter() const { return profile().firmwareFilter; }
    int imageLength() const { return family().imageLength; }
    int readPacketSize() const { return family().readReplyLength; }
    QByteArray readCommand() const { return family().readCommand; }
    QByteArray writeCommand() const { return family().writeCommand; }

    // Folder offered by the file dialogs; ends with a separator when it is not empty.
    QString workDir() const { return m_workDir; }
    void setWorkDir(const QString& folder) { m_workDir = folder; }

    QString filePath() const { return m_filePath; }
    // The configuration's own file, also before it has been written.
    void setFilePath(const QString& path);
    // The configuration has no file of its own yet: it is called workDir + "Neu.tkx".
    void startUntitled();
    bool isUntitled() const { return m_untitled; }
    // Written to or read from its file.
    void setTitled() { m_untitled = false; }

    bool isModified() const { return m_modified; }
    QString caption() const { return m_caption; }
    void markModified();
    // The configuration as loaded or saved: the mark goes.
    void updateTitle();

    QString fileName() const;
    // Folder of filePath with its trailing separator.
    QString folder() const;

    // The file dialogs of "Öffnen...", "In Datei speichern..." (proposing `name`, by
    // default the configuration's own) and of the firmware file.
    FileDialogRequest configOpenRequest() const;
    FileDialogRequest configSaveRequest(const QString& name = QString()) const;
    FileDialogRequest firmwareOpenRequest() const;

signals:
    void captionChanged(const QString& caption);

private:
    void refreshCaption();

    DeviceType m_deviceType = DefaultDeviceType;
    QString m_workDir;
    QString m_filePath = DefaultFileName;
    bool m_untitled = true;
    bool m_modified = false;
    QString m_caption;
};

// Folder part of a path, keeping the trailing separator ("" when there is none).
QString folderOf(const QString& path);
QString fileNameOf(const QString& path);

} // namespace talvaro
