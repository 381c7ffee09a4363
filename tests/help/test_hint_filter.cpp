#include "help/HelpPanel.h"
#include "help/HintFilter.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

using namespace talvaro;

namespace {

// A small stand-in for the main window: two hinted panels, a hinted button inside the
// first, a control without hint, a bare area, a menu and a tool bar.
struct Window {
    QMainWindow main;
    QWidget* central = new QWidget;
    QWidget* panelLtg = new QWidget(central);
    QRadioButton* radio = new QRadioButton(QStringLiteral("ja"), panelLtg);
    QPushButton* tlnEin = new QPushButton(QStringLiteral("Ein"), panelLtg);
    QWidget* panelAmtsholung = new QWidget(central);
    QWidget* bare = new QWidget(central);
    QTextEdit* info = new QTextEdit(central);
    QMenu* file = nullptr;
    QAction* open = nullptr;
    QAction* helpTopics = nullptr;
    QMenu* help = nullptr;
    QAction* download = nullptr;

    Window() {
        main.setCentralWidget(central);
        central->setFixedSize(700, 300);
        panelLtg->setObjectName(QStringLiteral("PanelLtg"));
        panelLtg->setGeometry(0, 0, 200, 200);
        radio->setGeometry(10, 10, 80, 30);
        tlnEin->setObjectName(QStringLiteral("ButtonTlnEin"));
        tlnEin->setGeometry(10, 100, 80, 30);
        tlnEin->setToolTip(QStringLiteral("Ein"));
        panelAmtsholung->setObjectName(QStringLiteral("PanelAmtsholung"));
        panelAmtsholung->setGeometry(250, 0, 200, 200);
        bare->setGeometry(0, 220, 200, 60);
        bare->setToolTip(QStringLiteral("Frei"));
        info->setGeometry(470, 0, 220, 280);

        file = main.menuBar()->addMenu(QStringLiteral("Konfiguration"));
        file->setObjectName(QStringLiteral("File1"));
        open = file->addAction(QStringLiteral("Ö&ffnen..."));
        open->setObjectName(QStringLiteral("FileOpenItem"));
        helpTopics = file->addAction(QStringLiteral("Hilfethemen"));
        helpTopics->setStatusTip(QStringLiteral("Hilfethemen"));
        // Its hint comes from the program's own table.
        help = main.menuBar()->addMenu(QStringLiteral("Hilfe"));
        help->setObjectName(QStringLiteral("Help1"));
        help->addAction(QStringLiteral("&Info..."));

        download = new QAction(QStringLiteral("Konfiguration auslesen"), &main);
        download->setObjectName(QStringLiteral("Download"));
        main.addToolBar(QStringLiteral("Werkzeuge"))->addAction(download);
        main.statusBar();

        assignHelpHints(&main);
    }

    QToolButton* downloadButton() const {
        return qobject_cast<QToolButton*>(main.findChild<QToolBar*>()->widgetForAction(download));
    }
};

} // namespace

class TestHintFilter : public QObject {
    Q_OBJECT

    std::unique_ptr<Window> w;
    std::unique_ptr<HintFilter> filter;
    std::unique_ptr<HelpPanel> panel;

    void hover(QWidget* target, QPoint pos = QPoint(5, 5)) {
        QTest::mouseMove(target, pos);
        QCoreApplication::processEvents();
    }

    QString shownHeading() const { return w->info->toPlainText().section(QLatin1Char('\n'), 0, 0); }

private slots:
    void init() {
        w = std::make_unique<Window>();
        filter = std::make_unique<HintFilter>();
        panel = std::make_unique<HelpPanel>(*w->info, [] { return DeviceType(5); });
        connect(filter.get(), &HintFilter::hintChanged, filter.get(),
                [this](const QString& hint) { panel->onHint(hint); });
        qApp->installEventFilter(filter.get());
        w->main.move(0, 0);
        w->main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w->main));
    }

    void cleanup() {
        qApp->removeEventFilter(filter.get());
        panel.reset();
        filter.reset();
        w.reset();
        QToolTip::hideText();
    }

    void hintsAreStatusTipsNotTooltips() {
        QCOMPARE(w->panelLtg->statusTip(), QStringLiteral("|2"));
        QCOMPARE(w->tlnEin->statusTip(), QStringLiteral("|23"));
        QCOMPARE(w->panelAmtsholung->statusTip(), QStringLiteral("|16"));
        QCOMPARE(w->file->menuAction()->statusTip(), QStringLiteral("|8"));
        QCOMPARE(w->open->statusTip(), QStringLiteral("|9"));
        QCOMPARE(w->download->statusTip(), QStringLiteral("|5"));
        QVERIFY(w->panelLtg->toolTip().isEmpty());
        QVERIFY(w->radio->statusTip().isEmpty());
    }

    void mouseShowsTopicOfTheAreaItRestsOn() {
        hover(w->panelLtg, QPoint(150, 150));
        QCOMPARE(shownHeading(), QStringLiteral("Externanschluss"));

        // A control without its own hint shows its panel's topic.
        hover(w->panelAmtsholung);
        hover(w->radio);
        QCOMPARE(shownHeading(), QStringLiteral("Externanschluss"));

        hover(w->tlnEin);
        QCOMPARE(shownHeading(), QStringLiteral("Türrufe an allen Anschlüssen signalisieren"));

        // Back from the button onto its panel: the panel's topic again.
        hover(w->panelLtg, QPoint(150, 150));
        QCOMPARE(shownHeading(), QStringLiteral("Externanschluss"));

        hover(w->panelAmtsholung);
        QCOMPARE(shownHeading(), QStringLiteral("Amtsholung"));
    }

    void areaWithoutHintLeavesPanelUnchanged() {
        hover(w->panelAmtsholung);
        QCOMPARE(shownHeading(), QStringLiteral("Amtsholung"));
        hover(w->bare);
        QCOMPARE(shownHeading(), QStringLiteral("Amtsholung"));
        hover(w->info);
        QCOMPARE(shownHeading(), QStringLiteral("Amtsholung"));
    }

    void toolButtonOfAnActionCarriesItsTopic() {
        QToolButton* button = w->downloadButton();
        QVERIFY(button);
        QCOMPARE(button->statusTip(), QStringLiteral("|5"));
        hover(button);
        QCOMPARE(shownHeading(), QStringLiteral("Konfiguration auslesen"));
    }

    void highlightedMenuEntryShowsItsTopic() {
        QSignalSpy spy(filter.get(), &HintFilter::hintChanged);
        w->file->popup(w->main.mapToGlobal(QPoint(20, 20)));
        QVERIFY(QTest::qWaitForWindowExposed(w->file));
        w->file->setActiveAction(w->open);
        QCoreApplication::processEvents();
        QCOMPARE(shownHeading(), QStringLiteral("Öffnen"));
        QVERIFY(!spy.isEmpty());
        QCOMPARE(spy.last().first().toString(), QStringLiteral("|9"));
        // The hint never lands in the status bar.
        QVERIFY(w->main.statusBar()->currentMessage().isEmpty());

        // A menu entry whose hint is not a number empties the panel.
        w->file->setActiveAction(w->helpTopics);
        QCoreApplication::processEvents();
        QVERIFY(w->info->toPlainText().isEmpty());
        w->file->close();
    }

    void openedMenuTitleShowsItsTopic() {
        QMenuBar* bar = w->main.menuBar();
        QMenu* help = w->help;
        QCOMPARE(help->menuAction()->statusTip(), QStringLiteral("Hilfethemen"));

        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(w->file->menuAction()).center());
        QCoreApplication::processEvents();
        QCOMPARE(shownHeading(), QStringLiteral("Konfigurationsprogramm"));

        // Moving on to "Hilfe" (hint "Hilfethemen") empties the panel.
        QTest::keyClick(w->file, Qt::Key_Right);
        QCoreApplication::processEvents();
        QCOMPARE(bar->activeAction(), help->menuAction());
        QVERIFY(w->info->toPlainText().isEmpty());
        help->close();
    }

    void noTooltipForHintedControls() {
        const auto requestTooltip = [](QWidget* target) {
            QToolTip::hideText();
            QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(target, &event);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        // A hidden tip lingers a moment, so the shown one comes last.
        QVERIFY(requestTooltip(w->tlnEin).isEmpty());
        QVERIFY(requestTooltip(w->downloadButton()).isEmpty());
        QCOMPARE(requestTooltip(w->bare), QStringLiteral("Frei"));
    }
};

QTEST_MAIN(TestHintFilter)
#include "test_hint_filter.moc"
