#include "ModelFixture.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <functional>

using namespace talvaro;

class TestConfigRules : public QObject {
    Q_OBJECT
private slots:
    void knowsTheControlsByName();
    void noOpChangeRunsNothing();
    void realChangeRunsTheRuleOnce();
    void eachChangedControlMarksOnce();
    void kindChoicePresetsTheExtension_data();
    void kindChoicePresetsTheExtension();
    void uniqueKindsAtOneExtensionOnly();
    void givingUpFaxKeepsAnsweringMachineLocked();
    void linePermissionRules();
    void doorPermissionDrivesTheRings();
    void doorCallButtons();
    void doorCallButtonsSkipHiddenExtensions();
    void contactChoiceLocksBellButtons();
    void systemChoicesAreIndependent();
    void numberFieldsClamp_data();
    void numberFieldsClamp();
    void pinFieldTakesFourDigits_data();
    void pinFieldTakesFourDigits();
};

void TestConfigRules::knowsTheControlsByName() {
    ModelFixture f;
    const QStringList names = f.model.controlNames();
    for (const char* name : {"RBTelefon21",
                             "RBAnrufbeantworter26",
                             "RBTfe23",
                             "RBFax25",
                             "RBNotruf24",
                             "RBvab21",
                             "RBhab26",
                             "RBnab22",
                             "CBtb21",
                             "CBarb26",
                             "CBTaste1Ruf21",
                             "CBTaste4Ruf26",
                             "RBAmtsholungJa",
                             "RBAmtsholungNein",
                             "RBHeranholenJa",
                             "RBHeranholenNein",
                             "RBAnklopfschutzJa",
                             "RBAnklopfschutzNein",
                             "RBWartemusikJa",
                             "RBWartemusikNein",
                             "RBNachwahlJa",
                             "RBNachwahlNein",
                             "LMDSpinEditAnzahlRufe",
                             "LMDSpinEditTimeout1",
                             "RBHookflashAmt",
                             "RBHookflashRueckfrage",
                             "RBKontakt1Intern",
                             "RBKontakt1Klingel",
                             "RBKontakt1Extern",
                             "RBKontakt1Fern",
                             "CBKontakt1Klingel4",
                             "LMDExtSpinEditK1Time",
                             "RBKontakt2Fern",
                             "CBKontakt2Klingel1",
                             "LMDExtSpinEditK2Time",
                             "LMDEditFernsteuerungPin",
                             "LMDExtSpinEditTimeout2",
                             "LMDExtSpinEditTimeout3",
                             "ButtonTlnEin",
                             "ButtonTlnAus"}) {
        QVERIFY2(f.model.has(QLatin1String(name)), name);
        QVERIFY2(names.contains(QLatin1String(name)), name);
    }
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    QVERIFY(!f.model.has(QStringLiteral("RBTelefon27")));
    QVERIFY(!f.model.state(QStringLiteral("RBTelefon27")).visible);

    QCOMPARE(f.model.radioGroup(QStringLiteral("RBTelefon21")),
             f.model.radioGroup(QStringLiteral("RBNotruf21")));
    QVERIFY(f.model.radioGroup(QStringLiteral("RBTelefon21")) !=
            f.model.radioGroup(QStringLiteral("RBTelefon22")));
    QVERIFY(f.model.radioGroup(QStringLiteral("RBvab21")) !=
            f.model.radioGroup(QStringLiteral("RBTelefon21")));
    QVERIFY(f.model.radioGroup(QStringLiteral("CBtb21")).isEmpty());
}

void TestConfigRules::noOpChangeRunsNothing() {
    ModelFixture f;
    f.model.setChecked(ring(2, 1), false);
    f.document.updateTitle();
    QSignalSpy spy(&f.model, &ConfigModel::controlChanged);

    f.select(QStringLiteral("RBTelefon21"));
    f.select(QStringLiteral("RBvab21"));
    f.model.setChecked(QStringLiteral("CBtb21"), true);
    f.model.setValue(QStringLiteral("LMDSpinEditAnzahlRufe"), 2);
    f.model.setText(QStringLiteral("LMDEditFernsteuerungPin"), QStringLiteral("0000"));

    QCOMPARE(spy.count(), 0);
    QVERIFY(!f.document.isModified());
    // The telephone rule would have switched the ring box back on.
    QVERIFY(!f.checked(ring(2, 1)));
}

void TestConfigRules::realChangeRunsTheRuleOnce() {
    ModelFixture f;
    QSignalSpy spy(&f.model, &ConfigModel::controlChanged);
    f.select(QStringLiteral("RBAnrufbeantworter22"));

    const auto changes = [&spy](const char* name) {
        int n = 0;
        for (const QList<QVariant>& args : spy)
            n += args.at(0).toString() == QLatin1String(name);
        return n;
    };
    QCOMPARE(changes("RBAnrufbeantworter22"), 1);
    QCOMPARE(changes("RBTelefon22"), 1);
    QCOMPARE(changes("RBTelefon21"), 0);
    QVERIFY(f.document.isModified());
    QVERIFY(f.document.caption().endsWith(QLatin1String("Neu.tkx*")));

    f.select(QStringLiteral("RBTfe23"));
    QVERIFY(!f.document.caption().endsWith(QLatin1String("**")));
}

// One markModified per control whose state really changed and that has a rule: a rule
// that ran twice, or ran for a control that stayed as it was, shows up in the count.
void TestConfigRules::eachChangedControlMarksOnce() {
    struct Case {
        const char* what;
        std::function<void(ModelFixture&)> change;
        int marks;
        std::function<void(ModelFixture&)> before = nullptr;
    };
    const QList<Case> cases{
        // TFE, Nichtamt, door box, external-call box, four ring boxes.
        {"kind TFE", [](ModelFixture& f) { f.select(QStringLiteral("RBTfe22")); }, 8},
        {"kind back to Telefon", [](ModelFixture& f) { f.select(QStringLiteral("RBTelefon22")); },
         8, [](ModelFixture& f) { f.select(QStringLiteral("RBTfe22")); }},
        {"kind Anrufbeantworter", // kind, door box, four ring boxes; CBarb stays checked
         [](ModelFixture& f) { f.select(QStringLiteral("RBAnrufbeantworter23")); }, 6},
        {"Nichtamt", [](ModelFixture& f) { f.select(QStringLiteral("RBnab21")); }, 2},
        {"Halbamt", [](ModelFixture& f) { f.select(QStringLiteral("RBhab21")); }, 1},
        {"door permission off",
         [](ModelFixture& f) { f.model.setChecked(QStringLiteral("CBtb24"), false); }, 5},
        {"ring box", [](ModelFixture& f) { f.model.setChecked(ring(3, 6), false); }, 1},
        {"contact choice", [](ModelFixture& f) { f.select(QStringLiteral("RBKontakt1Klingel")); },
         1},
        {"number field",
         [](ModelFixture& f) { f.model.setValue(QStringLiteral("LMDSpinEditTimeout1"), 20); }, 1},
        {"PIN",
         [](ModelFixture& f) {
             f.model.setText(QStringLiteral("LMDEditFernsteuerungPin"), QStringLiteral("4711"));
         },
         1},
        {"hook flash", [](ModelFixture& f) { f.select(QStringLiteral("RBHookflashRueckfrage")); },
         1},
        {"door-call button", // every ring box of the six extensions
         [](ModelFixture& f) { f.model.clickButton(QStringLiteral("ButtonTlnAus")); }, 24},
        {"nothing changes",
         [](ModelFixture& f) {
             f.select(QStringLiteral("RBTelefon21"));
             f.model.setChecked(QStringLiteral("CBarb21"), true);
             f.model.setValue(QStringLiteral("LMDSpinEditAnzahlRufe"), 2.2);
         },
         0},
    };
    for (const Case& c : cases) {
        ModelFixture f(5);
        if (c.before) {
            c.before(f);
            f.document.updateTitle();
        }
        int marks = 0;
        connect(&f.model, &ConfigModel::markedModified, this, [&marks] { ++marks; });
        c.change(f);
        QVERIFY2(marks == c.marks, qPrintable(QStringLiteral("%1: %2 marks, expected %3")
                                                  .arg(QLatin1String(c.what))
                                                  .arg(marks)
                                                  .arg(c.marks)));
        QVERIFY(!f.document.caption().endsWith(QLatin1String("**")));
        QCOMPARE(f.document.isModified(), c.marks > 0);
    }
}

void TestConfigRules::kindChoicePresetsTheExtension_data() {
    // Columns: enabled/selected of Vollamt, Halbamt, Nichtamt; door permission,
    // external-call box and ring boxes as enabled/checked.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("boxes");
    QTest::newRow("Telefon") << "RBTelefon"
                             << "E*,E,E"
                             << "EC,EC,EC";
    QTest::newRow("Anrufbeantworter") << "RBAnrufbeantworter"
                                      << "E*,E,D"
                                      << "D-,DC,D-";
    QTest::newRow("TFE") << "RBTfe"
                         << "D,D,E*"
                         << "D-,D-,D-";
    QTest::newRow("Fax") << "RBFax"
                         << "E*,E,D"
                         << "D-,D-,D-";
    QTest::newRow("Notruf") << "RBNotruf"
                            << "E*,D,D"
                            << "EC,DC,EC";
}

void TestConfigRules::kindChoicePresetsTheExtension() {
    QFETCH(QString, kind);
    QFETCH(QString, line);
    QFETCH(QString, boxes);
    ModelFixture f(6);
    // Start from another kind with a restricted line permission, so every preset shows.
    f.select(ext(kind == QLatin1String("RBTfe") ? "RBFax" : "RBTfe", 4));
    f.select(ext(qPrintable(kind), 4));

    const QStringList lines = line.split(QLatin1Char(','));
    const char* lineRadios[] = {"RBvab", "RBhab", "RBnab"};
    for (int i = 0; i < 3; ++i) {
        const QString name = ext(lineRadios[i], 4);
        QCOMPARE(f.enabled(name), lines[i].startsWith(QLatin1Char('E')));
        QCOMPARE(f.checked(name), lines[i].endsWith(QLatin1Char('*')));
    }
    const QStringList box = boxes.split(QLatin1Char(','));
    const auto expectBox = [&f](const QString& name, const QString& code) {
        QVERIFY2(f.enabled(name) == (code[0] == QLatin1Char('E')), qPrintable(name));
        QVERIFY2(f.checked(name) == (code[1] == QLatin1Char('C')), qPrintable(name));
    };
    expectBox(ext("CBtb", 4), box[0]);
    expectBox(ext("CBarb", 4), box[1]);
    for (int button = 1; button <= 4; ++button)
        expectBox(ring(button, 4), box[2]);
}

void TestConfigRules::uniqueKindsAtOneExtensionOnly() {
    ModelFixture f(5);
    f.select(QStringLiteral("RBAnrufbeantworter22"));
    for (int n : {1, 3, 4, 5, 6})
        QVERIFY(!f.enabled(ext("RBAnrufbeantworter", n)));
    QVERIFY(f.enabled(QStringLiteral("RBAnrufbeantworter22")));
    QVERIFY(f.enabled(QStringLiteral("RBTfe23")));

    f.select(QStringLiteral("RBTelefon22"));
    for (int n = 1; n <= 6; ++n)
        QVERIFY(f.enabled(ext("RBAnrufbeantworter", n)));
}

void TestConfigRules::givingUpFaxKeepsAnsweringMachineLocked() {
    ModelFixture f(5);
    f.select(QStringLiteral("RBFax21"));
    f.select(QStringLiteral("RBAnrufbeantworter23"));
    f.select(QStringLiteral("RBTfe21"));
    for (int n : {1, 2, 4, 5, 6})
        QVERIFY(!f.enabled(ext("RBAnrufbeantworter", n)));
    for (int n = 1; n <= 6; ++n)
        QVERIFY(f.enabled(ext("RBFax", n)));
    for (int n = 2; n <= 6; ++n)
        QVERIFY(!f.enabled(ext("RBTfe", n)));
}

void TestConfigRules::linePermissionRules() {
    ModelFixture f(5);
    f.select(QStringLiteral("RBnab22"));
    QVERIFY(!f.checked(QStringLiteral("CBarb22")));
    QVERIFY(!f.enabled(QStringLiteral("CBarb22")));
    QVERIFY(f.enabled(QStringLiteral("CBtb22")));
    f.select(QStringLiteral("RBvab22"));
    QVERIFY(f.checked(QStringLiteral("CBarb22")));
    QVERIFY(f.enabled(QStringLiteral("CBarb22")));

    // An answering machine keeps its locked external-call box whatever the permission.
    f.select(QStringLiteral("RBAnrufbeantworter23"));
    f.select(QStringLiteral("RBhab23"));
    QVERIFY(f.checked(QStringLiteral("CBarb23")));
    QVERIFY(!f.enabled(QStringLiteral("CBarb23")));
    QVERIFY(!f.enabled(QStringLiteral("CBtb23")));
    // A fax never rings, not even once its permission changes.
    f.select(QStringLiteral("RBFax24"));
    f.select(QStringLiteral("RBhab24"));
    QVERIFY(!f.checked(QStringLiteral("CBarb24")));
}

void TestConfigRules::doorPermissionDrivesTheRings() {
    ModelFixture f(5);
    f.model.setChecked(QStringLiteral("CBtb21"), false);
    for (int button = 1; button <= 4; ++button) {
        QVERIFY(!f.checked(ring(button, 1)));
        QVERIFY(!f.enabled(ring(button, 1)));
    }
    f.model.setChecked(QStringLiteral("CBtb21"), true);
    for (int button = 1; button <= 4; ++button) {
        QVERIFY(f.checked(ring(button, 1)));
        QVERIFY(f.enabled(ring(button, 1)));
    }
    // Ring boxes themselves change nothing else.
    f.model.setChecked(ring(3, 1), false);
    QVERIFY(f.checked(QStringLiteral("CBtb21")));
    QVERIFY(f.checked(ring(2, 1)));
}

void TestConfigRules::doorCallButtons() {
    ModelFixture f(5);
    f.select(QStringLiteral("RBTfe24"));
    f.model.clickButton(QStringLiteral("ButtonTlnEin"));
    for (int n = 1; n <= 6; ++n)
        for (int button = 1; button <= 4; ++button)
            QVERIFY(f.checked(ring(button, n)));
    QVERIFY(!f.enabled(ring(1, 4))); // locked boxes are switched, not unlocked

    f.document.updateTitle();
    f.model.clickButton(QStringLiteral("ButtonTlnEin"));
    QVERIFY(!f.document.isModified());

    f.model.clickButton(QStringLiteral("ButtonTlnAus"));
    for (int n = 1; n <= 6; ++n)
        for (int button = 1; button <= 4; ++button)
            QVERIFY(!f.checked(ring(button, n)));
    QVERIFY(f.document.isModified());
}

void TestConfigRules::doorCallButtonsSkipHiddenExtensions() {
    ModelFixture f(3);
    f.model.clickButton(QStringLiteral("ButtonTlnAus"));
    for (int button = 1; button <= 4; ++button) {
        QVERIFY(!f.checked(ring(button, 4)));
        QVERIFY(f.checked(ring(button, 5)));
        QVERIFY(f.checked(ring(button, 6)));
    }
}

void TestConfigRules::contactChoiceLocksBellButtons() {
    ModelFixture f(4);
    const QString taster2 = QStringLiteral("CBKontakt2Klingel2");
    QVERIFY(!f.enabled(taster2));
    f.select(QStringLiteral("RBKontakt2Klingel"));
    for (int button = 1; button <= 4; ++button)
        QVERIFY(f.enabled(QStringLiteral("CBKontakt2Klingel%1").arg(button)));
    QVERIFY(!f.enabled(QStringLiteral("CBKontakt1Klingel1")));
    f.model.setChecked(taster2, true);

    f.select(QStringLiteral("RBKontakt2Extern"));
    QVERIFY(!f.enabled(taster2));
    QVERIFY(f.checked(taster2));
    f.select(QStringLiteral("RBKontakt2Klingel"));
    QVERIFY(f.enabled(taster2));
    QVERIFY(f.checked(taster2));
    QVERIFY(!f.checked(QStringLiteral("CBKontakt2Klingel1")));
}

void TestConfigRules::systemChoicesAreIndependent() {
    ModelFixture f(5);
    const bool nachwahl = f.checked(QStringLiteral("RBNachwahlJa"));
    f.select(QStringLiteral("RBHookflashRueckfrage"));
    QVERIFY(f.document.isModified());
    QVERIFY(!f.checked(QStringLiteral("RBHookflashAmt")));
    QCOMPARE(f.checked(QStringLiteral("RBNachwahlJa")), nachwahl);
    f.select(QStringLiteral("RBNachwahlJa"));
    QVERIFY(f.checked(QStringLiteral("RBHookflashRueckfrage")));
}

void TestConfigRules::numberFieldsClamp_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("input");
    QTest::addColumn<double>("expected");
    QTest::newRow("rings above") << "LMDSpinEditAnzahlRufe" << 12.0 << 9.0;
    QTest::newRow("rings below") << "LMDSpinEditAnzahlRufe" << -3.0 << 0.0;
    QTest::newRow("rings whole") << "LMDSpinEditAnzahlRufe" << 4.6 << 5.0;
    QTest::newRow("wait below") << "LMDSpinEditTimeout1" << 1.0 << 3.0;
    QTest::newRow("wait above") << "LMDExtSpinEditTimeout2" << 30.0 << 25.0;
    QTest::newRow("wait 25") << "LMDExtSpinEditTimeout3" << 25.0 << 25.0;
    QTest::newRow("time below") << "LMDExtSpinEditK1Time" << 0.04 << 0.1;
    QTest::newRow("time zero") << "LMDExtSpinEditK2Time" << 0.0 << 0.1;
    QTest::newRow("time above") << "LMDExtSpinEditK1Time" << 655.35 << 99.9;
    QTest::newRow("time tenths") << "LMDExtSpinEditK1Time" << 2.36 << 2.4;
    QTest::newRow("not a number") << "LMDExtSpinEditK1Time" << std::nan("") << 3.0;
}

void TestConfigRules::numberFieldsClamp() {
    QFETCH(QString, field);
    QFETCH(double, input);
    QFETCH(double, expected);
    ModelFixture f(5);
    f.model.setValue(field, input);
    QCOMPARE(f.value(field), expected);

    const std::optional<NumberFieldSpec> limits = f.model.numberSpec(field);
    QVERIFY(limits);
    QVERIFY(f.value(field) >= limits->minimum && f.value(field) <= limits->maximum);
}

void TestConfigRules::pinFieldTakesFourDigits_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits") << "4711"
                            << "4711";
    QTest::newRow("letters dropped") << "1a2-3 4"
                                     << "1234";
    QTest::newRow("cut at four") << "123456"
                                 << "1234";
    QTest::newRow("other digits dropped") << QString::fromUtf8("1\u0663\uff1422") << "122";
    QTest::newRow("empty") << ""
                           << "";
}

void TestConfigRules::pinFieldTakesFourDigits() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    ModelFixture f(5);
    f.model.setText(QStringLiteral("LMDEditFernsteuerungPin"), typed);
    QCOMPARE(f.text(QStringLiteral("LMDEditFernsteuerungPin")), shown);
    QCOMPARE(f.document.isModified(), shown != QLatin1String("0000"));
}

QTEST_GUILESS_MAIN(TestConfigRules)
#include "test_config_rules.moc"
