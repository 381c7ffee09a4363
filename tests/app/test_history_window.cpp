// The window's history against a simulated device: "Verlauf..." and "Vergleichen mit...".
#include "ScriptedDialogs.h"
#include "SettingsSandbox.h"
#include "SimulatedPorts.h"
#include "app/AppForm.h"
#include "history/HistoryStore.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace talvaro;

class TestHistoryWindow : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        m_device.reset();
        m_dialogs.reset();
    }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_DATA_HOME", m_dir->path().toLocal8Bit());
        m_sandbox = std::make_unique<SettingsSandbox>();
        m_device = std::make_unique<SimulatedPorts>(std::initializer_list<DeviceType>{6});
        m_device->start();
        m_device->assignPorts();
        m_dialogs = std::make_unique<ScriptedDialogs>();
    }

    void restoredEntryGoesBackIntoTheDevice() {
        auto form = startedForm();
        form->model().setChecked("RBnab23", true);
        m_dialogs->expect("ProgErgebnisDialog", DialogResult::Ok);
        trigger(*form, "Upload");
        const QByteArray first = m_device->image(1);
        form->model().setChecked("RBnab23", false);
        form->model().setValue("LMDSpinEditAnzahlRufe", 6);
        m_dialogs->expect("ProgErgebnisDialog", DialogResult::Ok);
        trigger(*form, "Upload");
        QVERIFY(m_device->image(1) != first);

        // Newest first: programmed twice, then the read at the start.
        const QList<HistoryEntry> entries = form->history().entries();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[2].event.action, ActionRead);
        QCOMPARE(form->history().image(entries[1]), first);

        form->document().updateTitle();
        m_dialogs->expectHistory(HistoryCommand::Load, entries[1].id);
        trigger(*form, "Verlauf1");
        QCOMPARE(m_dialogs->historyRows.size(), 3);
        QVERIFY(form->document().isModified());

        m_dialogs->expect("ProgErgebnisDialog", DialogResult::Ok);
        trigger(*form, "Upload");
        QCOMPARE(m_device->image(1), first);

        // "Als Datei speichern..." writes the entry's image as it is.
        const QString saved = m_dir->filePath("saved.tkx");
        m_dialogs->expectHistory(HistoryCommand::SaveAs, entries[2].id);
        m_dialogs->expect("SaveDialog", DialogResult::Ok, saved);
        trigger(*form, "Verlauf1");
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), form->history().image(entries[2]).value());

        // Loading over unsaved edits asks first; "Abbrechen" keeps the editor.
        const QByteArray editor = form->images().working(6);
        m_dialogs->expectHistory(HistoryCommand::Load, entries[2].id);
        m_dialogs->expect("HinweisBox", DialogResult::Cancel);
        trigger(*form, "Verlauf1");
        form->encodeImage();
        QCOMPARE(form->images().working(6), editor);
        form->document().updateTitle();
    }

    void comparingWithAFile() {
        auto form = startedForm();
        const QString same = m_dir->filePath("same.tkx");
        m_dialogs->expect("SaveDialog", DialogResult::Ok, same);
        trigger(*form, "FileSaveAs1");

        m_dialogs->expect("OpenDialog", DialogResult::Ok, same);
        m_dialogs->expect("Vergleich", DialogResult::Ok);
        trigger(*form, "Vergleichen1");
        QVERIFY(m_dialogs->comparedLines.isEmpty());

        const double rings = form->model().state("LMDSpinEditAnzahlRufe").value;
        form->model().setValue("LMDSpinEditAnzahlRufe", rings == 3 ? 4 : 3);
        m_dialogs->expect("OpenDialog", DialogResult::Ok, same);
        m_dialogs->expect("Vergleich", DialogResult::Ok);
        trigger(*form, "Vergleichen1");
        QCOMPARE(m_dialogs->comparedLines.size(), 1);
        const ComparedLine line = m_dialogs->comparedLines.first();
        QVERIFY(line.after.contains(rings == 3 ? "4" : "3"));

        // The history's "Vergleichen" shows the same against the entry of the start.
        const QString read = form->history().entries().first().id;
        m_dialogs->expectHistory(HistoryCommand::Compare, read);
        m_dialogs->expect("Vergleich", DialogResult::Ok);
        trigger(*form, "Verlauf1");
        QCOMPARE(m_dialogs->comparedLines.size(), 1);
        QCOMPARE(m_dialogs->comparedLines.first().after, line.after);
        form->document().updateTitle();
    }

private:
    // The window after the search at its first showing has read the device.
    std::unique_ptr<TAppForm> startedForm() {
        m_dialogs->expect("SuchenDlg", DialogResult::Cancel);
        m_dialogs->expect("ErgebnisDialog", DialogResult::Ok);
        auto form = std::make_unique<TAppForm>(*m_dialogs, *m_dialogs);
        form->show();
        [&] { QTRY_VERIFY(m_dialogs->allAnswered()); }();
        return form;
    }
    void trigger(TAppForm& form, const char* action) {
        form.findChild<QAction*>(action)->trigger();
        QTRY_VERIFY(m_dialogs->allAnswered());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsSandbox> m_sandbox;
    std::unique_ptr<SimulatedPorts> m_device;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

QTEST_MAIN(TestHistoryWindow)
#include "test_history_window.moc"
