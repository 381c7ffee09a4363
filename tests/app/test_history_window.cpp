// The window's history against a simulated device: "Verlauf..." and "Vergleichen mit...".
#include "ScriptedDialogs.h"
#include "SettingsSandbox.h"
#include "SimulatedPorts.h"
#include "app/AppForm.h"
#include "app/HistoryDialogs.h"
#include "history/HistoryStore.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
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

        // Newest first: programmed twice, each after a backup of what the device held
        // then, and the read at the start.
        const QList<HistoryEntry> entries = form->history().entries();
        QCOMPARE(entries.size(), 5);
        QCOMPARE(entries[4].event.action, ActionRead);
        QCOMPARE(entries[1].event.action, ActionBackup);
        QCOMPARE(form->history().image(entries[1]), first);
        QCOMPARE(form->history().image(entries[2]), first);

        form->document().updateTitle();
        m_dialogs->expectHistory(HistoryCommand::Load, idOf(entries[2]));
        trigger(*form, "Verlauf1");
        QCOMPARE(m_dialogs->historyRows.size(), 5);
        QVERIFY(form->document().isModified());

        m_dialogs->expect("ProgErgebnisDialog", DialogResult::Ok);
        trigger(*form, "Upload");
        QCOMPARE(m_device->image(1), first);

        // "Als Datei speichern..." writes the entry's image as it is.
        const QString saved = m_dir->filePath("saved.tkx");
        m_dialogs->expectHistory(HistoryCommand::SaveAs, idOf(entries[4]));
        m_dialogs->expect("SaveDialog", DialogResult::Ok, saved);
        trigger(*form, "Verlauf1");
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), form->history().image(entries[4]).value());

        // Loading over unsaved edits asks first; "Abbrechen" keeps the editor.
        const QByteArray editor = form->images().working(6);
        m_dialogs->expectHistory(HistoryCommand::Load, idOf(entries[2]));
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
        const QString read = idOf(form->history().entries().first());
        m_dialogs->expectHistory(HistoryCommand::Compare, read);
        m_dialogs->expect("Vergleich", DialogResult::Ok);
        trigger(*form, "Verlauf1");
        QCOMPARE(m_dialogs->comparedLines.size(), 1);
        QCOMPARE(m_dialogs->comparedLines.first().after, line.after);
        form->document().updateTitle();
    }

    void deleteAsksFirstAndNotesAreKept() {
        auto form = startedForm();
        const QString read = idOf(form->history().entries().first());
        m_dialogs->expectHistory(HistoryCommand::Note, read);
        m_dialogs->expect("Texteingabe", DialogResult::Ok, "Meier GmbH");
        m_dialogs->expectHistory(HistoryCommand::Delete, read);
        m_dialogs->expect("Warning", DialogResult::No);
        m_dialogs->expectHistory(HistoryCommand::Close);
        trigger(*form, "Verlauf1");
        QCOMPARE(m_dialogs->historyRows.size(), 1);
        QCOMPARE(m_dialogs->historyRows.first().note, QStringLiteral("Meier GmbH"));

        m_dialogs->expectHistory(HistoryCommand::Delete, read);
        m_dialogs->expect("Warning", DialogResult::Yes);
        m_dialogs->expectHistory(HistoryCommand::Close);
        trigger(*form, "Verlauf1");
        QVERIFY(m_dialogs->historyRows.isEmpty());
        QVERIFY(form->history().entries().isEmpty());
    }

    void theDialogFiltersAndNamesEveryControl() {
        const auto row = [](const QString& id, DeviceType type, const QString& device,
                            const QString& note, const QString& damage = {}) {
            HistoryRow r;
            r.id = id;
            r.type = type;
            r.model = deviceProfile(type).identity;
            r.device = device;
            r.note = note;
            r.damage = damage;
            return r;
        };
        const QList<HistoryRow> rows{row("3", 6, "TK Quenta 26", "Meier GmbH"),
                                     row("2", 5, "TK Mirello 16", "Lager"),
                                     row("1", 0, "TK Vorda 12", "", "kaputt")};
        HistoryDialog dialog(nullptr, rows, 5, {});
        auto* search = dialog.findChild<QLineEdit*>();
        auto* table = dialog.findChild<QTableView*>();
        const auto shown = [&] { return table->model()->rowCount(); };
        for (const auto& [text, count] : {std::pair{"meier", 1}, {"Mirello", 1}, {"TK ", 3}}) {
            search->setText(text);
            QCOMPARE(shown(), count);
        }
        search->clear();
        dialog.findChild<QCheckBox*>()->setChecked(true);
        QCOMPARE(shown(), 1);
        QVERIFY(dialog.currentRow());
        QCOMPARE(dialog.currentRow()->id, QStringLiteral("2"));

        // A damaged entry can only be annotated and deleted.
        dialog.findChild<QCheckBox*>()->setChecked(false);
        table->selectRow(2);
        QStringList enabled;
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->isEnabled())
                enabled << button->text();
        enabled.sort();
        QCOMPARE(enabled, (QStringList{"Löschen", "Notiz...", "Schließen"}));

        QList<QWidget*> controls{search, table, dialog.findChild<QCheckBox*>()};
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            controls << button;
        for (QWidget* control : controls) {
            QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
            QVERIFY2(!control->accessibleDescription().isEmpty(),
                     qPrintable(control->accessibleName()));
        }
    }

private:
    static QString idOf(const HistoryEntry& entry) { return QString::number(entry.id); }
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
