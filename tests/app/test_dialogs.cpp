#include "SettingsSandbox.h"
#include "app/AppForm.h"
#include "app/MessageDialogs.h"
#include "app/SearchDialogs.h"
#include "app/WidgetDialogs.h"
#include "link/LinkSession.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace talvaro;

namespace {

// Runs `action` once the modal dialog has started its own event loop.
void whenShown(QWidget* dialog, std::function<void()> action) {
    QTimer::singleShot(0, dialog, [dialog, action] {
        QTRY_VERIFY(dialog->isVisible());
        action();
    });
}

QPushButton* button(QWidget* dialog, const QString& text) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void progErgebnisRefusesToCloseWhileTheDeviceRestarts();
    void selectDevicePreselection_data();
    void selectDevicePreselection();
    void selectDeviceOkAndCancel();
    void portChoice();
    void noDeviceFoundButtons();
    void transferWindowLocksTheMainWindow();
    void messageLinesAreClearedAfterUse();
    void fileFilterForQt();
    void programStartOrder();
};

void TestDialogs::progErgebnisRefusesToCloseWhileTheDeviceRestarts() {
    // A shortened restart. Nothing runs the event loop before the wait for "OK", so the
    // close and the Escape key come while the device restarts.
    constexpr int restartMs = 400;
    TProgErgebnisDialog dialog(nullptr, restartMs);
    dialog.addLine("Die Konfiguration wurde erfolgreich programmiert.");
    QElapsedTimer clock;
    clock.start();
    dialog.open();
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.okButton()->isEnabled());
    dialog.close();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isWaiting());
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.okButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.okButton()->isEnabled(), 30000);
    // Qt's coarse timers may end up to 5 % early.
    QVERIFY2(clock.elapsed() >= restartMs * 9 / 10, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(dialog.lines().last(), QStringLiteral("Die Anlage wurde neu gestartet."));
    QCOMPARE(dialog.lines().size(), 2);
    dialog.okButton()->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.outcome(), DialogResult::Ok);
}

void TestDialogs::selectDevicePreselection_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QString>("selected");
    QTest::newRow("0") << 0u << "Quenta 26Sol";
    QTest::newRow("5") << 5u << "Mirello 16";
    QTest::newRow("6") << 6u << "Quenta 26";
    QTest::newRow("7") << 7u << "Quenta 26Sol";
    QTest::newRow("2") << 2u << "Quenta 26Sol";
}

void TestDialogs::selectDevicePreselection() {
    QFETCH(uint, type);
    QFETCH(QString, selected);
    TSelectDeviceDlg dialog;
    std::optional<DeviceType> chosen;
    QString shown;
    whenShown(&dialog, [&] {
        for (QRadioButton* rb : dialog.findChildren<QRadioButton*>())
            if (rb->isChecked())
                shown = rb->text();
        button(&dialog, "OK")->click();
    });
    chosen = dialog.choose(type);
    QCOMPARE(shown, selected);
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, TSelectDeviceDlg::typeForRow(TSelectDeviceDlg::rowFor(type)));
    QCOMPARE(TSelectDeviceDlg::typeForRow(TSelectDeviceDlg::rowFor(type)),
             type == 5 || type == 6 ? type : 7u);
}

void TestDialogs::selectDeviceOkAndCancel() {
    TSelectDeviceDlg dialog;
    whenShown(&dialog, [&] {
        dialog.selectRow(0);
        button(&dialog, "OK")->click();
    });
    QCOMPARE(dialog.choose(7), std::optional<DeviceType>(5));
    whenShown(&dialog, [&] {
        dialog.selectRow(0);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QCOMPARE(dialog.choose(6), std::nullopt);
}

void TestDialogs::portChoice() {
    QCOMPARE(TWaehleComPortDlg::portOfEntry("COM12"), quint16(12));
    QCOMPARE(TWaehleComPortDlg::portOfEntry("COMx"), quint16(0));
    QCOMPARE(TWaehleComPortDlg::portOfEntry("COM99999"), quint16(0));

    TWaehleComPortDlg dialog;
    whenShown(&dialog, [&] {
        QCOMPARE(dialog.ports()->currentText(), QStringLiteral("COM3"));
        dialog.ports()->setCurrentIndex(1);
        button(&dialog, "OK")->click();
    });
    PortChoice choice = dialog.choose({"COM3", "COM12"}, 1);
    QCOMPARE(choice.result, DialogResult::Ok);
    QCOMPARE(choice.port, quint16(12));

    // An entry that names no port turns OK into Cancel.
    whenShown(&dialog, [&] { button(&dialog, "OK")->click(); });
    choice = dialog.choose({"COMx"}, 4);
    QCOMPARE(choice.result, DialogResult::Cancel);
    QCOMPARE(choice.port, quint16(4));

    // Typed text selects no entry: OK, and the port stays.
    whenShown(&dialog, [&] {
        dialog.ports()->setEditText("/dev/ttyUSB0");
        button(&dialog, "OK")->click();
    });
    choice = dialog.choose({"COM3"}, 4);
    QCOMPARE(choice.result, DialogResult::Ok);
    QCOMPARE(choice.port, quint16(4));
}

void TestDialogs::noDeviceFoundButtons() {
    TKeineAnlageDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Keine Telefonanlage gefunden"));
    whenShown(&dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(dialog.run(), DialogResult::Retry);
    whenShown(&dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Return); });
    QCOMPARE(dialog.run(), DialogResult::Ok);
    whenShown(&dialog, [&] { dialog.close(); });
    QCOMPARE(dialog.run(), DialogResult::Cancel);

    dialog.setAccessHints({"Kein Zugriff auf COM1 (/dev/ttyUSB0): die Mitgliedschaft in der "
                           "Gruppe \"dialout\" gewährt ihn."});
    QVERIFY(dialog.findChild<QLabel*>("lblZugriff")->isVisibleTo(&dialog));
    QVERIFY(dialog.accessHintText().contains("dialout"));
    dialog.setAccessHints({});
    QVERIFY(!dialog.findChild<QLabel*>("lblZugriff")->isVisibleTo(&dialog));
}

void TestDialogs::transferWindowLocksTheMainWindow() {
    QMainWindow main;
    main.show();
    WidgetDialogs dialogs;
    dialogs.setMainWindow(&main);
    int closings = 0;
    dialogs.setTransferClosedHandler([&] { ++closings; });

    dialogs.setTransferCaption("Konfiguration programmieren");
    dialogs.showTransfer();
    QVERIFY(!main.isEnabled());
    dialogs.closeTransfer();
    QVERIFY(main.isEnabled());
    QCOMPARE(closings, 1);

    // Closing a window that is not showing still runs the closing steps.
    main.setEnabled(false);
    dialogs.closeTransfer();
    QVERIFY(main.isEnabled());
    QCOMPARE(closings, 2);
}

void TestDialogs::messageLinesAreClearedAfterUse() {
    QMainWindow main;
    WidgetDialogs dialogs;
    dialogs.setMainWindow(&main);
    QStringList seen;
    QString caption;
    auto answer = [&](const QString& text) {
        QTimer::singleShot(0, [&, text] {
            QWidget* box = QApplication::activeModalWidget();
            QTRY_VERIFY((box = QApplication::activeModalWidget()) != nullptr);
            caption = box->windowTitle();
            seen = box->findChild<QPlainTextEdit*>("Message")->toPlainText().split('\n');
            button(box, text)->click();
        });
    };
    answer("&Nein");
    QCOMPARE(dialogs.showMessage(MessageDialog::Hinweis, "Hinweis", {"a", "b"}), DialogResult::No);
    QCOMPARE(caption, QStringLiteral("Hinweis"));
    QCOMPARE(seen, QStringList({"a", "b"}));
    answer("OK");
    QCOMPARE(dialogs.showMessage(MessageDialog::Error, "Fehler bei Dateizugriff", {"Fehler!"}),
             DialogResult::Ok);
    QCOMPARE(seen, QStringList({"Fehler!"}));
    answer("OK");
    dialogs.showMessage(MessageDialog::Error, "X", {"zweiter"});
    QCOMPARE(seen, QStringList({"zweiter"})); // nothing left over from the first use
}

void TestDialogs::fileFilterForQt() {
    QCOMPARE(qtFileFilter("Quenta 26 Dateien (*.tkx)|*.tkx|Alle Dateien (*.*)|*.*"),
             QStringLiteral("Quenta 26 Dateien (*.tkx);;Alle Dateien (*)"));

    QTemporaryDir dir;
    QFileDialog save;
    configureFileDialog(save,
                        {dir.path(), "anlage.tkx",
                         "Mirello 16 Dateien (*.tkx)|*.tkx|Alle Dateien (*.*)|*.*", "tkx"},
                        QFileDialog::AcceptSave);
    QVERIFY(!save.testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(save.defaultSuffix(), QStringLiteral("tkx"));
    QCOMPARE(save.directory().absolutePath(), QDir(dir.path()).absolutePath());
    QCOMPARE(save.nameFilters().first(), QStringLiteral("Mirello 16 Dateien (*.tkx)"));

    // The open dialog proposes the mask, not a file called "*.tkx".
    QFileDialog open;
    configureFileDialog(open, {dir.path(), "*.tkx", "T (*.tkx)|*.tkx", "tkx"},
                        QFileDialog::AcceptOpen);
    QCOMPARE(open.fileMode(), QFileDialog::ExistingFile);
}

// As the program starts: the main window first (its device link registers with the
// progress window then), the dialogs after it.
void TestDialogs::programStartOrder() {
    SettingsSandbox sandbox;
    WidgetDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    dialogs.setMainWindow(&form);
    form.show();
    dialogs.showTransfer();
    QVERIFY(!form.isEnabled());
    dialogs.closeTransfer();
    QVERIFY(form.isEnabled());
    QCOMPARE(form.link().DataPacket1().isArmed(), false);
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
