#include "model/DeviceTypes.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"
#include "model/NavigationTree.h"

#include <QTest>

using namespace talvaro;

class TestDeviceTypes : public QObject {
    Q_OBJECT
private slots:
    void familyFollowsTheCode_data();
    void familyFollowsTheCode();
    void profilesPerType();
    void codeAboveSevenActsAsTypeZero();
    void loaderBytes();
    void identificationStaysInTheModelGroup_data();
    void identificationStaysInTheModelGroup();
    void documentStoresTheProfile();
    void modifiedMarkNeverDoubles();
    void navigationTreePerType_data();
    void navigationTreePerType();
    void checksumWrapsAtOneByte();
};

void TestDeviceTypes::familyFollowsTheCode_data() {
    QTest::addColumn<uint>("code");
    QTest::addColumn<int>("image");
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("write");
    for (uint code : {0u, 1u, 2u, 3u, 4u, 8u, 255u})
        QTest::addRow("type %u", code)
            << code << 60 << QByteArray("R0000,3c\r") << QByteArray("W0000,3c\r");
    for (uint code : {5u, 6u, 7u})
        QTest::addRow("type %u", code)
            << code << 76 << QByteArray("R0000,4c\r") << QByteArray("W0000,4c\r");
}

void TestDeviceTypes::familyFollowsTheCode() {
    QFETCH(uint, code);
    QFETCH(int, image);
    const FamilyProfile& f = familyProfile(code);
    QCOMPARE(f.imageLength, image);
    QCOMPARE(f.readReplyLength, image + 1);
    QTEST(f.readCommand, "read");
    QTEST(f.writeCommand, "write");
    QCOMPARE(f.extensions, image == 76 ? 6 : 4);
    // The count in the command is the image length in lower-case hex.
    QCOMPARE(f.readCommand.mid(6, 2).toInt(nullptr, 16), image);
}

void TestDeviceTypes::profilesPerType() {
    // The connected model is named in the label; types 0-4 share the two-family title.
    QCOMPARE(deviceProfile(0).windowTitle,
             QStringLiteral("Talvaro - Konfigurator für Mirello 16 und Quenta 26"));
    QCOMPARE(deviceProfile(4).label, QStringLiteral("Quenta 14 Konfiguration"));
    QCOMPARE(deviceProfile(5).windowTitle, QStringLiteral("Talvaro - Konfigurator für Mirello 16"));
    QCOMPARE(deviceProfile(6).configFilter,
             QStringLiteral("Quenta 26 Dateien (*.tkx)|*.tkx|Alle Dateien (*.*)|*.*"));
    QCOMPARE(deviceProfile(2).firmwareFilter,
             QStringLiteral(
                 "Mirello 16 / Quenta 26 Firmwaredatei (*.efw)|*.efw|Alle Dateien (*.*)|*.*"));

    // Type 7 answers "Quenta 26x" but is "Quenta 26Sol" everywhere else.
    const DeviceTypeProfile& sol = deviceProfile(7);
    QCOMPARE(sol.identity, QStringLiteral("Quenta 26x"));
    QCOMPARE(sol.windowTitle, QStringLiteral("Talvaro - Konfigurator für Quenta 26Sol"));
    QCOMPARE(sol.label, QStringLiteral("Quenta 26Sol Konfiguration"));
    QCOMPARE(sol.firmwareFilter,
             QStringLiteral("Quenta 26Sol Firmwaredatei (*.efw)|*.efw|Alle Dateien (*.*)|*.*"));

    // Without fax the telephone row covers fax machines too.
    QCOMPARE(deviceProfile(0).kindRowTelefon, QStringLiteral("Gerätetyp Telefon/Fax/Kombigerät"));
    QCOMPARE(deviceProfile(3).kindRowTelefon, QStringLiteral("Gerätetyp Telefon/Kombigerät"));
    QCOMPARE(deviceProfile(6).kindRowNotruf, QStringLiteral("Notrufgerät"));
    QCOMPARE(deviceProfile(1).kindRowAnrufbeantworter,
             QStringLiteral("Gerätetyp Anrufbeantworter"));

    QCOMPARE(deviceProfile(0).hasErweitertPage, false);
    QCOMPARE(deviceProfile(2).hasNachwahlPage, false);
    QCOMPARE(deviceProfile(2).hasErweitertPage, true);
    QCOMPARE(deviceProfile(4).hasEmergency, true);
    QCOMPARE(deviceProfile(5).hasEmergency, false);
    QCOMPARE(deviceProfile(5).contacts, 1);
    QCOMPARE(deviceProfile(3).contacts, 2);
    QVERIFY(deviceProfile(7).contactPageNode.isEmpty());
    QCOMPARE(deviceProfile(1).contactHeading, QStringLiteral("Schaltkontakte"));
    QVERIFY(deviceProfile(2).contactHeading.isEmpty());
    QVERIFY(deviceProfile(1).extensionWordNebenstelle);
    QVERIFY(!deviceProfile(3).extensionWordNebenstelle);

    // Six pictures: 2/3 and 6/7 share theirs.
    QCOMPARE(deviceProfile(2).pictureIndex, deviceProfile(3).pictureIndex);
    QCOMPARE(deviceProfile(6).pictureIndex, deviceProfile(7).pictureIndex);
    QSet<int> pictures;
    for (DeviceType t = 0; t <= HighestDeviceType; ++t)
        pictures.insert(deviceProfile(t).pictureIndex);
    QCOMPARE(pictures.size(), 6);
}

void TestDeviceTypes::codeAboveSevenActsAsTypeZero() {
    QCOMPARE(deviceProfile(8).identity, QStringLiteral("Vorda 12"));
    QCOMPARE(deviceProfile(1000).label, QStringLiteral("Vorda 12 Konfiguration"));
    QVERIFY(!isSixExtension(8));
    QCOMPARE(deviceFamily(9), DeviceFamily::FourExtension);

    // The code itself stays current.
    Document doc;
    doc.applyDeviceType(12);
    QCOMPARE(doc.deviceType(), 12u);
    QCOMPARE(doc.titleBase(), deviceProfile(0).windowTitle);
    QCOMPARE(doc.imageLength(), 60);
    // An unknown code recognises no device at all, not even type 0's.
    QVERIFY(!identifyDevice(12, QStringLiteral("Vorda 12")));
}

void TestDeviceTypes::loaderBytes() {
    const char expected[8] = {'>', '/', '&', '%', '$', '!', '\xA7', '"'};
    for (DeviceType t = 0; t <= HighestDeviceType; ++t)
        QCOMPARE(deviceProfile(t).loaderTypeByte, expected[t]);
}

void TestDeviceTypes::identificationStaysInTheModelGroup_data() {
    QTest::addColumn<uint>("current");
    QTest::addColumn<QString>("identity");
    QTest::addColumn<int>("result"); // -1: not recognised
    QTest::newRow("exact 0") << 0u << "Vorda 12" << 0;
    QTest::newRow("0 refuses 4") << 0u << "Quenta 14" << -1;
    QTest::newRow("4 refuses 1") << 4u << "Kalnis Fax" << -1;
    QTest::newRow("2 to 3") << 2u << "Mirello 14TS" << 3;
    QTest::newRow("3 to 2") << 3u << "Mirello 14" << 2;
    QTest::newRow("5 to 7") << 5u << "Quenta 26x" << 7;
    QTest::newRow("7 to 5") << 7u << "Mirello 16" << 5;
    QTest::newRow("6 to 7") << 6u << "Quenta 26x" << 7;
    QTest::newRow("no cross family") << 5u << "Mirello 14" << -1;
    QTest::newRow("label is no identity") << 7u << "Quenta 26Sol" << -1;
    QTest::newRow("case sensitive") << 6u << "quenta 26" << -1;
}

void TestDeviceTypes::identificationStaysInTheModelGroup() {
    QFETCH(uint, current);
    QFETCH(QString, identity);
    QFETCH(int, result);
    const auto found = identifyDevice(current, identity);
    QCOMPARE(found.has_value(), result >= 0);
    if (found)
        QCOMPARE(int(*found), result);
}

void TestDeviceTypes::documentStoresTheProfile() {
    Document doc;
    doc.applyDeviceType(6);
    QCOMPARE(doc.titleBase(), QStringLiteral("Talvaro - Konfigurator für Quenta 26"));
    QCOMPARE(doc.reportTitle(), QStringLiteral("Quenta 26 Konfiguration"));
    QCOMPARE(doc.configFilter(), deviceProfile(6).configFilter);
    QCOMPARE(doc.readPacketSize(), 77);
    QCOMPARE(doc.writeCommand(), QByteArray("W0000,4c\r"));
    doc.applyDeviceType(1);
    QCOMPARE(doc.readPacketSize(), 61);
    QCOMPARE(doc.readCommand(), QByteArray("R0000,3c\r"));
}

void TestDeviceTypes::modifiedMarkNeverDoubles() {
    Document doc;
    doc.applyDeviceType(5);
    doc.setFilePath(QStringLiteral("/tmp/anlage/Büro.tkx"));
    doc.updateTitle();
    QCOMPARE(doc.caption(), QStringLiteral("Talvaro - Konfigurator für Mirello 16 - Büro.tkx"));
    doc.markModified();
    doc.markModified();
    QCOMPARE(doc.caption(), QStringLiteral("Talvaro - Konfigurator für Mirello 16 - Büro.tkx*"));
    QVERIFY(doc.isModified());
    doc.updateTitle();
    QVERIFY(!doc.isModified());
    QVERIFY(!doc.caption().endsWith(QLatin1Char('*')));
    QCOMPARE(doc.folder(), QStringLiteral("/tmp/anlage/"));
    QCOMPARE(folderOf(QStringLiteral("Neu.tkx")), QString());
}

void TestDeviceTypes::navigationTreePerType_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QStringList>("nodes");
    const QString k = "Konfiguration", e = "Externanschluss", n = "Nachwahl/Faxweiche",
                  w = "Erweitert", b = "Berechtigungen", r = "Rufverteilung";
    QTest::newRow("0") << 0u << QStringList{k, e, b, r};
    QTest::newRow("9") << 9u << QStringList{k, e, b, r};
    QTest::newRow("1") << 1u << QStringList{k, e, n, w, b, r};
    QTest::newRow("2") << 2u << QStringList{k, e, w, b, r};
    QTest::newRow("3") << 3u << QStringList{k, e, n, w, b, r, "Schaltkontakte"};
    QTest::newRow("5") << 5u << QStringList{k, e, n, w, b, r, "Schaltkontakt"};
    QTest::newRow("7") << 7u << QStringList{k, e, n, w, b, r};
}

void TestDeviceTypes::navigationTreePerType() {
    QFETCH(uint, type);
    QFETCH(QStringList, nodes);
    const QList<NavigationNode> tree = navigationNodes(type);
    QStringList texts;
    for (const NavigationNode& node : tree) {
        texts << node.text;
        QVERIFY(node.parent < int(texts.size()) - 1);
    }
    QCOMPARE(texts, nodes);
    QCOMPARE(tree[0].parent, -1);
    for (const NavigationNode& node : tree)
        if (node.text == "Nachwahl/Faxweiche" || node.text == "Erweitert")
            QCOMPARE(tree[node.parent].text, QStringLiteral("Externanschluss"));
}

void TestDeviceTypes::checksumWrapsAtOneByte() {
    QCOMPARE(imageChecksum(QByteArray(60, '\xFF')), quint8(0xC4));
    QCOMPARE(imageChecksum(QByteArray(76, '\xFF')), quint8(76 * 255 % 256));
    QCOMPARE(imageChecksum(QByteArray()), quint8(0));
    ImageBuffers images;
    QCOMPARE(images.working(7).size(), 76);
    QCOMPARE(images.deviceCopy(8).size(), 60);
}

QTEST_GUILESS_MAIN(TestDeviceTypes)
#include "test_device_types.moc"
