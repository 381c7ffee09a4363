#pragma once

#include "Settings.h"
#include "model/ConfigModel.h"
#include "model/Dialogs.h"
#include "report/PrintDialogs.h"
#include "session/EditorSession.h"

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
class ModelBinder;
struct PrintCommandHost;

// The main window: the editor session's face with pages, tree, help panel, menu and
// status bar. The session owns the configuration, its file and the device link.
class TAppForm : public QMainWindow, public EditorView {
    Q_OBJECT
public:
    // Without the search at the first showing, for tests that need no device.
    enum class FirstShowSearch { On, Off };
    TAppForm(Dialogs& dialogs, PrintDialogs& printDialogs,
             FirstShowSearch search = FirstShowSearch::On, SessionSetup setup = {},
             QWidget* parent = nullptr);
    ~TAppForm() override;

    EditorSession& session() { return m_session; }
    void setDeviceType(DeviceType code) { m_session.setDeviceType(code); }
    void markModified() { m_session.document().markModified(); }

    // Configuration files, as the session has them.
    bool askToSave(const QString& question = EditorSession::SaveNowQuestion) {
        return m_session.askToSave(question);
    }
    void newConfiguration() { m_session.newConfiguration(); }
    void openConfiguration() { m_session.openConfiguration(); }
    int saveConfiguration() { return m_session.saveConfiguration(); }
    int saveConfigurationAs() { return m_session.saveConfigurationAs(); }
    void openConfigurationFile(const QString& path) { m_session.openConfigurationFile(path); }

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

    void encodeImage() { m_session.encodeImage(); }

    // The configuration history: "Verlauf..." and "Vergleichen mit...".
    void VerlaufExecute();
    void VergleichenMitExecute();
    HistoryStore& history() { return m_session.history(); }

    // What the editing rules need of the window.
    bool isContactPageVisible() const override;
    void showContactPage() override;
    void focusPinField() override;

    ConfigModel& model() { return m_session.model(); }
    EditorPages& pages() { return *m_pages; }
    Document& document() { return m_session.document(); }
    const Document& document() const { return m_session.document(); }
    ImageBuffers& images() { return m_session.images(); }
    LinkSession& link() { return m_session.link(); }
    const LinkSession& link() const { return m_session.link(); }
    FirmwareUpdate& firmwareUpdate() { return m_session.firmwareUpdate(); }
    quint16 portInUse() const { return m_session.portInUse(); }
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
    QPrinter& printer();
    PrintCommandHost printHost();
    // The pages and the tree follow the session's device type.
    void deviceTypeChanged(DeviceType code);

    void loadFromHistory(const QString& id);
    void compareWith(DeviceType type, const QByteArray& image, const QString& caption);

    // The tree follows the contact page that the PIN check has brought to the front.
    void selectContactNodeLater();
    void TreeView1Change(QTreeWidgetItem* current);
    void TreeView1Click();
    void TreeView1Enter();

    bool FormCloseQuery();
    void FormClose();
    void startSearchEnded();

    Dialogs& m_dialogs;
    PrintDialogs& m_printDialogs;
    EditorSession m_session;
    std::unique_ptr<EditorPages> m_pages;
    ModelBinder* m_binder = nullptr;
    std::unique_ptr<HelpPanel> m_help;
    std::unique_ptr<QPrinter> m_printer;
    QStringList m_reportLines;
    int m_helpTopic = 0;
    const QTreeWidgetItem* m_currentAtPress = nullptr;
    SettingsStore m_settings;

    bool m_firstShow = true;
    FirstShowSearch m_firstShowSearch;
    std::vector<std::function<void()>> m_afterStartSearch;

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
