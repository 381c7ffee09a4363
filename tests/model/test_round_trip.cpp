#include "ModelFixture.h"
#include "RandomUser.h"
#include "model/ImageBuffers.h"

#include <QRandomGenerator>
#include <QTest>

using namespace talvaro;

namespace {

constexpr int Sequences = 120;
constexpr int LongestSequence = 40;

// What a contact byte cannot carry: "Klingeltaster" without a Taster is read back as
// "Interntelefon", and the Taster boxes travel only with "Klingeltaster".
void compareContact(const ConfigModel& source, const ConfigModel& target, int contact) {
    const auto choice = [contact](const ConfigModel& m) {
        for (const char* c : {"Intern", "Klingel", "Extern", "Fern"})
            if (m.state(QStringLiteral("RBKontakt%1").arg(contact) + QLatin1String(c)).checked)
                return QString::fromLatin1(c);
        return QString();
    };
    const auto taster = [contact](const ConfigModel& m, int button) {
        return m.state(QStringLiteral("CBKontakt%1Klingel%2").arg(contact).arg(button)).checked;
    };
    QString expected = choice(source);
    bool anyTaster = false;
    for (int button = 1; button <= 4; ++button)
        anyTaster = anyTaster || taster(source, button);
    if (expected == QLatin1String("Klingel") && !anyTaster)
        expected = QStringLiteral("Intern");
    QCOMPARE(choice(target), expected);
    for (int button = 1; button <= 4; ++button) {
        const QString box = QStringLiteral("CBKontakt%1Klingel%2").arg(contact).arg(button);
        QCOMPARE(target.state(box).enabled, expected == QLatin1String("Klingel"));
        if (expected == QLatin1String("Klingel"))
            QCOMPARE(taster(target, button), taster(source, button));
    }
}

bool isContactControl(const QString& name, int contact) {
    return name.startsWith(QStringLiteral("RBKontakt%1").arg(contact)) ||
           name.startsWith(QStringLiteral("CBKontakt%1").arg(contact));
}

} // namespace

class TestRoundTrip : public QObject {
    Q_OBJECT
private slots:
    void userEditsSurviveTheImage_data();
    void userEditsSurviveTheImage();
};

void TestRoundTrip::userEditsSurviveTheImage_data() {
    QTest::addColumn<uint>("type");
    for (uint type = 0; type <= 8; ++type)
        QTest::addRow("type %u", type) << type;
}

// Whatever a user clicks together (the door-call buttons aside: they tick locked boxes
// that no image brings back) reaches a fresh editor of the same type through the image.
void TestRoundTrip::userEditsSurviveTheImage() {
    QFETCH(uint, type);
    const int contacts = isSixExtension(type) ? 1 : 2;
    QRandomGenerator images(4711 + type);
    for (int sequence = 0; sequence < Sequences; ++sequence) {
        ModelFixture source(type);
        RandomUser user(source.model, 1000 * type + sequence, false);
        user.clicks(1 + user.bounded(LongestSequence));

        // Bytes the codec does not know stay as a device left them.
        ImageBuffers written;
        QByteArray& image = written.working(type);
        for (char& byte : image)
            byte = static_cast<char>(images.bounded(256));
        source.model.encodeImage(written);

        ModelFixture target(type);
        target.model.decodeImage(written);

        const QByteArray context =
            QStringLiteral("sequence %1: %2").arg(sequence).arg(user.history()).toUtf8();
        for (const QString& name : source.model.controlNames()) {
            if (isContactControl(name, 1) || (contacts == 2 && isContactControl(name, 2)))
                continue;
            const ControlState& a = source.model.state(name);
            const ControlState& b = target.model.state(name);
            // Locks of hidden controls are nothing the user sees; choices are.
            QVERIFY2(a.checked == b.checked && (!a.visible || a.enabled == b.enabled) &&
                         a.value == b.value && a.text == b.text,
                     (name.toUtf8() + " differs after " + context).constData());
        }
        for (int contact = 1; contact <= contacts; ++contact) {
            compareContact(source.model, target.model, contact);
            if (QTest::currentTestFailed())
                QFAIL(context.constData());
        }

        // And back: the same bytes, but for a contact byte of 0 that now reads as 1.
        ImageBuffers again = written;
        target.model.encodeImage(again);
        QByteArray expected = image;
        const int contactOffset = isSixExtension(type) ? 48 : 32;
        for (int contact = 0; contact < contacts; ++contact)
            if (expected[contactOffset + contact] == 0)
                expected[contactOffset + contact] = 1;
        QVERIFY2(again.working(type) == expected, context.constData());
    }
}

QTEST_GUILESS_MAIN(TestRoundTrip)
#include "test_round_trip.moc"
