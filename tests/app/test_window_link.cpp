#include "ScriptedDialogs.h"
#include "SettingsSandbox.h"
#include "SimulatedPorts.h"
#include "app/AppForm.h"
#include "link/LinkSession.h"

#include <QAction>
#include <QTest>

using namespace talvaro;

// The main window against a simulated telephone system on a pseudo-terminal: the search
// at the first showing, reading, programming and the factory reset, as a user does them.
class TestWindowLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void firstShowingFindsReadsAndProgramsTheDevice();
    void factoryResetProgramsTheDefaults();
    void programmingASiblingKeepsTheEdits();

private:
    std::unique_ptr<SimulatedPorts> m_device; // a Quenta 26 on COM1
};

void TestWindowLink::initTestCase() {
    m_device = std::make_unique<SimulatedPorts>(std::initializer_list<DeviceType>{6});
    m_device->start();
    m_device->assignPorts();
}

void TestWindowLink::firstShowingFindsReadsAndProgramsTheDevice() {
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.systemFile(), "[General]\nCOM=0\n");
    const QByteArray deviceImage = m_device->image(1);
    ScriptedDialogs dialogs;
    dialogs.expect("SuchenDlg", DialogResult::Cancel);
    dialogs.expect("ErgebnisDialog", DialogResult::Ok);
    {
        TAppForm form(dialogs, dialogs);
        form.show();
        QTRY_VERIFY(dialogs.allAnswered());

        // A Quenta 26 answered while the Mirello 16 was edited: the editor follows it.
        QCOMPARE(form.document().deviceType(), 6u);
        QCOMPARE(form.statusText(1), QStringLiteral("Verwendeter COM-Port: COM1"));
        QVERIFY(form.statusText(0).contains(" - Firmware "));
        QCOMPARE(form.images().working(6), deviceImage);
        QCOMPARE(dialogs.shown.last().lines.last(),
                 QStringLiteral("Das Auslesen der Konfiguration war erfolgreich."));
        QVERIFY(!form.document().isModified());

        // Programming leaves in the device exactly what the editor encodes.
        form.model().setChecked("RBnab23", true);
        dialogs.expect("ProgErgebnisDialog", DialogResult::Ok);
        form.findChild<QAction*>("Upload")->trigger();
        QTRY_VERIFY(dialogs.allAnswered());
        QVERIFY(form.isEnabled());
        const QByteArray sent = form.images().working(6);
        QCOMPARE(m_device->image(1), sent);
        QVERIFY(sent != deviceImage);
        form.document().updateTitle();
        QVERIFY(form.close());
    }
    // The port of the device is kept for the next start.
    QVERIFY(SettingsSandbox::read(sandbox.userFile()).contains("COM=1"));
}

void TestWindowLink::factoryResetProgramsTheDefaults() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    dialogs.expect("SuchenDlg", DialogResult::Cancel);
    dialogs.expect("ErgebnisDialog", DialogResult::Ok);
    TAppForm form(dialogs, dialogs);
    form.show();
    QTRY_VERIFY(dialogs.allAnswered());

    dialogs.expect("Warning", DialogResult::No);
    form.findChild<QAction*>("Werkseinstellung")->trigger();
    QVERIFY(dialogs.allAnswered());

    dialogs.expect("Warning", DialogResult::Yes);
    dialogs.expect("ProgErgebnisDialog", DialogResult::Ok);
    form.findChild<QAction*>("Werkseinstellung")->trigger();
    QTRY_VERIFY(dialogs.allAnswered());
    QVERIFY(form.document().isUntitled());
    ConfigModel defaults(form.document(), dialogs);
    ImageBuffers expected = form.images();
    defaults.applyFactoryDefaults();
    defaults.encodeImage(expected);
    QCOMPARE(m_device->image(1), expected.working(6));
    form.document().updateTitle();
}

// Offline, "Konfiguration speichern" searches first; the Quenta 26 found while a Mirello
// 16 configuration was edited must receive that configuration, not factory defaults.
void TestWindowLink::programmingASiblingKeepsTheEdits() {
    SettingsSandbox sandbox;
    ScriptedDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    form.show();
    QCOMPARE(form.document().deviceType(), 5u);
    form.model().setChecked("RBnab23", true);
    form.model().setValue("LMDSpinEditAnzahlRufe", 7);
    dialogs.expect("SuchenDlg", DialogResult::Cancel);
    dialogs.expect("ProgErgebnisDialog", DialogResult::Ok);
    form.findChild<QAction*>("Upload")->trigger();
    QTRY_VERIFY(dialogs.allAnswered());
    QCOMPARE(form.document().deviceType(), 6u);
    QVERIFY(form.model().state("RBnab23").checked);
    QCOMPARE(form.model().state("LMDSpinEditAnzahlRufe").value, 7.0);
    QCOMPARE(m_device->image(1), form.images().working(6));
    form.document().updateTitle();
}

QTEST_MAIN(TestWindowLink)
#include "test_window_link.moc"
