#include "ModelFixture.h"
#include "model/ImageBuffers.h"

#include <QTest>

using namespace talvaro;

namespace {

// An image of `length` bytes of `fill` with the given offsets set.
QByteArray image(int length, std::initializer_list<std::pair<int, int>> bytes, char fill = 0) {
    QByteArray result(length, fill);
    for (const auto& [offset, value] : bytes)
        result[offset] = static_cast<char>(value);
    return result;
}

const QString Pin = QStringLiteral("LMDEditFernsteuerungPin");

} // namespace

class TestImageCodec : public QObject {
    Q_OBJECT
private slots:
    void factoryImageFourFamily();
    void factoryImageSixFamily();
    void encodeWritesOnlyTheCurrentFamily();
    void fourFamilyByteByByte();
    void sixFamilyByteByByte();
    void decodeRunsTheRulesInOrder();
    void decodeFallsBackOnOddBytes();
    void contactBytes_data();
    void contactBytes();
    void bellButtonContactWithoutButtonEncodesAsZero();
    void contactWithoutChoiceEncodesAsInterntelefon();
    void sixFamilyAlwaysWritesSecondContactAsOne();
    void switchingTimeTruncates();
    void pinDigits_data();
    void pinDigits();
    void pinEncodingRoundTrips_data();
    void pinEncodingRoundTrips();
    void everyPinSurvives();
    void decodeKeepsTheBoxesItRead();
    void decodeOfTheEditorsOwnImageChangesNothing();
    void shortWorkingImageIsPadded();
};

void TestImageCodec::factoryImageFourFamily() {
    ModelFixture f(3);
    ImageBuffers images;
    f.model.encodeImage(images);
    const QByteArray expected = image(
        60, {{4, 0x19},  {5, 0x19}, {6, 0x19}, {7, 0x19},  {8, 0x0f},  {9, 0x0f},  {10, 0x0f},
             {11, 0x0f}, {16, 1},   {17, 1},   {19, 1},    {22, 2},    {23, 80},   {24, 120},
             {25, 120},  {32, 1},   {33, 1},   {36, 0x2c}, {37, 0x01}, {38, 0x2c}, {39, 0x01}});
    QCOMPARE(images.fourWorking.toHex(' '), expected.toHex(' '));
    QCOMPARE(images.checksum, imageChecksum(expected));
    QCOMPARE(int(images.checksum), 577 % 256);
}

void TestImageCodec::factoryImageSixFamily() {
    ModelFixture f(6);
    ImageBuffers images;
    f.model.encodeImage(images);
    const QByteArray expected = image(76, {{0, 4},
                                           {1, 4},
                                           {2, 4},
                                           {8, 0x19},
                                           {9, 0x19},
                                           {10, 0x19},
                                           {11, 0x19},
                                           {12, 0x19},
                                           {13, 0x19},
                                           {32, 1},
                                           {35, 1},
                                           {37, 1},
                                           {39, 80},
                                           {40, 120},
                                           {41, 120},
                                           {48, 1},
                                           {49, 1},
                                           {52, 20}});
    QCOMPARE(images.sixWorking.toHex(' '), expected.toHex(' '));
    QCOMPARE(images.checksum, imageChecksum(expected));
}

void TestImageCodec::encodeWritesOnlyTheCurrentFamily() {
    ModelFixture f(5);
    ImageBuffers images;
    images.fourWorking.fill('\x55');
    f.model.encodeImage(images);
    QCOMPARE(images.fourWorking, QByteArray(60, '\x55'));
    QCOMPARE(images.checksum, imageChecksum(images.sixWorking));
}

namespace {

constexpr char Kept = '\xaa';

// Encodes the editor over an image whose unknown bytes are Kept and compares every offset;
// then decodes those bytes into a fresh editor of the type and compares every control;
// then encodes that editor again.
void checkEveryOffset(ModelFixture& source, const QByteArray& expected) {
    const DeviceType type = source.document.deviceType();
    ImageBuffers images;
    images.working(type).fill(Kept);
    source.model.encodeImage(images);
    const QByteArray& written = images.working(type);
    QCOMPARE(written.size(), expected.size());
    for (int offset = 0; offset < expected.size(); ++offset)
        QVERIFY2(written[offset] == expected[offset],
                 qPrintable(QStringLiteral("offset %1: %2, expected %3")
                                .arg(offset)
                                .arg(quint8(written[offset]), 2, 16)
                                .arg(quint8(expected[offset]), 2, 16)));
    QCOMPARE(images.checksum, imageChecksum(expected));

    ModelFixture target(type);
    target.model.decodeImage(images);
    for (const QString& name : source.model.controlNames()) {
        const ControlState& a = source.model.state(name);
        const ControlState& b = target.model.state(name);
        QVERIFY2(a.checked == b.checked && a.enabled == b.enabled && a.value == b.value &&
                     a.text == b.text,
                 qPrintable(name));
    }
    ImageBuffers again = images;
    target.model.encodeImage(again);
    QCOMPARE(again.working(type).toHex(' '), expected.toHex(' '));
}

} // namespace

void TestImageCodec::fourFamilyByteByByte() {
    ModelFixture f(4);
    ConfigModel& m = f.model;
    f.select(QStringLiteral("RBAnrufbeantworter21"));
    f.select(QStringLiteral("RBhab21"));
    f.select(QStringLiteral("RBTfe22"));
    f.select(QStringLiteral("RBnab23"));
    m.setChecked(ring(2, 3), false);
    f.select(QStringLiteral("RBFax24"));
    f.select(QStringLiteral("RBHeranholenNein"));
    f.select(QStringLiteral("RBAmtsholungNein"));
    f.select(QStringLiteral("RBAnklopfschutzJa"));
    f.select(QStringLiteral("RBWartemusikNein"));
    f.select(QStringLiteral("RBHookflashRueckfrage"));
    m.setValue(QStringLiteral("LMDSpinEditAnzahlRufe"), 9);
    m.setValue(QStringLiteral("LMDSpinEditTimeout1"), 25);
    m.setValue(QStringLiteral("LMDExtSpinEditTimeout2"), 3);
    m.setValue(QStringLiteral("LMDExtSpinEditTimeout3"), 17);
    f.select(QStringLiteral("RBKontakt1Klingel"));
    m.setChecked(QStringLiteral("CBKontakt1Klingel1"), true);
    m.setChecked(QStringLiteral("CBKontakt1Klingel3"), true);
    f.select(QStringLiteral("RBKontakt2Fern"));
    m.setValue(QStringLiteral("LMDExtSpinEditK1Time"), 99.9);
    m.setValue(QStringLiteral("LMDExtSpinEditK2Time"), 0.1);
    m.setText(Pin, QStringLiteral("1205"));

    // clang-format off
    checkEveryOffset(f, image(60, {
        {0, 1}, {1, 2}, {2, 0}, {3, 3},         // Anrufbeantworter, TFE, Telefon, Fax
        {4, 0x12},                              // external call, Halbamt
        {5, 0x04},                              // Nichtamt
        {6, 0x0c},                              // Nichtamt, door
        {7, 0x01},                              // Vollamt
        {8, 0x04}, {9, 0}, {10, 0x04}, {11, 0x04}, // bell buttons 1, 3, 4 ring at 23
        {16, 0}, {17, 0}, {18, 1}, {19, 0},     // Heranholen, Amtsholung, Anklopfschutz, Wartemusik
        {20, 1}, {21, 1},                       // Hookflash Rueckfrage, Nachwahl
        {22, 9}, {23, 250}, {24, 30}, {25, 170},
        {32, 0x0a}, {33, 0x40},                 // Taster 1 and 3; Fernsteuerung
        {36, 0x06}, {37, 0x27}, {38, 10}, {39, 0},
        {48, 1}, {49, 2}, {50, 10}, {51, 5},
    }, Kept));
    // clang-format on
}

void TestImageCodec::sixFamilyByteByByte() {
    ModelFixture f(6);
    ConfigModel& m = f.model;
    f.select(QStringLiteral("RBTelefon21"));
    m.setChecked(ring(2, 1), false);
    m.setChecked(ring(4, 1), false);
    f.select(QStringLiteral("RBhab21"));
    m.setChecked(QStringLiteral("CBtb22"), false);
    m.setChecked(ring(3, 3), true);
    f.select(QStringLiteral("RBAnrufbeantworter24"));
    f.select(QStringLiteral("RBTfe25"));
    m.setChecked(QStringLiteral("CBarb26"), false);
    m.setChecked(ring(1, 6), true);
    m.setChecked(ring(4, 6), true);
    f.select(QStringLiteral("RBAmtsholungJa"));
    f.select(QStringLiteral("RBNachwahlNein"));
    m.setValue(QStringLiteral("LMDSpinEditAnzahlRufe"), 5);
    m.setValue(QStringLiteral("LMDSpinEditTimeout1"), 3);
    m.setValue(QStringLiteral("LMDExtSpinEditTimeout2"), 25);
    f.select(QStringLiteral("RBKontakt1Extern"));
    m.setValue(QStringLiteral("LMDExtSpinEditK1Time"), 2.3);
    m.setText(Pin, QStringLiteral("9080"));

    // clang-format off
    checkEveryOffset(f, image(76, {
        {0, 0}, {1, 4}, {2, 4}, {3, 1}, {4, 2}, {5, 0},
        {8, 0x1a},                              // external call, door, Halbamt
        {9, 0x11},                              // emergency without door permission
        {10, 0x19},
        {11, 0x11},                             // answering machine rings on external calls
        {12, 0x04},                             // TFE
        {13, 0x09},                             // no external calls
        {16, 0x21}, {17, 0}, {18, 0x05}, {19, 0x20},
        {32, 1}, {33, 1}, {34, 0}, {35, 1}, {36, 0}, {37, 0},
        {38, 5}, {39, 30}, {40, 250}, {41, 120},
        {48, 0x20}, {49, 1},                    // Externruf; the second contact is fixed
        {52, 230}, {53, 0},
        {64, 9}, {65, 10}, {66, 8}, {67, 10},
    }, Kept));
    // clang-format on
}

void TestImageCodec::decodeRunsTheRulesInOrder() {
    ModelFixture f(6);
    f.select(QStringLiteral("RBTfe24")); // door permission and rings off before the read
    ImageBuffers images;
    images.sixWorking = image(76, {
                                      {1, 4},     // extension 2 Notruf ...
                                      {9, 0x11},  // ... without door permission
                                      {11, 0x19}, // extension 4 Telefon with door permission
                                      {16, 0x0a}, // button 1 rings at 2 and 4
                                      {18, 0x08}, // button 3 rings at 4 only
                                  });
    f.model.decodeImage(images);
    // The kind rule turned the rings of 4 on, the masks then picked single buttons.
    QVERIFY(f.checked(ring(1, 4)));
    QVERIFY(!f.checked(ring(2, 4)));
    QVERIFY(f.checked(ring(3, 4)));
    QVERIFY(f.enabled(ring(2, 4)));
    // The door permission read last cleared and locked all rings of 2, whatever the masks.
    for (int button = 1; button <= 4; ++button) {
        QVERIFY(!f.checked(ring(button, 2)));
        QVERIFY(!f.enabled(ring(button, 2)));
    }
    QVERIFY(f.checked(QStringLiteral("RBNotruf22")));
    QVERIFY(f.checked(QStringLiteral("CBarb22")));
}

void TestImageCodec::decodeFallsBackOnOddBytes() {
    ModelFixture f(3);
    ImageBuffers images;
    images.fourWorking = image(60, {{0, 7},      // unknown kind
                                    {4, 0x06},   // Halbamt and Nichtamt
                                    {5, 0xe0},   // no permission bit
                                    {22, 200},   // rings
                                    {23, 125},   // 12.5 s
                                    {24, 0},     // below range
                                    {25, 255}}); // above range
    f.model.decodeImage(images);
    QVERIFY(f.checked(QStringLiteral("RBTelefon21")));
    QVERIFY(f.checked(QStringLiteral("RBnab21")));
    QVERIFY(f.checked(QStringLiteral("RBvab22")));
    QCOMPARE(f.value(QStringLiteral("LMDSpinEditAnzahlRufe")), 9.0);
    QCOMPARE(f.value(QStringLiteral("LMDSpinEditTimeout1")), 12.0);
    QCOMPARE(f.value(QStringLiteral("LMDExtSpinEditTimeout2")), 3.0);
    QCOMPARE(f.value(QStringLiteral("LMDExtSpinEditTimeout3")), 25.0);
    QCOMPARE(f.value(QStringLiteral("LMDExtSpinEditK1Time")), 0.1);
    QCOMPARE(f.text(Pin), QStringLiteral("0000"));

    f.model.encodeImage(images);
    QCOMPARE(int(quint8(images.fourWorking[23])), 120);
    QCOMPARE(int(quint8(images.fourWorking[4])), 0x04);
    QCOMPARE(int(quint8(images.fourWorking[5])), 0x01);
}

void TestImageCodec::contactBytes_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("buttons"); // Taster 1..4 checked
    QTest::newRow("intern") << 0x01 << "Intern"
                            << "----";
    QTest::newRow("zero") << 0x00 << "Intern"
                          << "----";
    QTest::newRow("buttons 1 and 3") << 0x0a << "Klingel"
                                     << "x-x-";
    QTest::newRow("button bits beside bit 0") << 0x03 << "Klingel"
                                              << "x---";
    QTest::newRow("all buttons") << 0x1e << "Klingel"
                                 << "xxxx";
    QTest::newRow("extern") << 0x20 << "Extern"
                            << "----";
    QTest::newRow("fern") << 0x40 << "Fern"
                          << "----";
    QTest::newRow("extern and fern") << 0x60 << "Intern"
                                     << "----";
    QTest::newRow("extern with bit 0") << 0x21 << "Intern"
                                       << "----";
    QTest::newRow("high bit") << 0x80 << "Intern"
                              << "----";
}

void TestImageCodec::contactBytes() {
    QFETCH(int, byte);
    QFETCH(QString, choice);
    QFETCH(QString, buttons);
    ModelFixture f(4);
    ImageBuffers images;
    images.fourWorking[33] = static_cast<char>(byte);
    f.model.decodeImage(images);
    QVERIFY(f.checked(QStringLiteral("RBKontakt2") + choice));
    for (int button = 1; button <= 4; ++button)
        QCOMPARE(f.checked(QStringLiteral("CBKontakt2Klingel%1").arg(button)),
                 buttons[button - 1] == QLatin1Char('x'));
    QVERIFY(f.checked(QStringLiteral("RBKontakt1Intern")));
}

void TestImageCodec::bellButtonContactWithoutButtonEncodesAsZero() {
    ModelFixture f(3);
    f.select(QStringLiteral("RBKontakt1Klingel"));
    ImageBuffers images;
    f.model.encodeImage(images);
    QCOMPARE(int(images.fourWorking[32]), 0);

    ModelFixture g(3);
    g.select(QStringLiteral("RBKontakt1Fern"));
    g.model.decodeImage(images);
    QVERIFY(g.checked(QStringLiteral("RBKontakt1Intern")));
}

void TestImageCodec::contactWithoutChoiceEncodesAsInterntelefon() {
    ModelFixture f(4);
    f.model.setChecked(QStringLiteral("RBKontakt2Intern"), false);
    ImageBuffers images;
    images.fourWorking[33] = 0x40;
    f.document.updateTitle();
    f.model.encodeImage(images);
    QCOMPARE(int(images.fourWorking[33]), 1);
    QVERIFY(f.checked(QStringLiteral("RBKontakt2Intern")));
    QVERIFY(f.document.isModified());
}

void TestImageCodec::sixFamilyAlwaysWritesSecondContactAsOne() {
    ModelFixture f(5);
    ImageBuffers images;
    images.sixWorking[49] = 0x40;
    f.model.decodeImage(images);
    QVERIFY(f.checked(QStringLiteral("RBKontakt2Intern")));
    f.select(QStringLiteral("RBKontakt1Fern"));
    f.model.encodeImage(images);
    QCOMPARE(int(images.sixWorking[48]), 0x40);
    QCOMPARE(int(images.sixWorking[49]), 1);
}

void TestImageCodec::switchingTimeTruncates() {
    ModelFixture f(3);
    ImageBuffers images;
    f.model.setValue(QStringLiteral("LMDExtSpinEditK1Time"), 99.9);
    // 2.3 * 100 is 229.99... in binary floating point.
    f.model.setValue(QStringLiteral("LMDExtSpinEditK2Time"), 2.3);
    f.model.encodeImage(images);
    QCOMPARE(int(quint8(images.fourWorking[36])), 0x06);
    QCOMPARE(int(quint8(images.fourWorking[37])), 0x27);
    QCOMPARE(int(quint8(images.fourWorking[38])), 230);
    QCOMPARE(int(quint8(images.fourWorking[39])), 0);

    images.fourWorking[36] = '\xff';
    images.fourWorking[37] = '\xff';
    images.fourWorking[38] = 0x2d; // 301 hundredths
    images.fourWorking[39] = 0x01;
    f.model.decodeImage(images);
    QCOMPARE(f.value(QStringLiteral("LMDExtSpinEditK1Time")), 99.9);
    QCOMPARE(f.value(QStringLiteral("LMDExtSpinEditK2Time")), 3.0);
}

void TestImageCodec::pinDigits_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("pin");
    QTest::newRow("digits") << QByteArray("\x04\x07\x01\x01", 4) << "4711";
    QTest::newRow("ten is zero") << QByteArray("\x01\x02\x03\x0a", 4) << "1230";
    QTest::newRow("zero byte") << QByteArray("\x01\x00\x03\x04", 4) << "0000";
    QTest::newRow("above ten") << QByteArray("\x01\x02\x03\x0b", 4) << "0000";
}

void TestImageCodec::pinDigits() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, pin);
    ModelFixture f(6);
    f.model.setText(Pin, QStringLiteral("9999"));
    ImageBuffers images;
    images.sixWorking.replace(64, 4, bytes);
    f.model.decodeImage(images);
    QCOMPARE(f.text(Pin), pin);
}

void TestImageCodec::pinEncodingRoundTrips_data() {
    QTest::addColumn<QString>("pin");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("no zero") << "4711" << QByteArray("\x04\x07\x01\x01", 4) << "4711";
    QTest::newRow("zeros") << "1005" << QByteArray("\x01\x0a\x0a\x05", 4) << "1005";
    QTest::newRow("unset") << "0000" << QByteArray(4, '\0') << "0000";
    QTest::newRow("short") << "12" << QByteArray("\x0a\x0a\x01\x02", 4) << "0012";
    QTest::newRow("empty") << "" << QByteArray(4, '\0') << "0000";
}

void TestImageCodec::pinEncodingRoundTrips() {
    QFETCH(QString, pin);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, readBack);
    ModelFixture f(3);
    f.model.setText(Pin, pin);
    ImageBuffers images;
    f.model.encodeImage(images);
    QCOMPARE(images.fourWorking.mid(48, 4).toHex(), bytes.toHex());
    f.model.setText(Pin, QStringLiteral("9"));
    f.model.decodeImage(images);
    QCOMPARE(f.text(Pin), readBack);
}

void TestImageCodec::everyPinSurvives() {
    ModelFixture f(5);
    ImageBuffers images;
    for (int number = 0; number <= 9999; ++number) {
        const QString pin = QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
        f.model.setText(Pin, pin);
        f.model.encodeImage(images);
        f.model.setText(Pin, QStringLiteral("5"));
        f.model.decodeImage(images);
        if (f.text(Pin) != pin)
            QFAIL(qPrintable(pin + QStringLiteral(" came back as ") + f.text(Pin)));
    }
}

// The permission rules run while decoding must not overwrite boxes read just before.
void TestImageCodec::decodeKeepsTheBoxesItRead() {
    {
        ModelFixture f(3); // "Halbamt" telephone that does not ring on external calls
        ImageBuffers images;
        images.fourWorking = image(60, {{4, 0x01 | 0x08 | 0x10}, {5, 0x02 | 0x08}});
        f.model.decodeImage(images);
        QVERIFY(f.checked(QStringLiteral("RBhab22")));
        QVERIFY(f.enabled(QStringLiteral("CBarb22")));
        QVERIFY(!f.checked(QStringLiteral("CBarb22")));
        QVERIFY(f.checked(QStringLiteral("CBarb21")));
    }
    {
        ModelFixture f(7); // no door permission by default, switched on while decoding
        ImageBuffers images;
        images.sixWorking = image(76, {{8, 0x09}, {9, 0x09}, {13, 0x09}, {16, 0x21}, {19, 0x02}});
        f.model.decodeImage(images);
        const QList<QList<bool>> expected{
            {true, false, false, false}, // extension 21
            {false, false, false, true},  {false, false, false, false},
            {false, false, false, false}, {false, false, false, false},
            {true, false, false, false}};
        for (int n = 1; n <= 6; ++n)
            for (int button = 1; button <= 4; ++button) {
                QCOMPARE(f.checked(ring(button, n)), expected[n - 1][button - 1]);
                QCOMPARE(f.enabled(ring(button, n)), n == 1 || n == 2 || n == 6);
            }
    }
    {
        ModelFixture f(5); // door permission cleared by the user before the read
        f.model.setChecked(QStringLiteral("CBtb24"), false);
        ImageBuffers images;
        images.sixWorking = image(76, {{11, 0x09}, {17, 0x08}});
        f.model.decodeImage(images);
        QVERIFY(f.checked(QStringLiteral("CBtb24")));
        QVERIFY(f.checked(ring(2, 4)));
        QVERIFY(!f.checked(ring(1, 4)));
        QVERIFY(!f.checked(ring(3, 4)));
    }
}

void TestImageCodec::decodeOfTheEditorsOwnImageChangesNothing() {
    for (DeviceType type : {0u, 4u, 6u, 7u}) {
        ModelFixture f(type);
        f.select(QStringLiteral("RBhab22"));
        f.model.setChecked(QStringLiteral("CBarb22"), false);
        f.model.setChecked(ring(3, 1), false);
        ImageBuffers images;
        f.model.encodeImage(images);
        const QStringList before = fullState(f.model);
        f.document.updateTitle();
        f.model.decodeImage(images);
        QCOMPARE(stateDifference(fullState(f.model), before), QString());
        QVERIFY(!f.document.isModified());
    }
}

void TestImageCodec::shortWorkingImageIsPadded() {
    ModelFixture f(5);
    ImageBuffers images;
    images.sixWorking = QByteArray(10, '\x01');
    f.model.decodeImage(images);
    QVERIFY(f.checked(QStringLiteral("RBAnrufbeantworter21")));
    f.model.encodeImage(images);
    QCOMPARE(images.sixWorking.size(), 76);
    QCOMPARE(int(images.sixWorking[49]), 1);
}

QTEST_GUILESS_MAIN(TestImageCodec)
#include "test_image_codec.moc"
