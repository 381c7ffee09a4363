// The firmware dialog: its controls and texts, and what it forwards to the update.
#include "FirmwareFiles.h"
#include "FlowFakes.h"

#include "firmware/FWDlg.h"
#include "firmware/FirmwareUpdate.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace talvaro;

class TestFirmwareDialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controlsAndTexts();
    void browsingFillsTheFileName();
    void startChecksTheNamedFile();
    void showingAgainKeepsTheNameAndClearsProgress();
    void startWaitsForTheLoader_data();
    void startWaitsForTheLoader();
    void returnTakesTheFocusedButton();

private:
    std::unique_ptr<FlowHost> m_host;
    std::unique_ptr<IconDialogs> m_dialogs;
    std::unique_ptr<FirmwareUpdate> m_update;
    std::unique_ptr<TFirmwareDlg> m_dlg;
};

void TestFirmwareDialog::init() {
    m_host = std::make_unique<FlowHost>(5);
    m_dialogs = std::make_unique<IconDialogs>();
    m_update = std::make_unique<FirmwareUpdate>(*m_host, *m_dialogs);
    m_dlg = std::make_unique<TFirmwareDlg>();
    m_dlg->setController(m_update.get());
}

void TestFirmwareDialog::cleanup() {
    m_dlg.reset();
    m_update.reset();
}

void TestFirmwareDialog::controlsAndTexts() {
    TFirmwareDlg& d = *m_dlg;
    QCOMPARE(d.windowTitle(), QStringLiteral("Firmware Update"));
    QCOMPARE(d.Memo1->toPlainText().split(QLatin1Char('\n')),
             (QStringList{"Bitte sichern Sie vor dem Einspielen der neuen Firmware ihre ",
                          "Einstellungen .",
                          "Es kann sein, dass die Einstellungen nach dem Einspielen auf die ",
                          "Werkseinstellungen zurückgestellt werden.", "",
                          "Wählen Sie eine Firmwaredatei aus.",
                          "Klicken Sie dann auf Start, um mit dem Einspielen zu beginnen."}));
    QVERIFY(d.Memo1->isReadOnly());
    QCOMPARE(d.Label2->text(), QStringLiteral("Datei"));
    QCOMPARE(d.BtnSuchen->text(), QStringLiteral("..."));
    QCOMPARE(d.Label1->text(), QStringLiteral("Fortschritt"));
    QCOMPARE(d.ProgressBar1->minimum(), 0);
    QCOMPARE(d.ProgressBar1->maximum(), 100);
    QCOMPARE(d.OKBtn->text(), QStringLiteral("Start"));
    QVERIFY(d.OKBtn->isDefault());
    QCOMPARE(d.CancelBtn->text(), QStringLiteral("Abbrechen"));
    QVERIFY(d.findChild<QLineEdit*>(QStringLiteral("Filename")));
}

void TestFirmwareDialog::browsingFillsTheFileName() {
    m_dialogs->expect(QStringLiteral("OpenDialog"), DialogResult::Ok, QStringLiteral("/f/a.efw"));
    QTest::mouseClick(m_dlg->BtnSuchen, Qt::LeftButton);
    QCOMPARE(m_dlg->Filename->text(), QStringLiteral("/f/a.efw"));
    QCOMPARE(m_dialogs->lastFileRequest.filter, m_host->doc.firmwareFilter());
    m_dialogs->expect(QStringLiteral("OpenDialog"), DialogResult::Cancel);
    QTest::mouseClick(m_dlg->BtnSuchen, Qt::LeftButton);
    QCOMPARE(m_dlg->Filename->text(), QStringLiteral("/f/a.efw"));
    QVERIFY(m_dialogs->allAnswered());
}

void TestFirmwareDialog::startChecksTheNamedFile() {
    m_dialogs->expect(QStringLiteral("MessageBox"), DialogResult::Ok);
    QTest::mouseClick(m_dlg->OKBtn, Qt::LeftButton);
    QCOMPARE(m_dialogs->shown.last().lines, QStringList{"Keine Datei ausgewählt"});
    m_dlg->Filename->setText(QStringLiteral("/nowhere/missing.efw"));
    m_dialogs->expect(QStringLiteral("MessageBox"), DialogResult::Ok);
    QTest::mouseClick(m_dlg->OKBtn, Qt::LeftButton);
    QCOMPARE(m_dialogs->shown.last().lines, QStringList{"Fehlerhafte Firmwaredatei!"});
    QVERIFY(m_dialogs->allAnswered());
}

void TestFirmwareDialog::showingAgainKeepsTheNameAndClearsProgress() {
    TFirmwareDlg& d = *m_dlg;
    d.Filename->setText(QStringLiteral("last.efw"));
    d.show();
    d.transferStarting();
    d.setProgress(55);
    QVERIFY(!d.OKBtn->isEnabled());
    QVERIFY(!d.CancelBtn->isEnabled());
    d.transferEnded();
    QVERIFY(d.OKBtn->isEnabled());
    QVERIFY(d.CancelBtn->isEnabled());
    QVERIFY(!d.Filename->isEnabled()); // until the next showing
    QVERIFY(!d.BtnSuchen->isEnabled());
    d.closeDialog();
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Rejected));

    d.show();
    QVERIFY(d.Filename->isEnabled());
    QVERIFY(d.BtnSuchen->isEnabled());
    QCOMPARE(d.ProgressBar1->value(), 0);
    QCOMPARE(d.Filename->text(), QStringLiteral("last.efw"));
}

void TestFirmwareDialog::startWaitsForTheLoader_data() {
    QTest::addColumn<bool>("cancelled"); // or the start timer runs out
    QTest::newRow("cancelled") << true;
    QTest::newRow("start timer") << false;
}

// From "U\r" on, "Start" waits until the handshake has ended; cancelling gives the
// update up, the start timer lets the user try again.
void TestFirmwareDialog::startWaitsForTheLoader() {
    QFETCH(bool, cancelled);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("t5.efw"));
    QVERIFY(!makeEfw(file, {QStringLiteral("--type"), QStringLiteral("5")}).isEmpty());
    m_host->connectedOn(1);
    m_update->setStartTimeout(cancelled ? 60000 : 50);
    m_dlg->show();
    m_dlg->Filename->setText(file);
    QTest::mouseClick(m_dlg->OKBtn, Qt::LeftButton);
    QVERIFY(m_update->awaitingLoader());
    QVERIFY(m_dlg->isVisible()); // the dialog waits for the loader with the user
    QVERIFY(!m_dlg->OKBtn->isEnabled());
    m_update->OKBtnClick(file); // as Return would
    QCOMPARE(m_host->calls, QStringList{"handshake"});
    if (cancelled) {
        QTest::mouseClick(m_dlg->CancelBtn, Qt::LeftButton);
        QVERIFY(!m_dlg->isVisible());
    } else {
        m_dialogs->expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
        QTRY_VERIFY(m_dialogs->allAnswered());
        QVERIFY(m_dlg->isVisible());
    }
    QVERIFY(m_dlg->OKBtn->isEnabled());
    QVERIFY(!m_update->awaitingLoader());
    QVERIFY(!m_update->startTimer().isActive());
    QVERIFY(!m_host->fakeLink.armed());
}

// Return does what a click on the focused button does, Start when no button has the
// focus; Escape closes as "Abbrechen" does.
void TestFirmwareDialog::returnTakesTheFocusedButton() {
    TFirmwareDlg& d = *m_dlg;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    const auto returnOn = [](QWidget* w) {
        w->setFocus();
        QTRY_VERIFY(w->hasFocus());
        QTest::keyClick(w, Qt::Key_Return);
    };
    m_dialogs->expect(QStringLiteral("OpenDialog"), DialogResult::Cancel);
    returnOn(d.BtnSuchen);
    QVERIFY(m_dialogs->allAnswered());
    m_dialogs->expect(QStringLiteral("MessageBox"), DialogResult::Ok);
    returnOn(d.Filename);
    QCOMPARE(m_dialogs->shown.last().lines, QStringList{"Keine Datei ausgewählt"});
    returnOn(d.CancelBtn);
    QVERIFY(!d.isVisible());
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(!d.isVisible());
    QVERIFY(m_dialogs->allAnswered());
}

QTEST_MAIN(TestFirmwareDialog)
#include "test_firmware_dialog.moc"
