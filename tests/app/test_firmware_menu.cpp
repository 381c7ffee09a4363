// "Neue Firmware..." in the main window: the firmware dialog, wired to the window's update.
#include "ScriptedDialogs.h"
#include "SettingsSandbox.h"
#include "app/AppForm.h"
#include "app/WidgetDialogs.h"
#include "firmware/FWDlg.h"
#include "firmware/FirmwareUpdate.h"
#include "link/LinkSession.h"
#include "sim/PtyDevice.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace talvaro;

class TestFirmwareMenu : public QObject {
    Q_OBJECT
private slots:
    void menuEntryShowsTheFirmwareDialog();
    void realDialogForwardsToTheWindowsUpdate();
    void loaderConfirmationStopsTheStartTimer();
};

void TestFirmwareMenu::menuEntryShowsTheFirmwareDialog() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    dialogs.expect(QStringLiteral("FirmwareDlg"), DialogResult::Cancel);
    form.findChild<QAction*>(QStringLiteral("NeueFirmware1"))->trigger();
    QVERIFY(dialogs.allAnswered());
}

void TestFirmwareMenu::realDialogForwardsToTheWindowsUpdate() {
    SettingsSandbox sandbox;
    WidgetDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    dialogs.setMainWindow(&form);
    dialogs.attachFirmwareUpdate(form.firmwareUpdate());

    // "Start" without a file reaches the window's update, which answers with its message;
    // then the dialog is cancelled.
    QString title;
    QString message;
    QTimer::singleShot(0, [&] {
        QWidget* dlg = nullptr;
        QTRY_VERIFY((dlg = QApplication::activeModalWidget()) != nullptr);
        title = dlg->windowTitle();
        QTimer::singleShot(0, [&] {
            QMessageBox* box = nullptr;
            QTRY_VERIFY((box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())));
            message = box->text();
            box->buttons().first()->click();
        });
        dlg->findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        dlg->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
    });
    form.findChild<QAction*>(QStringLiteral("NeueFirmware1"))->trigger();
    QCOMPARE(title, QStringLiteral("Firmware Update"));
    QCOMPARE(message, QStringLiteral("Keine Datei ausgewählt"));
    QVERIFY(!QApplication::activeModalWidget());
}

void TestFirmwareMenu::loaderConfirmationStopsTheStartTimer() {
    SettingsSandbox sandbox;
    sim::PtyDevice device(5);
    QVERIFY(device.open());
    qputenv("TALVARO_PORTS", device.slavePath().toLocal8Bit());
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    form.link().exchange().deviceFoundOn(1);
    form.link().ComPort1().setPortNumber(1);
    QVERIFY(form.firmwareUpdate().startLoader());
    QVERIFY(form.firmwareUpdate().startTimer().isActive());
    // What the exchange does on "L".
    form.session().stopFirmwareStartTimer();
    QVERIFY(!form.firmwareUpdate().startTimer().isActive());
}

QTEST_MAIN(TestFirmwareMenu)
#include "test_firmware_menu.moc"
