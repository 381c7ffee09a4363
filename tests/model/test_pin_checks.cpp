#include "ModelFixture.h"

#include <QTest>

using namespace talvaro;

namespace {

const QString Pin = QStringLiteral("LMDEditFernsteuerungPin");
const QString TooShort = QStringLiteral("Die PIN für Fernsteuerung muss vierstellig sein!");
const QString OneContact =
    QStringLiteral("Sie haben den Kontakt für Fernsteuern ausgewählt.\r\n"
                   "Die PIN für Fernsteuerung darf in diesem Fall nicht 0000 sein!");
const QString TwoContacts =
    QStringLiteral("Sie haben mindestens einen Kontakt für Fernsteuern ausgewählt.\r\n"
                   "Die PIN für Fernsteuerung darf in diesem Fall nicht 0000 sein!");

void expectMessage(ModelFixture& f) {
    f.dialogs.expect(QStringLiteral("MessageBox"), DialogResult::Ok);
}

QString lastMessage(const ModelFixture& f) {
    return f.dialogs.shown.isEmpty() ? QString() : f.dialogs.shown.constLast().lines.join('|');
}

} // namespace

class TestPinChecks : public QObject {
    Q_OBJECT
private slots:
    void typesWithoutContactPageNeverHold_data();
    void typesWithoutContactPageNeverHold();
    void shortPinOnLeavingTheField();
    void pendingPinHoldsOnceWithoutMessage();
    void remoteControlNeedsAPin_data();
    void remoteControlNeedsAPin();
    void hiddenSecondContactDoesNotCount();
    void unsetPinWithoutRemoteControlIsValid();
    void beforeUseShortPin();
    void beforeUseRemoteControlWithoutPin();
    void passingCheckLeavesNothingPending();
    void worksWithoutAView();
};

void TestPinChecks::typesWithoutContactPageNeverHold_data() {
    QTest::addColumn<uint>("type");
    for (uint type : {0u, 1u, 2u, 7u, 8u})
        QTest::addRow("type %u", type) << type;
}

void TestPinChecks::typesWithoutContactPageNeverHold() {
    QFETCH(uint, type);
    ModelFixture f(type);
    f.select(QStringLiteral("RBKontakt1Fern"));
    f.model.leavePinField(); // "0000" with remote control
    QVERIFY(f.model.checkPinOnLeave(true));
    QVERIFY(f.model.checkPinBeforeUse());
    f.model.setText(Pin, QStringLiteral("12"));
    f.model.leavePinField();
    QVERIFY(f.model.checkPinOnLeave(true));
    QVERIFY(f.model.checkPinBeforeUse());
    QVERIFY(f.dialogs.shown.isEmpty());
    QCOMPARE(f.view.pinFocused, 0);
}

void TestPinChecks::shortPinOnLeavingTheField() {
    ModelFixture f(5);
    f.view.contactPageVisible = true;
    f.model.setText(Pin, QStringLiteral("123"));
    expectMessage(f);
    f.model.leavePinField();
    QCOMPARE(lastMessage(f), TooShort);
    QCOMPARE(f.view.pinFocused, 1);
    QVERIFY(f.model.isPinPending());

    // Four digits clear the mark again.
    f.model.setText(Pin, QStringLiteral("1234"));
    f.model.leavePinField();
    QVERIFY(!f.model.isPinPending());
    QVERIFY(f.dialogs.allAnswered());
}

void TestPinChecks::pendingPinHoldsOnceWithoutMessage() {
    ModelFixture f(3);
    f.model.setText(Pin, QStringLiteral("123"));
    expectMessage(f);
    f.model.leavePinField();
    QCOMPARE(f.view.pinFocused, 0); // the contact page was not visible

    QVERIFY(!f.model.checkPinOnLeave(true));
    QCOMPARE(f.dialogs.shown.size(), 1); // no second message
    QCOMPARE(f.view.contactPageShown, 1);
    QCOMPARE(f.view.pinFocused, 1);
    QVERIFY(!f.model.isPinPending());
    // The mark is spent: a short PIN alone does not hold the next page change.
    QVERIFY(f.model.checkPinOnLeave(true));
}

void TestPinChecks::remoteControlNeedsAPin_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QString>("contact");
    QTest::addColumn<QString>("message");
    QTest::newRow("type 6, contact 1") << 6u << "RBKontakt1Fern" << OneContact;
    QTest::newRow("type 5, contact 1") << 5u << "RBKontakt1Fern" << OneContact;
    QTest::newRow("type 4, contact 2") << 4u << "RBKontakt2Fern" << TwoContacts;
    QTest::newRow("type 3, contact 1") << 3u << "RBKontakt1Fern" << TwoContacts;
}

void TestPinChecks::remoteControlNeedsAPin() {
    QFETCH(uint, type);
    QFETCH(QString, contact);
    QFETCH(QString, message);
    ModelFixture f(type);
    f.select(contact);

    QVERIFY(!f.model.checkPinOnLeave(false));
    QVERIFY(f.dialogs.shown.isEmpty());
    QCOMPARE(f.view.contactPageShown, 1);
    QCOMPARE(f.view.pinFocused, 1);

    expectMessage(f);
    QVERIFY(!f.model.checkPinOnLeave(true));
    QCOMPARE(lastMessage(f), message);
    QVERIFY(!f.model.isPinPending());

    f.model.setText(Pin, QStringLiteral("0001"));
    QVERIFY(f.model.checkPinOnLeave(true));
    QVERIFY(f.model.checkPinBeforeUse());
    QVERIFY(f.dialogs.allAnswered());
}

void TestPinChecks::hiddenSecondContactDoesNotCount() {
    ModelFixture f(6);
    f.select(QStringLiteral("RBKontakt2Fern"));
    QVERIFY(f.model.checkPinOnLeave(true));
    QVERIFY(f.model.checkPinBeforeUse());
}

void TestPinChecks::unsetPinWithoutRemoteControlIsValid() {
    ModelFixture f(4);
    f.select(QStringLiteral("RBKontakt1Extern"));
    f.model.leavePinField();
    QVERIFY(f.model.checkPinOnLeave(true));
    QVERIFY(f.model.checkPinBeforeUse());
    QVERIFY(f.dialogs.shown.isEmpty());
}

void TestPinChecks::beforeUseShortPin() {
    ModelFixture f(5);
    f.model.setText(Pin, QStringLiteral("7"));
    expectMessage(f);
    QVERIFY(!f.model.checkPinBeforeUse());
    QCOMPARE(lastMessage(f), TooShort);
    QCOMPARE(f.view.pinFocused, 0);
    QCOMPARE(f.view.contactPageShown, 0);
    QVERIFY(f.model.isPinPending());

    f.view.contactPageVisible = true;
    expectMessage(f);
    QVERIFY(!f.model.checkPinBeforeUse());
    QCOMPARE(f.view.pinFocused, 1);
}

void TestPinChecks::beforeUseRemoteControlWithoutPin() {
    ModelFixture f(4);
    f.select(QStringLiteral("RBKontakt1Fern"));
    expectMessage(f);
    QVERIFY(!f.model.checkPinBeforeUse());
    QCOMPARE(lastMessage(f), TwoContacts);
    QCOMPARE(f.view.contactPageShown, 0);
    QCOMPARE(f.view.pinFocused, 0);
    QVERIFY(f.model.isPinPending());

    // The next page change holds once more, silently.
    QVERIFY(!f.model.checkPinOnLeave(true));
    QCOMPARE(f.dialogs.shown.size(), 1);
    QCOMPARE(f.view.contactPageShown, 1);
}

void TestPinChecks::passingCheckLeavesNothingPending() {
    ModelFixture f(6);
    f.model.setText(Pin, QStringLiteral("12"));
    expectMessage(f);
    f.model.leavePinField();
    QVERIFY(f.model.isPinPending());
    f.model.setText(Pin, QStringLiteral("1234"));
    QVERIFY(f.model.checkPinBeforeUse());
    QVERIFY(!f.model.isPinPending());
    QVERIFY(f.model.checkPinOnLeave(true));
}

void TestPinChecks::worksWithoutAView() {
    ModelFixture f(6);
    f.model.setView(nullptr);
    f.select(QStringLiteral("RBKontakt1Fern"));
    expectMessage(f);
    QVERIFY(!f.model.checkPinBeforeUse());
    QVERIFY(!f.model.checkPinOnLeave(false));
    QCOMPARE(f.view.pinFocused, 0);
}

QTEST_GUILESS_MAIN(TestPinChecks)
#include "test_pin_checks.moc"
