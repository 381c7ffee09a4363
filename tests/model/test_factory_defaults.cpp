#include "ModelFixture.h"
#include "RandomUser.h"

#include <QTest>

using namespace talvaro;

namespace {

// Everything of the editor except visibility, which differs between the types.
QStringList contents(const ConfigModel& model) {
    QStringList lines;
    for (const QString& name : model.controlNames()) {
        const ControlState& s = model.state(name);
        lines << QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(name)
                     .arg(s.checked)
                     .arg(s.enabled)
                     .arg(s.value)
                     .arg(s.text);
    }
    return lines;
}

// Scatter some edits so that the defaults have something to undo.
void edit(ModelFixture& f) {
    f.select(QStringLiteral("RBAnrufbeantworter21"));
    f.select(QStringLiteral("RBTfe22"));
    f.select(QStringLiteral("RBKontakt1Klingel"));
    f.model.setChecked(QStringLiteral("CBKontakt1Klingel2"), true);
    f.select(QStringLiteral("RBKontakt2Fern"));
    f.select(QStringLiteral("RBHookflashRueckfrage"));
    f.select(QStringLiteral("RBWartemusikNein"));
    f.model.setValue(QStringLiteral("LMDExtSpinEditTimeout2"), 20);
    f.model.setText(QStringLiteral("LMDEditFernsteuerungPin"), QStringLiteral("4711"));
}

} // namespace

class TestFactoryDefaults : public QObject {
    Q_OBJECT
private slots:
    void baseSetIsShared();
    void defaultsPerType_data();
    void defaultsPerType();
    void emergencyRulesRunAgain();
    void defaultsForgetEveryEdit_data();
    void defaultsForgetEveryEdit();
    void switchingForgetsTheOtherType();
    void secondApplicationKeepsTheLocks();
    void enableAllSettingsKeepsValues();
    void adaptationShowsTheModelsChoices_data();
    void adaptationShowsTheModelsChoices();
};

void TestFactoryDefaults::baseSetIsShared() {
    ModelFixture reference(0);
    const QStringList expected = contents(reference.model);
    for (DeviceType type : {1u, 2u, 3u, 8u, 300u}) {
        ModelFixture f(6);
        edit(f);
        f.switchTo(type);
        QCOMPARE(contents(f.model), expected);
        QVERIFY(!f.document.isModified());
        QVERIFY(!f.document.caption().endsWith(QLatin1Char('*')));
    }
}

void TestFactoryDefaults::defaultsPerType_data() {
    QTest::addColumn<uint>("type");
    // Ja-choices of Amtsholung, Heranholen, Anklopfschutz, Wartemusik, Nachwahl.
    QTest::addColumn<QString>("yes");
    QTest::addColumn<int>("rings");
    QTest::addColumn<int>("timeout1");
    QTest::addColumn<QString>("kinds"); // T Telefon, N Notruf per extension of the family
    QTest::addColumn<bool>("door");
    QTest::addColumn<bool>("ringOnBell");
    QTest::addColumn<double>("switchTime");
    QTest::newRow("base") << 0u << "xx-x-" << 2 << 8 << "TTTT" << true << true << 3.0;
    QTest::newRow("type 4") << 4u << "xx-xx" << 0 << 8 << "NNTT" << true << true << 0.2;
    QTest::newRow("type 5") << 5u << "xx-x-" << 2 << 8 << "TTTTTT" << true << true << 3.0;
    QTest::newRow("type 6") << 6u << "-x-xx" << 0 << 8 << "NNNTTT" << true << false << 0.2;
    QTest::newRow("type 7") << 7u << "x-x-x" << 0 << 25 << "NTTTTT" << false << false << 0.2;
}

void TestFactoryDefaults::defaultsPerType() {
    QFETCH(uint, type);
    QFETCH(QString, yes);
    QFETCH(int, rings);
    QFETCH(int, timeout1);
    QFETCH(QString, kinds);
    QFETCH(bool, door);
    QFETCH(bool, ringOnBell);
    QFETCH(double, switchTime);
    ModelFixture f(type == 5 ? 3 : 5);
    edit(f);
    f.switchTo(type);

    const char* yesNames[] = {"RBAmtsholungJa", "RBHeranholenJa", "RBAnklopfschutzJa",
                              "RBWartemusikJa", "RBNachwahlJa"};
    for (int i = 0; i < 5; ++i)
        QVERIFY2(f.checked(QLatin1String(yesNames[i])) == (yes[i] == QLatin1Char('x')),
                 yesNames[i]);
    QCOMPARE(f.value(QStringLiteral("LMDSpinEditAnzahlRufe")), double(rings));
    QCOMPARE(f.value(QStringLiteral("LMDSpinEditTimeout1")), double(timeout1));
    QVERIFY(f.checked(QStringLiteral("RBHookflashAmt")));

    QCOMPARE(kinds.size(), f.model.extensionCount());
    for (int n = 1; n <= kinds.size(); ++n) {
        const ExtensionKind expected =
            kinds[n - 1] == QLatin1Char('N') ? ExtensionKind::Notruf : ExtensionKind::Telefon;
        QCOMPARE(f.model.kindOf(n), expected);
        QVERIFY(f.checked(ext("RBvab", n)));
        QCOMPARE(f.checked(ext("CBtb", n)), door);
        QVERIFY(f.checked(ext("CBarb", n)));
        for (int button = 1; button <= 4; ++button) {
            QCOMPARE(f.checked(ring(button, n)), ringOnBell);
            QCOMPARE(f.enabled(ring(button, n)), door);
        }
    }
    for (int contact = 1; contact <= 2; ++contact) {
        QVERIFY(f.checked(QStringLiteral("RBKontakt%1Intern").arg(contact)));
        for (int button = 1; button <= 4; ++button) {
            const QString box = QStringLiteral("CBKontakt%1Klingel%2").arg(contact).arg(button);
            QVERIFY(!f.checked(box));
            QVERIFY(!f.enabled(box));
        }
        QCOMPARE(f.value(QStringLiteral("LMDExtSpinEditK%1Time").arg(contact)), switchTime);
    }
    QCOMPARE(f.text(QStringLiteral("LMDEditFernsteuerungPin")), QStringLiteral("0000"));
    QCOMPARE(f.value(QStringLiteral("LMDExtSpinEditTimeout2")), 12.0);
    QCOMPARE(f.value(QStringLiteral("LMDExtSpinEditTimeout3")), 12.0);
    QVERIFY(!f.document.isModified());
}

void TestFactoryDefaults::emergencyRulesRunAgain() {
    for (DeviceType type : {6u, 7u}) {
        ModelFixture f(type);
        f.document.updateTitle();
        QList<bool> ringStates;
        connect(&f.model, &ConfigModel::controlChanged, this, [&](const QString& name) {
            if (name == ring(1, 1))
                ringStates << f.checked(name);
        });
        f.model.applyFactoryDefaults();
        // The emergency rule switched the rings of 21 on, a later row switched them off.
        QVERIFY(ringStates.contains(true));
        QVERIFY(!f.checked(ring(1, 1)));
        QVERIFY(f.checked(QStringLiteral("RBNotruf21")));
        // The editor ends as it was: nothing to save.
        QVERIFY(!f.document.isModified());
    }
}

void TestFactoryDefaults::defaultsForgetEveryEdit_data() {
    QTest::addColumn<uint>("type");
    for (uint type = 0; type <= 8; ++type)
        QTest::addRow("type %u", type) << type;
}

// "Neu erstellen" and the factory reset give the editor of program start, locks included,
// whatever the user did before; so does a second application.
void TestFactoryDefaults::defaultsForgetEveryEdit() {
    QFETCH(uint, type);
    const QStringList fresh = fullState(ModelFixture(type).model);
    for (quint32 seed = 0; seed < 40; ++seed) {
        ModelFixture f(type);
        RandomUser user(f.model, seed, true);
        user.clicks(1 + user.bounded(40));
        const bool edited = fullState(f.model) != fresh;
        f.document.updateTitle();
        int marks = 0;
        connect(&f.model, &ConfigModel::markedModified, this, [&marks] { ++marks; });
        f.model.applyFactoryDefaults();
        QCOMPARE(marks, edited ? 1 : 0);
        QVERIFY2(fullState(f.model) == fresh,
                 qPrintable(stateDifference(fullState(f.model), fresh) +
                            QStringLiteral("\nafter ") + user.history()));
        f.model.applyFactoryDefaults();
        QCOMPARE(stateDifference(fullState(f.model), fresh), QString());
    }
}

void TestFactoryDefaults::switchingForgetsTheOtherType() {
    for (DeviceType to = 0; to <= 8; ++to) {
        const QStringList fresh = fullState(ModelFixture(to).model);
        for (DeviceType from = 0; from <= 8; ++from) {
            ModelFixture f(from);
            RandomUser user(f.model, 100 * from + to, true);
            user.clicks(30);
            f.switchTo(to);
            QVERIFY2(fullState(f.model) == fresh,
                     qPrintable(QStringLiteral("%1 to %2: ").arg(from).arg(to) +
                                stateDifference(fullState(f.model), fresh)));
        }
    }
}

// As the program starts: the defaults once by the type change, once more on their own.
void TestFactoryDefaults::secondApplicationKeepsTheLocks() {
    ModelFixture four(4);
    four.model.applyFactoryDefaults();
    for (int n : {1, 2}) {
        QVERIFY(!four.enabled(ext("RBhab", n)));
        QVERIFY(!four.enabled(ext("RBnab", n)));
        QVERIFY(!four.enabled(ext("CBarb", n)));
        QVERIFY(four.checked(ext("CBarb", n)));
    }
    QVERIFY(four.enabled(QStringLiteral("RBnab23")));

    QVERIFY(!four.document.caption().endsWith(QLatin1Char('*')));

    ModelFixture seven(7);
    seven.model.applyFactoryDefaults();
    QVERIFY(!seven.document.caption().endsWith(QLatin1Char('*')));
    for (int n = 1; n <= 6; ++n)
        for (int button = 1; button <= 4; ++button) {
            QVERIFY(!seven.enabled(ring(button, n)));
            QVERIFY(!seven.checked(ring(button, n)));
        }
}

void TestFactoryDefaults::enableAllSettingsKeepsValues() {
    ModelFixture f(6);
    f.select(QStringLiteral("RBTfe22"));
    f.select(QStringLiteral("RBFax23"));
    const QStringList names{QStringLiteral("RBvab22"), QStringLiteral("CBarb22"),
                            QStringLiteral("CBtb22"),  ring(2, 2),
                            QStringLiteral("RBTfe21"), QStringLiteral("CBKontakt1Klingel1")};
    f.model.enableAllSettings();
    for (const QString& name : names)
        QVERIFY2(f.enabled(name), qPrintable(name));
    QVERIFY(!f.checked(QStringLiteral("CBarb22")));
    QVERIFY(f.checked(QStringLiteral("RBnab22")));
    // Fax radios are left to the unique-kind rule.
    QVERIFY(!f.enabled(QStringLiteral("RBFax21")));
}

void TestFactoryDefaults::adaptationShowsTheModelsChoices_data() {
    QTest::addColumn<uint>("from");
    QTest::addColumn<uint>("type");
    QTest::addColumn<bool>("fax");
    QTest::addColumn<bool>("notruf");
    QTest::newRow("6 to 2") << 6u << 2u << false << false;
    QTest::newRow("2 to 6") << 2u << 6u << true << true;
    QTest::newRow("6 to 1") << 6u << 1u << true << false;
    QTest::newRow("3 to 4") << 3u << 4u << true << true;
    QTest::newRow("7 to 5") << 7u << 5u << true << false;
    QTest::newRow("4 to 0") << 4u << 0u << false << false;
    QTest::newRow("0 to 9") << 0u << 9u << false << false;
}

void TestFactoryDefaults::adaptationShowsTheModelsChoices() {
    QFETCH(uint, from);
    QFETCH(uint, type);
    QFETCH(bool, fax);
    QFETCH(bool, notruf);
    ModelFixture f(from);
    f.select(QStringLiteral("RBFax23"));
    f.switchTo(type);
    const int count = isSixExtension(type) ? 6 : 4;
    for (int n = 1; n <= 6; ++n) {
        const bool column = n <= count;
        QCOMPARE(f.visible(ext("RBTelefon", n)), column);
        QCOMPARE(f.visible(ext("RBnab", n)), column);
        QCOMPARE(f.visible(ring(4, n)), column);
        QCOMPARE(f.visible(ext("RBFax", n)), column && fax);
        QCOMPARE(f.visible(ext("RBNotruf", n)), column && notruf);
        if (column)
            QVERIFY(!f.checked(ext("RBFax", n)));
    }
    const bool secondContact = !isSixExtension(type);
    QVERIFY(f.visible(QStringLiteral("RBKontakt1Fern")));
    QCOMPARE(f.visible(QStringLiteral("RBKontakt2Fern")), secondContact);
    QCOMPARE(f.visible(QStringLiteral("CBKontakt2Klingel3")), secondContact);
    QCOMPARE(f.visible(QStringLiteral("LMDExtSpinEditK2Time")), secondContact);
    QVERIFY(!f.document.caption().endsWith(QLatin1Char('*')));
}

QTEST_GUILESS_MAIN(TestFactoryDefaults)
#include "test_factory_defaults.moc"
