#pragma once

#include "Settings.h"
#include "model/ConfigModel.h"
#include "model/Dialogs.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"

#include <QMainWindow>
#include <QPrinter>

#include <memory>

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

// The main window: owns the edited configuration, its device type, file name and
// modified mark, and hosts the pages, the help panel and the status bar.
class TAppForm : public QMainWindow, public EditorView {
    Q_OBJECT
public:
    explicit TAppForm(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TAppForm() override;

    void setDeviceType(DeviceType code);
    void markModified();
    void updateTitle();

    // Configuration files. The save commands answer 0 when saved or nothing is to be done
    // and -1 when the pending command must stop.
    bool askToSave(const QString& question);
    void newConfiguration();
    void openConfiguration();
    int saveConfiguration();
    int saveConfigurationAs();

    // Page navigation.
    void showPage(const QTreeWidgetItem* node);
    void showHelpTopic(int topic);
    void onHint(const QString& hint);

    // The configuration report.
    void Print1Execute();
    void Printer1Execute();
    const QStringList& reportLines() const { return m_reportLines; }
    int helpTopic() const { return m_helpTopic; }

    // What the editing rules need of the window.
    bool isContactPageVisible() const override;
    void showContactPage() override;
    void focusPinField() override;

    ConfigModel& model() { return m_model; }
    EditorPages& pages() { return *m_pages; }
    Document& document() { return m_document; }
    const Document& document() const { return m_document; }
    ImageBuffers& images() { return m_images; }
    quint16 portInUse() const { return m_portInUse; }
    bool comLogging() const { return m_comLogging; }
    bool isFirstShowPending() const { return m_firstShow; }
    QString statusText(int panel) const;

    QWidget* page(const QString& name) const;
    QTreeWidget* tree() const { return TreeView1; }
    QTextEdit* infoText() const { return InfoText; }

    // Page names from back to front.
    static const QStringList PageNames;

signals:
    // The first showing of the window, which starts the device search.
    void firstShown();

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

    void TreeView1Change(QTreeWidgetItem* current);
    void TreeView1Click();
    void TreeView1Enter();

    bool FormCloseQuery();
    void FormClose();

    Dialogs& m_dialogs;
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

    quint16 m_portInUse = 0;
    quint16 m_searchPort = 0;
    bool m_comLogging = false;
    bool m_firstShow = true;
    QString m_comLogName;
    QString m_searchPrefix;

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
    QAction* HelpAbout1 = nullptr;

    QTreeWidget* TreeView1 = nullptr;
    QTextEdit* InfoText = nullptr;
    QLabel* m_statusPanels[2] = {nullptr, nullptr};
};

} // namespace talvaro
