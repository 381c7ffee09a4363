#include "ScriptedDialogs.h"
#include "SettingsSandbox.h"
#include "app/AppForm.h"
#include "help/HelpHints.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace talvaro;

class TestAppForm : public QObject {
    Q_OBJECT
private slots:
    void firstStartWithoutSettings();
    void storedSettingsAreUsed();
    void twoEditsGiveOneMark();
    void closeQueryAnswers();
    void closeAnsweredYesSavesFirst();
    void closeWritesTheFolderOfTheFile();
    void firstShowingHappensOnce();
    void menuHasEveryCommand();
    void deviceTypeAboveSevenActsAsTypeZero();
    void fixedClientArea();
};

void TestAppForm::firstStartWithoutSettings() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    QCOMPARE(form.windowTitle(), QStringLiteral("Talvaro - Konfigurator für Mirello 16 - Neu.tkx"));
    QCOMPARE(form.statusText(1), QStringLiteral("Verwendeter COM-Port: keiner"));
    QCOMPARE(form.statusText(0), QString());
    QCOMPARE(form.document().filePath(), QDir::currentPath() + "/Neu.tkx");
    QCOMPARE(form.document().deviceType(), 5u);
    QVERIFY(!form.document().isModified());
    QVERIFY(form.document().isUntitled());
    QCOMPARE(form.portInUse(), quint16(0));
    QVERIFY(!form.comLogging());
    QVERIFY(form.page("PanelImage")->isVisibleTo(&form));
    for (const QString& name : TAppForm::PageNames)
        if (name != "PanelImage")
            QVERIFY2(!form.page(name)->isVisibleTo(&form), qPrintable(name));
    QCOMPARE(form.tree()->topLevelItem(0)->text(0), QStringLiteral("Konfiguration"));
    QVERIFY(dialogs.shown.isEmpty());
}

void TestAppForm::storedSettingsAreUsed() {
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.userFile(),
                           "[General]\nWorkDir=/daten/anlagen/\nCOM=21\nComLogging=1\n");
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    QCOMPARE(form.document().filePath(), QStringLiteral("/daten/anlagen/Neu.tkx"));
    QCOMPARE(form.portInUse(), quint16(0));
    QVERIFY(form.comLogging());
    QVERIFY(SettingsSandbox::read(sandbox.userFile()).contains("COM=0"));
}

void TestAppForm::twoEditsGiveOneMark() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    form.markModified();
    form.markModified();
    QCOMPARE(form.windowTitle(),
             QStringLiteral("Talvaro - Konfigurator für Mirello 16 - Neu.tkx*"));
    // A type change starts anew and clears the mark.
    form.setDeviceType(6);
    QCOMPARE(form.windowTitle(), QStringLiteral("Talvaro - Konfigurator für Quenta 26 - Neu.tkx"));
}

void TestAppForm::closeQueryAnswers() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    {
        TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
        form.show();
        QVERIFY(form.close()); // nothing changed: no question
        QVERIFY(dialogs.shown.isEmpty());
    }
    {
        TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
        form.show();
        form.markModified();
        dialogs.expect("HinweisBox", DialogResult::Cancel);
        QVERIFY(!form.close());
        QVERIFY(form.windowTitle().endsWith("Neu.tkx*"));
        QCOMPARE(dialogs.shown.last().caption, QStringLiteral("Hinweis"));
        QCOMPARE(dialogs.shown.last().lines,
                 QStringList({"Die Daten wurden geändert und nicht gespeichert!",
                              "Wollen Sie die Daten vor dem Beenden speichern?"}));
        dialogs.expect("HinweisBox", DialogResult::No);
        QVERIFY(form.close());
    }
    QVERIFY(dialogs.allAnswered());
}

void TestAppForm::closeAnsweredYesSavesFirst() {
    SettingsSandbox sandbox;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    {
        // Asked to save, a cancelled file name keeps the window and the changes.
        TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
        form.show();
        form.markModified();
        dialogs.expect("HinweisBox", DialogResult::Yes);
        dialogs.expect("SaveDialog", DialogResult::Cancel);
        QVERIFY(!form.close());
        QVERIFY(form.document().isModified());
    }
    {
        TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
        form.markModified();
        const QString path = dir.filePath("anlage.tkx");
        dialogs.expect("HinweisBox", DialogResult::Yes);
        dialogs.expect("SaveDialog", DialogResult::Ok, path);
        QVERIFY(form.close());
        QCOMPARE(dialogs.lastFileRequest.proposedName, QStringLiteral("Neu.tkx"));
        QCOMPARE(dialogs.lastFileRequest.defaultExt, QStringLiteral("tkx"));
        QCOMPARE(QFileInfo(path).size(), 76);
        QCOMPARE(form.document().workDir(), dir.path() + "/");
    }
    {
        // A save that fails keeps the window open and the changes marked.
        TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
        form.show();
        form.markModified();
        dialogs.expect("HinweisBox", DialogResult::Yes);
        dialogs.expect("SaveDialog", DialogResult::Ok, dir.filePath("fehlt/anlage.tkx"));
        dialogs.expect("MessageBox", DialogResult::Ok);
        QVERIFY(!form.close());
        QVERIFY(form.document().isModified());
        QVERIFY(form.windowTitle().endsWith("*"));
    }
    QVERIFY(dialogs.allAnswered());
}

void TestAppForm::closeWritesTheFolderOfTheFile() {
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.systemFile(), "[General]\nCOM=0\n");
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    dialogs.expect("SaveDialog", DialogResult::Ok, dir.filePath("büro.tkx"));
    QCOMPARE(form.saveConfigurationAs(), 0);
    QCOMPARE(form.windowTitle(),
             QStringLiteral("Talvaro - Konfigurator für Mirello 16 - büro.tkx"));
    QVERIFY(form.close());
    const QString stored = SettingsSandbox::read(sandbox.userFile());
    QVERIFY2(stored.contains("WorkDir=" + dir.path() + "/"), qPrintable(stored));
    QVERIFY(stored.contains("COM=0"));
}

void TestAppForm::firstShowingHappensOnce() {
    SettingsSandbox sandbox;
    qputenv("TALVARO_PORTS", ""); // no ports: the search ends at once
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs);
    QVERIFY(form.isFirstShowPending());
    dialogs.expect("KeineAnlageDlg", DialogResult::Ok); // "Offline"
    dialogs.expect("SelectDeviceDlg", DialogResult::Cancel);
    form.show();
    QTRY_VERIFY(dialogs.allAnswered());
    QVERIFY(!form.isFirstShowPending());
    form.hide();
    form.show(); // later showings search no more
    // The first showing starts its search from a zero timer; one started after this
    // showing has run by the time this marker fires.
    bool flushed = false;
    QTimer::singleShot(0, &form, [&flushed] { flushed = true; });
    QTRY_VERIFY(flushed);
    QCOMPARE(dialogs.shown.size(), 2);
    QCOMPARE(form.statusText(1), QString());
}

void TestAppForm::menuHasEveryCommand() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    QStringList entries;
    for (QAction* menu : form.menuBar()->actions()) {
        entries << menu->text();
        // Every menu title carries a hint; "Hilfe" and "Extras" name no topic.
        QCOMPARE(topicOfHint(menu->statusTip()),
                 menu->text() == "Konfiguration" ? std::optional<int>(8) : std::optional<int>(-1));
        for (QAction* item : menu->menu()->actions())
            entries << (item->isSeparator() ? QStringLiteral("-")
                                            : item->text() + "/" + item->shortcut().toString());
    }
    QCOMPARE(entries, QStringList({"Konfiguration",
                                   "Neu erstellen/Ctrl+N",
                                   "Ö&ffnen.../Ctrl+O",
                                   "Konfiguration speichern/",
                                   "Konfiguration &auslesen/",
                                   "Werkseinstellungen/",
                                   "In Datei speichern.../",
                                   "-",
                                   "&Drucken.../Ctrl+P",
                                   "Ducker einrichten.../",
                                   "-",
                                   "&Beenden/",
                                   "Extras",
                                   "Neue Firmware.../",
                                   "Seriellen Datenverkehr aufzeichnen/",
                                   "Verlauf.../",
                                   "Vergleichen mit.../",
                                   "Hilfe",
                                   "&Info.../Ctrl+I",
                                   "Fehlerbericht speichern.../"}));

    dialogs.expect("AboutBox", DialogResult::Ok);
    form.findChild<QAction*>("HelpAbout1")->trigger();
    QVERIFY(dialogs.allAnswered());
}

void TestAppForm::deviceTypeAboveSevenActsAsTypeZero() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    form.setDeviceType(11);
    QCOMPARE(form.document().deviceType(), 11u);
    QCOMPARE(form.windowTitle(),
             QStringLiteral("Talvaro - Konfigurator für Mirello 16 und Quenta 26 - Neu.tkx"));
    QCOMPARE(form.document().imageLength(), 60);
    QCOMPARE(form.tree()->topLevelItem(0)->child(0)->childCount(), 0);
}

void TestAppForm::fixedClientArea() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    QCOMPARE(form.width(), 760);
    QCOMPARE(form.height() - form.menuBar()->sizeHint().height(), 437);
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form.page("PanelKontakte")->size(), QSize(368, 388));
}

QTEST_MAIN(TestAppForm)
#include "test_app_form.moc"
