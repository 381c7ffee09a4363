#pragma once

#include "Settings.h"
#include "link/ExchangeHost.h"
#include "model/ConfigModel.h"
#include "model/Dialogs.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"
#include "report/PrintDialogs.h"

#include <QMainWindow>
#include <QPrinter>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace talvaro {

class EditorPages;
class HelpPanel;
class FirmwareUpdate;
class HistoryRecorder;
class HistoryStore;
class LinkSession;
class SessionFirmwareHost;
class ModelBinder;
struct PrintCommandHost;

// The main window: owns the edited configuration, its device type, file name and
// modified mark, and hosts the pages, the help panel and the status bar.
class TAppForm : public QMainWindow, public EditorView, public ExchangeHost {
    Q_OBJECT
public:
    // Without the search at the first showing, for tests that need no device.
    enum class FirstShowSearch { On, Off };
    TAppForm(Dialogs& dialogs, PrintDialogs& printDialogs,
             FirstShowSearch search = FirstShowSearch::On, QWidget* parent = nullptr);
    ~TAppForm() override;

    void setDeviceType(DeviceType code) override;
    void markModified();
    void updateTitle() override;

    // Configuration files. The save commands answer 0 when saved or nothing is to be done
    // and -1 when the pending command must stop.
    static const QString SaveNowQuestion;
    bool askToSave(const QString& question = SaveNowQuestion);
    void newConfiguration() override;
    void openConfiguration();
    int saveConfiguration();
    int saveConfigurationAs();
    // Reads a configuration file as "Öffnen..." does once its dialog has named it.
    void openConfigurationFile(const QString& path);

    // Runs `then` once the search at the first showing has settled the device type and
    // what it started (the read, its result) has ended; without that search, right
    // after the first showing.
    void afterStartSearch(std::function<void()> then);

    // Page navigation.
    void showPage(const QTreeWidgetItem* node);
    void showHelpTopic(int topic);
    void onHint(const QString& hint);

    // The configuration report.
    void Print1Execute();
    void Printer1Execute();
    const QStringList& reportLines() const { return m_reportLines; }
    int helpTopic() const { return m_helpTopic; }

    // What the device link needs of the window.
    void encodeImage() override;
    void decodeImage() override;
    void setStatusText(StatusPanel panel, const QString& text) override;
    bool checkPinBeforeUse() override;
    bool anyExtensionRingsExternally() const override;
    void stopFirmwareStartTimer() override;
    void deviceIdentified() override;
    bool needsBackupBeforeWriting() override;
    bool imageTransferred(const TransferredImage& transferred) override;

    // The configuration history: "Verlauf..." and "Vergleichen mit...".
    void VerlaufExecute();
    void VergleichenMitExecute();
    HistoryStore& history() { return *m_history; }

    // What the editing rules need of the window.
    bool isContactPageVisible() const override;
    void showContactPage() override;
    void focusPinField() override;

    ConfigModel& model() { return m_model; }
    EditorPages& pages() { return *m_pages; }
    Document& document() override { return m_document; }
    const Document& document() const { return m_document; }
    ImageBuffers& images() override { return m_images; }
    LinkSession& link() { return *m_link; }
    FirmwareUpdate& firmwareUpdate() { return *m_firmware; }
    quint16 portInUse() const;
    bool comLogging() const;
    // The serial trace from now on (Extras, --trace); the settings value sets it at start.
    void setComLogging(bool on);
    // "Fehlerbericht speichern...": the report for support, into a file the user picks.
    void saveSupportReport();
    bool isFirstShowPending() const { return m_firstShow; }
    QString statusText(int panel) const;

    QWidget* page(const QString& name) const;
    QTreeWidget* tree() const { return TreeView1; }
    QTextEdit* infoText() const { return InfoText; }

    // Page names from back to front.
    static const QStringList PageNames;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenu();
    void createToolBar();
    QWidget* createCentralArea();
    void createStatusBar();
    void rebuildTree();
    void assignHints();
    PrintCommandHost printHost();

    enum class SaveOutcome { Saved, Cancelled, Failed };
    SaveOutcome saveAs();
    bool writeImage(const QString& path, const QString& failureLine);
    void loadFromHistory(const QString& id);
    void compareWith(DeviceType type, const QByteArray& image, const QString& caption);

    // The tree follows the contact page that the PIN check has brought to the front.
    void selectContactNodeLater();
    void TreeView1Change(QTreeWidgetItem* current);
    void TreeView1Click();
    void TreeView1Enter();

    bool FormCloseQuery();
    void FormClose();
    void runWhenSettled();

    Dialogs& m_dialogs;
    PrintDialogs& m_printDialogs;
    Document m_document;
    ImageBuffers m_images;
    ConfigModel m_model;
    std::unique_ptr<EditorPages> m_pages;
    ModelBinder* m_binder = nullptr;
    std::unique_ptr<HelpPanel> m_help;
    QPrinter m_printer;
    QStringList m_reportLines;
    int m_helpTopic = 0;
    const QTreeWidgetItem* m_currentAtPress = nullptr;
    SettingsStore m_settings;

    LinkSession* m_link = nullptr;
    std::unique_ptr<SessionFirmwareHost> m_firmwareHost;
    std::unique_ptr<FirmwareUpdate> m_firmware;
    bool m_firstShow = true;
    FirstShowSearch m_firstShowSearch;
    QString m_searchPrefix;
    std::vector<std::function<void()>> m_afterStartSearch;
    std::unique_ptr<HistoryStore> m_history;
    std::unique_ptr<HistoryRecorder> m_recorder;

    QAction* FileNew1 = nullptr;
    QAction* FileOpen1 = nullptr;
    QAction* Upload = nullptr;
    QAction* Download = nullptr;
    QAction* Werkseinstellung = nullptr;
    QAction* FileSaveAs1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Printer1 = nullptr;
    QAction* FileExit1 = nullptr;
    QAction* NeueFirmware1 = nullptr;
    QAction* Verlauf1 = nullptr;
    QAction* Vergleichen1 = nullptr;
    QAction* HelpAbout1 = nullptr;
    QAction* ComLogging1 = nullptr;
    QAction* SupportReport1 = nullptr;

    QTreeWidget* TreeView1 = nullptr;
    QTextEdit* InfoText = nullptr;
    QLabel* m_statusPanels[2] = {nullptr, nullptr};
};

} // namespace talvaro
