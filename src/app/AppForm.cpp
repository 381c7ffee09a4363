#include "AppForm.h"

#include "AccessibleNames.h"
#include "AppIcon.h"
#include "EditorPages.h"
#include "EditorWidgets.h"
#include "ModelBinder.h"
#include "help/HelpHints.h"
#include "help/HelpPanel.h"
#include "help/HintFilter.h"
#include "link/LinkSession.h"
#include "link/TraceLog.h"
#include "model/NavigationTree.h"
#include "report/ModelReport.h"
#include "report/ReportCommands.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace talvaro {
namespace {

constexpr int ClientWidth = 760;
constexpr int ClientHeight = 437;
constexpr int ToolBarHeight = 30;
constexpr int StatusBarHeight = 19;
constexpr int TreeWidth = 161;
constexpr int PageWidth = 368;
constexpr int PageHeight = 388;
constexpr int HelpWidth = ClientWidth - TreeWidth - PageWidth;
constexpr int HelpHeaderHeight = 41;
constexpr int TreeIndentation = 12;

constexpr int ClosingWaitMs = 1000;

const QString NoPortText = QStringLiteral("Verwendeter COM-Port: keiner");

} // namespace

const QStringList TAppForm::PageNames{
    QStringLiteral("PanelRuf"),      QStringLiteral("PanelImage"),
    QStringLiteral("PanelTln"),      QStringLiteral("PanelLtg"),
    QStringLiteral("PanelNachwahl"), QStringLiteral("PanelExternErweitert"),
    QStringLiteral("PanelKontakte")};

TAppForm::TAppForm(Dialogs& dialogs, PrintDialogs& printDialogs, FirstShowSearch search,
                   SessionSetup setup, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_printDialogs(printDialogs),
      m_session(dialogs, std::move(setup)), m_settings([this](const QString& message) {
          m_dialogs.showMessageBox(MessageIcon::Information, message);
      }),
      m_firstShowSearch(search) {
    setObjectName(QStringLiteral("AppForm"));
    setWindowIcon(appIcon());
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    // 1. The window from its layout.
    createActions();
    createMenu();
    createToolBar();
    setCentralWidget(createCentralArea());
    createStatusBar();
    model().setView(this);
    m_binder = new ModelBinder(model(), *m_pages, this);
    connect(&m_session, &EditorSession::deviceTypeChanged, this, &TAppForm::deviceTypeChanged);
    connect(&m_session, &EditorSession::statusTextChanged, this,
            [this](StatusPanel panel, const QString& text) {
                m_statusPanels[static_cast<int>(panel)]->setText(text);
            });
    connect(&document(), &Document::captionChanged, this, &QWidget::setWindowTitle);
    setWindowTitle(document().caption());
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());

    // 2.-3. Initial state.
    m_firstShow = true;
    link().ComPort1().setComLogging(false);
    m_statusPanels[1]->setText(NoPortText);

    // 4. Settings.
    const StoredSettings stored = m_settings.load();
    document().setWorkDir(stored.workDir);
    link().exchange().deviceFoundOn(stored.port);
    setComLogging(stored.comLogging);

    // 5. The trace file, in the user's data folder rather than wherever the program started.
    link().ComPort1().setLogFileName(TraceLog::defaultFilePath());

    // 6. The layout's own positions, before any device type changes them.
    m_pages->recordLayout();

    // 7.-9. The new configuration's name.
    document().startUntitled();

    // 10. The default model.
    setDeviceType(DefaultDeviceType);

    // 12. Once more, as the program always has.
    model().applyFactoryDefaults();

    // 14.-15.
    TreeView1->expandAll();
    document().updateTitle();

    // 17.-18. The help panel follows what the mouse rests on.
    auto* hints = new HintFilter(this);
    qApp->installEventFilter(hints);
    connect(hints, &HintFilter::hintChanged, this, &TAppForm::onHint);
    assignHints();
}

TAppForm::~TAppForm() {
    // The widgets outlive the model while the window is torn down: cut the binding first.
    delete m_binder;
    model().setView(nullptr);
}

void TAppForm::createActions() {
    auto make = [this](QAction*& action, const char* name, const QString& text,
                       const QKeySequence& shortcut = {}) {
        action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
    };
    make(FileNew1, "FileNew1", QStringLiteral("Neu erstellen"), QKeySequence(Qt::CTRL | Qt::Key_N));
    make(FileOpen1, "FileOpen1", QStringLiteral("Ö&ffnen..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    make(Upload, "Upload", QStringLiteral("Konfiguration speichern"));
    make(Download, "Download", QStringLiteral("Konfiguration &auslesen"));
    make(Werkseinstellung, "Werkseinstellung", QStringLiteral("Werkseinstellungen"));
    make(FileSaveAs1, "FileSaveAs1", QStringLiteral("In Datei speichern..."));
    make(Print1, "Print1", QStringLiteral("&Drucken..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    make(Printer1, "Printer1", QStringLiteral("Ducker einrichten..."));
    make(FileExit1, "FileExit1", QStringLiteral("&Beenden"));
    make(NeueFirmware1, "NeueFirmware1", QStringLiteral("Neue Firmware..."));
    make(Verlauf1, "Verlauf1", QStringLiteral("Verlauf..."));
    make(Vergleichen1, "Vergleichen1", QStringLiteral("Vergleichen mit..."));
    make(HelpAbout1, "HelpAbout1", QStringLiteral("&Info..."), QKeySequence(Qt::CTRL | Qt::Key_I));
    make(ComLogging1, "ComLogging1", QStringLiteral("Seriellen Datenverkehr aufzeichnen"));
    ComLogging1->setCheckable(true);
    make(SupportReport1, "SupportReport1", QStringLiteral("Fehlerbericht speichern..."));

    connect(FileNew1, &QAction::triggered, this, [this] {
        if (m_session.askToSave())
            m_session.newConfiguration();
    });
    connect(FileOpen1, &QAction::triggered, this, [this] {
        if (m_session.askToSave())
            m_session.openConfiguration();
    });
    connect(FileSaveAs1, &QAction::triggered, &m_session, &EditorSession::saveConfigurationAs);
    connect(FileExit1, &QAction::triggered, this, &QWidget::close);
    connect(Print1, &QAction::triggered, this, &TAppForm::Print1Execute);
    connect(Download, &QAction::triggered, &m_session, &EditorSession::readDevice);
    connect(Upload, &QAction::triggered, &m_session, &EditorSession::programDevice);
    connect(Werkseinstellung, &QAction::triggered, &m_session, &EditorSession::resetDevice);
    connect(Printer1, &QAction::triggered, this, &TAppForm::Printer1Execute);
    connect(HelpAbout1, &QAction::triggered, this, [this] { m_dialogs.showAbout(); });
    connect(NeueFirmware1, &QAction::triggered, this, [this] { m_dialogs.execFirmware(); });
    connect(ComLogging1, &QAction::toggled, this, &TAppForm::setComLogging);
    connect(SupportReport1, &QAction::triggered, this, &TAppForm::saveSupportReport);
    connect(Verlauf1, &QAction::triggered, this, &TAppForm::VerlaufExecute);
    connect(Vergleichen1, &QAction::triggered, this, &TAppForm::VergleichenMitExecute);
}

void TAppForm::createMenu() {
    QMenu* config = menuBar()->addMenu(QStringLiteral("Konfiguration"));
    config->setObjectName(QStringLiteral("File1"));
    config->addActions({FileNew1, FileOpen1, Upload, Download, Werkseinstellung, FileSaveAs1});
    config->addSeparator();
    config->addActions({Print1, Printer1});
    config->addSeparator();
    config->addAction(FileExit1);
    QMenu* extras = menuBar()->addMenu(QStringLiteral("Extras"));
    extras->setObjectName(QStringLiteral("Extras1"));
    extras->addActions({NeueFirmware1, ComLogging1, Verlauf1, Vergleichen1});
    QMenu* help = menuBar()->addMenu(QStringLiteral("Hilfe"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addActions({HelpAbout1, SupportReport1});
}

void TAppForm::createToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(ToolBarHeight);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);

    auto* print = new QToolButton(bar);
    print->setObjectName(QStringLiteral("ToolButton10"));
    print->setIcon(printIcon());
    connect(print, &QToolButton::clicked, Print1, &QAction::trigger);
    bar->addWidget(print);
    bar->addSeparator();

    // The wide buttons carry their own captions, the second one with its trailing blank.
    auto wide = [this, bar](const char* name, const QString& text, QAction* action) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumWidth(150);
        connect(button, &QToolButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
        bar->addWidget(button);
    };
    wide("SpeedButton2", QStringLiteral("Konfiguration auslesen"), Download);
    wide("SpeedButton1", QStringLiteral("Konfiguration speichern "), Upload);
}

QWidget* TAppForm::createCentralArea() {
    auto* area = new QWidget(this);
    area->setFixedSize(ClientWidth, PageHeight);

    TreeView1 = new QTreeWidget(area);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setGeometry(0, 0, TreeWidth, PageHeight);
    TreeView1->setHeaderHidden(true);
    // Narrower than the layout's 19 pixels, so the deepest caption fits the column.
    TreeView1->setIndentation(TreeIndentation);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { TreeView1Change(current); });
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this] { TreeView1Click(); });
    TreeView1->installEventFilter(this);
    TreeView1->viewport()->installEventFilter(this);

    // The pages share one place; later ones are raised above earlier ones.
    QHash<QString, QWidget*> pages;
    for (const QString& name : PageNames) {
        auto* pageWidget = new QWidget(area);
        pageWidget->setObjectName(name);
        pageWidget->setGeometry(TreeWidth, 0, PageWidth, PageHeight);
        pageWidget->setVisible(name == QLatin1String("PanelImage"));
        // Opaque: a page in front hides the one behind it completely.
        pageWidget->setAutoFillBackground(true);
        pageWidget->raise();
        pages.insert(name, pageWidget);
    }
    m_pages = std::make_unique<EditorPages>(pages);

    auto* help = new QWidget(area);
    help->setObjectName(QStringLiteral("PanelInfo"));
    help->setGeometry(TreeWidth + PageWidth, 0, HelpWidth, PageHeight);
    auto* helpLayout = new QVBoxLayout(help);
    helpLayout->setContentsMargins(0, 0, 0, 0);
    helpLayout->setSpacing(0);
    auto* header = new QLabel(QStringLiteral("Hilfe"), help);
    header->setObjectName(QStringLiteral("PanelInfoHead"));
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    header->setAlignment(Qt::AlignCenter);
    header->setFixedHeight(HelpHeaderHeight);
    header->setFrameShape(QFrame::Panel);
    InfoText = new QTextEdit(help);
    InfoText->setObjectName(QStringLiteral("InfoText"));
    InfoText->setReadOnly(true);
    helpLayout->addWidget(header);
    helpLayout->addWidget(InfoText, 1);
    m_help = std::make_unique<HelpPanel>(*InfoText, [this] { return document().deviceType(); });
    return area;
}

void TAppForm::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(StatusBarHeight);
    bar->setSizeGripEnabled(false);
    const int widths[2] = {250, 300};
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(bar);
        m_statusPanels[i]->setFixedWidth(widths[i]);
        m_statusPanels[i]->setFrameShape(QFrame::Panel);
        m_statusPanels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(m_statusPanels[i]);
    }
}

QString TAppForm::statusText(int panel) const {
    return m_statusPanels[panel]->text();
}

bool TAppForm::comLogging() const {
    return link().ComPort1().comLogging();
}

QWidget* TAppForm::page(const QString& name) const {
    return PageNames.contains(name) ? m_pages->widget(name) : nullptr;
}

// Menu entries are the actions themselves here, so an entry's topic goes on its action.
void TAppForm::assignHints() {
    assignHelpHints(this);
    const std::pair<const char*, QAction*> entries[] = {{"FileNewItem", FileNew1},
                                                        {"FileOpenItem", FileOpen1},
                                                        {"FileSaveItem", Upload},
                                                        {"AuslesenausderAnlage1", Download},
                                                        {"Werkseinstellungen1", Werkseinstellung},
                                                        {"FileSaveAsItem", FileSaveAs1},
                                                        {"PrintItem", Print1},
                                                        {"Druckereinrichtung1", Printer1},
                                                        {"FileExitItem", FileExit1}};
    for (const auto& [entry, action] : entries)
        setHelpHint(action, *helpTopicFor(QString::fromLatin1(entry)));
}

void TAppForm::Print1Execute() {
    executePrint(printer(), printHost(), m_reportLines, QDate::currentDate());
}

void TAppForm::Printer1Execute() {
    executePrinterSetup(printer(), printHost());
}

QPrinter& TAppForm::printer() {
    // Made at the first print: a printer asks the print system for its queues.
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

PrintCommandHost TAppForm::printHost() {
    return {[this] { return model().checkPinBeforeUse(); },
            [this] { return reportInputFromModel(model(), document().deviceType()); },
            [this](QPrinter& printer) { return m_printDialogs.execPrintDialog(printer); },
            [this](QPrinter& printer) { m_printDialogs.execPrinterSetup(printer); },
            [this](const QString& message) {
                m_dialogs.showMessageBox(MessageIcon::Critical, message);
            }};
}

void TAppForm::rebuildTree() {
    TreeView1->clear();
    QList<QTreeWidgetItem*> items;
    for (const NavigationNode& node : navigationNodes(document().deviceType())) {
        auto* item = node.parent < 0 ? new QTreeWidgetItem(TreeView1)
                                     : new QTreeWidgetItem(items[node.parent]);
        item->setText(0, node.text);
        items << item;
    }
    TreeView1->expandAll();
}

void TAppForm::deviceTypeChanged(DeviceType code) {
    m_pages->applyDeviceType(code);
    describeWindowControls(*this, *m_pages, code);
    rebuildTree();
}

bool TAppForm::isContactPageVisible() const {
    return !page(QStringLiteral("PanelKontakte"))->isHidden();
}

void TAppForm::showContactPage() {
    page(QStringLiteral("PanelKontakte"))->show();
    selectContactNodeLater();
}

void TAppForm::selectContactNodeLater() {
    // After the event at hand: a click into the tree selects its node once the PIN
    // message has been answered.
    QTimer::singleShot(0, this, [this] {
        const QList<QTreeWidgetItem*> found = TreeView1->findItems(
            QStringLiteral("Schaltkontakt"), Qt::MatchStartsWith | Qt::MatchRecursive);
        if (found.isEmpty() || !isContactPageVisible())
            return;
        const QSignalBlocker quiet(TreeView1); // the page is shown already
        TreeView1->setCurrentItem(found.first());
    });
}

void TAppForm::focusPinField() {
    m_pages->pinField()->setFocus();
}

bool TAppForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TreeView1 && event->type() == QEvent::FocusIn)
        TreeView1Enter();
    if (watched == TreeView1->viewport() && event->type() == QEvent::MouseButtonPress)
        m_currentAtPress = TreeView1->currentItem();
    return QMainWindow::eventFilter(watched, event);
}

void TAppForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    // Let the window appear before the search puts its dialog in front of it.
    QTimer::singleShot(0, this, [this] {
        m_session.searchWhenPortsAppear();
        if (m_firstShowSearch == FirstShowSearch::Off)
            return startSearchEnded();
        // Its end comes after the read and the result the user closes, or after going
        // offline and the model choice.
        connect(&m_session, &EditorSession::exchangeFinished, this, &TAppForm::startSearchEnded,
                Qt::SingleShotConnection);
        m_session.searchAndRead();
    });
}

void TAppForm::afterStartSearch(std::function<void()> then) {
    m_afterStartSearch.push_back(std::move(then));
}

void TAppForm::startSearchEnded() {
    for (const std::function<void()>& then : std::exchange(m_afterStartSearch, {}))
        then();
}

bool TAppForm::FormCloseQuery() {
    if (!document().isModified())
        return true;
    const DialogResult answer =
        m_dialogs.showMessage(MessageDialog::Hinweis, QStringLiteral("Hinweis"),
                              {QStringLiteral("Die Daten wurden geändert und nicht gespeichert!"),
                               QStringLiteral("Wollen Sie die Daten vor dem Beenden speichern?")});
    switch (answer) {
    case DialogResult::Yes:
        return saveConfiguration() != -1;
    case DialogResult::No:
        return true;
    default:
        return false;
    }
}

void TAppForm::FormClose() {
    if (!m_settings.save(document().folder(), portInUse()))
        return; // the port is released when the program ends
    SerialLink& port = link().ComPort1();
    if (port.isOpen()) {
        port.close(); // appends the trace when logging is on
        link().pause(ClosingWaitMs);
    }
}

void TAppForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

} // namespace talvaro
