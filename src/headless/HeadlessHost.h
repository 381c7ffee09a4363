#pragma once

#include "history/HistoryRecorder.h"
#include "link/ExchangeHost.h"
#include "model/ConfigModel.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"

#include <functional>

// The main window's state without the window: document, images and the configuration
// model, changed in the same steps the window takes.
namespace talvaro::headless {

class HeadlessHost : public ExchangeHost {
public:
    explicit HeadlessHost(Dialogs& dialogs);

    ConfigModel& model() { return m_model; }
    QByteArray& workingImage() { return m_images.working(m_document.deviceType()); }
    QString statusText(StatusPanel panel) const;
    void setFirmwareStartTimerStopped(std::function<void()> handler) {
        m_stopFirmwareStartTimer = std::move(handler);
    }

    // Where read, programmed and reset images are kept; none unless set.
    void setHistory(HistoryRecorder* history) { m_history = history; }

    // "Ö&ffnen..." with the file already chosen: true when the file was accepted.
    bool openConfiguration(const QString& path);

    Document& document() override { return m_document; }
    ImageBuffers& images() override { return m_images; }
    void setDeviceType(DeviceType code) override;
    void encodeImage() override { m_model.encodeImage(m_images); }
    void decodeImage() override { m_model.decodeImage(m_images); }
    void updateTitle() override { m_document.updateTitle(); }
    void setStatusText(StatusPanel panel, const QString& text) override;
    bool checkPinBeforeUse() override { return m_model.checkPinBeforeUse(); }
    bool anyExtensionRingsExternally() const override {
        return m_model.anyExtensionRingsExternally();
    }
    void newConfiguration() override;
    void stopFirmwareStartTimer() override;
    void deviceIdentified() override;
    bool needsBackupBeforeWriting() override;
    bool imageTransferred(const TransferredImage& transferred) override;

private:
    Dialogs& m_dialogs;
    Document m_document;
    ImageBuffers m_images;
    ConfigModel m_model;
    QString m_status[2];
    std::function<void()> m_stopFirmwareStartTimer;
    HistoryRecorder* m_history = nullptr;
};

} // namespace talvaro::headless
