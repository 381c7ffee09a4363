// The device search over COM1 to COM20 with simulated devices behind a fake link.
#include "LinkRig.h"

#include <QTest>

using namespace talvaro;

class TestDeviceSearch : public QObject {
    Q_OBJECT

    static void silentOn(LinkRig& rig, quint16 port) {
        rig.link.attach(port, 5).faults().silent = true;
    }

private slots:
    void noPortOffersOfflineAtOnce();
    void deviceOnCom4AfterThreeSilentPorts();
    void otherFamilyIsNoDevice_data();
    void otherFamilyIsNoDevice();
    void suchenStartsAgainAtCom1();
    void offlineWithType2OffersSixExtensionModels();
    void versionTimeoutEndsSearchWithError();
    void portLeftOpenDoesNotHideCom1();
};

void TestDeviceSearch::noPortOffersOfflineAtOnce() {
    LinkRig rig(5);
    rig.host.status[0] = QStringLiteral("alt");
    rig.host.status[1] = QStringLiteral("Verwendeter COM-Port: COM2");
    rig.exchange.deviceFoundOn(2);
    rig.link.refusedAccess = {QStringLiteral("Kein Zugriff auf COM1 (/dev/ttyUSB0)")};
    rig.dialogs.expect(QStringLiteral("KeineAnlageDlg"), DialogResult::Ok);
    rig.dialogs.expectDeviceType(5);
    rig.search.startSearch(ExchangeOperation::Read);
    QVERIFY(rig.dialogs.allAnswered());
    // The ports that refused access are named below the dialog's lines.
    QCOMPARE(rig.dialogs.shown.first().lines, rig.link.refusedAccess);
    QCOMPARE(rig.dialogs.shown.last().lines, QStringList{"5"}); // current type preselected
    QCOMPARE(rig.host.calls, QStringList{"setDeviceType 5"});
    QCOMPARE(rig.host.status[0], QString());
    QCOMPARE(rig.host.status[1], QString());
    QCOMPARE(rig.exchange.record().portInUse, quint16(0));
    QVERIFY(!rig.dialogs.searchShowing);
    QVERIFY(rig.link.logged("open").isEmpty());
}

void TestDeviceSearch::deviceOnCom4AfterThreeSilentPorts() {
    LinkRig rig(5);
    for (quint16 p = 1; p <= 3; ++p)
        silentOn(rig, p);
    const QByteArray image = rig.link.attach(4, 5).image();
    rig.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    rig.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    rig.search.startSearch(ExchangeOperation::Read);
    QVERIFY(rig.settle());
    QCOMPARE(rig.dialogs.portLabels,
             (QStringList{"", "Suche an COM1", "Suche an COM2", "Suche an COM3", "Suche an COM4"}));
    // One unanswered port: settle, first question, its answer dropped, the real
    // question with 12 ticks, then 100 ms before the port is closed.
    const QStringList probe = rig.link.log.mid(0, 12);
    QCOMPARE(probe, (QStringList{"port 1", "open 1", "pause 200", "write T%0D", "pause 100",
                                 "discard input", "arm line 12", "write T%0D", "post 1024",
                                 "pause 100", "close", "port 2"}));
    QCOMPARE(rig.exchange.record().portInUse, quint16(4));
    QCOMPARE(rig.host.status[1], QStringLiteral("Verwendeter COM-Port: COM4"));
    QCOMPARE(rig.host.status[0], QStringLiteral("TK Mirello 16 - Firmware 2.04"));
    QCOMPARE(rig.host.buffers.sixWorking, image);
    QVERIFY(rig.link.isOpen());
    QVERIFY(!rig.dialogs.transferEverShown);
}

void TestDeviceSearch::otherFamilyIsNoDevice_data() {
    QTest::addColumn<uint>("edited");
    QTest::addColumn<uint>("device");
    QTest::addColumn<bool>("offersChoice");
    QTest::newRow("four-extension device, six edited") << 5u << 0u << true;
    QTest::newRow("six-extension device, four edited") << 0u << 6u << false;
    QTest::newRow("type 4 device, type 1 edited") << 1u << 4u << false;
}

void TestDeviceSearch::otherFamilyIsNoDevice() {
    QFETCH(uint, edited);
    QFETCH(uint, device);
    QFETCH(bool, offersChoice);
    LinkRig rig(edited);
    rig.link.attach(1, device);
    rig.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    rig.dialogs.expect(QStringLiteral("KeineAnlageDlg"), DialogResult::Ok);
    if (offersChoice)
        rig.dialogs.expect(QStringLiteral("SelectDeviceDlg"), DialogResult::Cancel);
    rig.search.startSearch(ExchangeOperation::Read);
    QVERIFY(rig.settle());
    QCOMPARE(rig.host.doc.deviceType(), DeviceType(edited));
    QCOMPARE(rig.link.logged("write").size(), 2); // only the two identity questions
    QVERIFY(!rig.link.isOpen());
    QVERIFY(!rig.dialogs.searchShowing);
}

void TestDeviceSearch::suchenStartsAgainAtCom1() {
    LinkRig rig(5);
    silentOn(rig, 1);
    rig.link.present.insert(2);
    rig.link.refuseOpen.insert(2);
    rig.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    rig.dialogs.expect(QStringLiteral("KeineAnlageDlg"), DialogResult::Retry);
    rig.dialogs.expect(QStringLiteral("KeineAnlageDlg"), DialogResult::Ok);
    rig.dialogs.expect(QStringLiteral("SelectDeviceDlg"), DialogResult::Cancel);
    rig.search.startSearch(ExchangeOperation::Program);
    QVERIFY(rig.settle());
    // COM2 fails to open and is skipped silently; the search dialog is shown only once.
    QCOMPARE(rig.dialogs.portLabels, (QStringList{"", "Suche an COM1", "", "Suche an COM1"}));
    QCOMPARE(rig.link.logged("open"),
             (QStringList{"open 1", "open 2 failed", "open 1", "open 2 failed"}));
    QCOMPARE(rig.host.calls.count(QStringLiteral("search shown")), 1);
    QVERIFY(rig.host.calls.filter(QStringLiteral("setDeviceType")).isEmpty());
    QCOMPARE(rig.exchange.record().operation, ExchangeOperation::Program);
}

void TestDeviceSearch::offlineWithType2OffersSixExtensionModels() {
    LinkRig rig(2);
    rig.dialogs.expect(QStringLiteral("KeineAnlageDlg"), DialogResult::Ok);
    rig.dialogs.expectDeviceType(7);
    rig.search.startSearch(ExchangeOperation::Read);
    QCOMPARE(rig.dialogs.shown.last().lines, QStringList{"2"});
    QCOMPARE(rig.host.doc.deviceType(), DeviceType(7));
}

void TestDeviceSearch::versionTimeoutEndsSearchWithError() {
    LinkRig rig(5);
    rig.link.attach(1, 5).faults().noVersion = true;
    rig.exchange.deviceFoundOn(9);
    rig.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    rig.dialogs.expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    rig.search.startSearch(ExchangeOperation::Read);
    QVERIFY(rig.settle());
    QCOMPARE(rig.dialogs.shown.last().caption, QStringLiteral("Timeout-Fehler"));
    QCOMPARE(rig.exchange.record().portInUse, quint16(9));
    QVERIFY(rig.link.isOpen());
    QVERIFY(!rig.dialogs.searchShowing);
    QCOMPARE(rig.host.calls.mid(rig.host.calls.size() - 2),
             (QStringList{"search closed", "dialog Timeout-Fehler"}));
}

void TestDeviceSearch::portLeftOpenDoesNotHideCom1() {
    // A device that stopped answering the version question leaves its port open; the
    // next search must still be able to open COM1.
    LinkRig rig(5);
    rig.link.attach(1, 5);
    rig.link.setPortNumber(1);
    rig.link.open();
    rig.dialogs.expect(QStringLiteral("SuchenDlg"), DialogResult::Cancel);
    rig.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    rig.search.startSearch(ExchangeOperation::Read);
    QVERIFY(rig.settle());
    QCOMPARE(rig.exchange.record().portInUse, quint16(1));
}

QTEST_GUILESS_MAIN(TestDeviceSearch)
#include "test_device_search.moc"
