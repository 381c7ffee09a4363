#pragma once

#include "link/ExchangeHost.h"
#include "link/PortMap.h"
#include "link/PortWatcher.h"
#include "model/ConfigModel.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"

#include <QObject>

#include <memory>
#include <optional>

namespace talvaro {

class Dialogs;
class FirmwareUpdate;
class HistoryRecorder;
class HistoryStore;
class LinkSession;
class SessionFirmwareHost;

// Where a session finds its device and keeps its history.
struct SessionSetup {
    // TALVARO_PORTS as the program found it at its start, or the system's ports.
    PortAssignment ports = PortAssignment::fromEnvironment();
    // The user's own history; none keeps nothing and never reads a backup (benchmarks,
    // fuzzing); the demo has one of its own.
    std::optional<QString> historyRoot = userHistory();

    static std::optional<QString> userHistory();
};

// The editor without its window: the document, the working images and device copies,
// the configuration model, the history and the device link with its exchange. The
// window and talvaro-cli are two faces of it; each command exists here once.
class EditorSession : public QObject, public ExchangeHost {
    Q_OBJECT
public:
    explicit EditorSession(Dialogs& dialogs, SessionSetup setup = {}, QObject* parent = nullptr);
    ~EditorSession() override;

    Document& document() override { return m_document; }
    const Document& document() const { return m_document; }
    ImageBuffers& images() override { return m_images; }
    ConfigModel& model() { return m_model; }
    const ConfigModel& model() const { return m_model; }
    LinkSession& link() { return *m_link; }
    const LinkSession& link() const { return *m_link; }
    bool keepsHistory() const { return m_historyRoot.has_value(); }
    // Opened on first use: a run that never reads or writes a device never touches it.
    // Only for a session that keeps a history.
    HistoryStore& history();
    FirmwareUpdate& firmwareUpdate() { return *m_firmware; }
    // The working image of the current family.
    QByteArray& workingImage() { return m_images.working(m_document.deviceType()); }
    QString statusText(StatusPanel panel) const;
    quint16 portInUse() const;

    // Configuration files. The save commands answer 0 when saved or nothing is to be done
    // and -1 when the pending command must stop.
    static const QString SaveNowQuestion;
    // Offers unsaved edits for saving; false when the pending command must stop.
    bool askToSave(const QString& question = SaveNowQuestion);
    void openConfiguration();
    // Reads a configuration file as "Öffnen..." does once its dialog has named it; false
    // when the file was refused (with its message).
    bool openConfigurationFile(const QString& path);
    int saveConfiguration();
    int saveConfigurationAs();
    // A configuration from elsewhere (the history) into the editor, under its own type;
    // it is no file's content, so it counts as an edit.
    void loadImage(DeviceType type, const QByteArray& image);

    // The device commands: "Konfiguration auslesen" (unsaved edits are offered for saving
    // first), "Konfiguration speichern", "Werkseinstellungen", and the search the window
    // starts when it is first shown.
    void readDevice();
    void programDevice();
    void resetDevice();
    void searchAndRead();
    // From now on a serial port that appears while no device is connected and no
    // exchange runs (offline, or "Keine Telefonanlage gefunden" showing) starts the
    // search and read by itself, unsaved edits offered for saving first. The window turns
    // it on when it shows; the first call decides where ports are looked for (`devRoot`)
    // and how long a new one settles.
    void searchWhenPortsAppear(const QString& devRoot = QStringLiteral("/dev"),
                               int settleMs = PortWatcher::DefaultSettleMs);

    // ExchangeHost
    void setDeviceType(DeviceType code) override;
    void encodeImage() override;
    void decodeImage() override;
    void updateTitle() override;
    void setStatusText(StatusPanel panel, const QString& text) override;
    bool checkPinBeforeUse() override;
    bool anyExtensionRingsExternally() const override;
    void newConfiguration() override;
    void stopFirmwareStartTimer() override;
    bool needsBackupBeforeWriting() override;
    bool imageTransferred(const TransferredImage& transferred) override;
    void exchangeEnded(ExchangeResult result) override { emit exchangeFinished(result); }

signals:
    // Every exchange ends here once, after its last effect; see ExchangeResult.
    void exchangeFinished(ExchangeResult result);
    // The editor has been adapted to another type: the window lays out its pages anew.
    void deviceTypeChanged(DeviceType code);
    void statusTextChanged(StatusPanel panel, const QString& text);

private:
    enum class SaveOutcome { Saved, Cancelled, Failed };
    SaveOutcome saveAs();
    bool writeImage(const QString& path, const QString& failureLine);
    HistoryRecorder& recorder();
    void portAppeared(const QString& path);

    Dialogs& m_dialogs;
    Document m_document;
    ImageBuffers m_images;
    ConfigModel m_model;
    QString m_status[2];
    std::optional<QString> m_historyRoot;
    std::unique_ptr<HistoryStore> m_history;
    std::unique_ptr<HistoryRecorder> m_recorder;
    LinkSession* m_link;
    std::unique_ptr<SessionFirmwareHost> m_firmwareHost;
    std::unique_ptr<FirmwareUpdate> m_firmware;
    std::unique_ptr<PortWatcher> m_portWatcher;
};

} // namespace talvaro
