#include "help/HelpHints.h"
#include "help/HelpPanel.h"
#include "help/HelpTexts.h"

#include <QTextEdit>
#include <QtTest>

#include <set>

using namespace talvaro;

class TestHelpHints : public QObject {
    Q_OBJECT
private slots:
    void hintParsing_data() {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("topic"); // -2: nothing to do
        QTest::newRow("topic") << QStringLiteral("|16") << 16;
        QTest::newRow("zero") << QStringLiteral("|0") << 0;
        QTest::newRow("above range kept") << QStringLiteral("|39") << 39;
        QTest::newRow("no hint") << QString() << -2;
        QTest::newRow("bar only") << QStringLiteral("|") << -2;
        QTest::newRow("short part only") << QStringLiteral("Drucken|") << -2;
        QTest::newRow("no bar, not a number") << QStringLiteral("Hilfethemen") << -1;
        QTest::newRow("no bar, number") << QStringLiteral("7") << 7;
        QTest::newRow("long text")
            << QStringLiteral("Drucken|Druckt die aktive Konfiguration") << -1;
        QTest::newRow("first bar splits") << QStringLiteral("a|b|7") << -1;
        QTest::newRow("mixed") << QStringLiteral("|12a") << -1;
    }
    void hintParsing() {
        QFETCH(QString, hint);
        QFETCH(int, topic);
        const std::optional<int> parsed = topicOfHint(hint);
        QCOMPARE(parsed.value_or(-2), topic);
    }

    void assignmentTable() {
        QCOMPARE(helpTopicFor(QStringLiteral("PanelImage")), std::optional<int>(1));
        QCOMPARE(helpTopicFor(QStringLiteral("SpeedButton2")), std::optional<int>(5));
        QCOMPARE(helpTopicFor(QStringLiteral("FileSaveItem")), std::optional<int>(6));
        QCOMPARE(helpTopicFor(QStringLiteral("ToolButton10")), std::optional<int>(13));
        QCOMPARE(helpTopicFor(QStringLiteral("PanelK2Schaltzeit")), std::optional<int>(37));
        QCOMPARE(helpTopicFor(QStringLiteral("PanelFernsteuerung")), std::optional<int>(38));
        for (int n = 1; n <= 6; ++n) {
            QCOMPARE(helpTopicFor(QStringLiteral("PanelTyp%1").arg(n)), std::optional<int>(20));
            QCOMPARE(helpTopicFor(QStringLiteral("PanelBerecht%1").arg(n)), std::optional<int>(21));
            QCOMPARE(helpTopicFor(QStringLiteral("PanelRuf%1").arg(n)), std::optional<int>(22));
        }
        QVERIFY(!helpTopicFor(QStringLiteral("PanelTyp7")));
        QVERIFY(!helpTopicFor(QStringLiteral("panelimage")));

        // Every topic 1..38 is reachable, and no name is listed twice.
        std::set<int> topics;
        std::set<QString> names;
        for (const HelpHintAssignment& a : helpHintAssignments()) {
            topics.insert(a.topic);
            QVERIFY2(names.insert(QLatin1String(a.objectName)).second, a.objectName);
        }
        QCOMPARE(int(topics.size()), HighestHelpTopic);
        QCOMPARE(*topics.begin(), 1);
        QCOMPARE(*topics.rbegin(), HighestHelpTopic);
    }

    void panelFollowsHints() {
        QTextEdit box;
        DeviceType type = 5;
        HelpPanel panel(box, [&] { return type; });

        panel.onHint(QStringLiteral("|16"));
        QVERIFY(box.toPlainText().startsWith(QStringLiteral("Amtsholung\n")));

        // An area without a hint leaves the panel as it is.
        panel.onHint(QString());
        panel.onHint(QStringLiteral("Drucken|"));
        QVERIFY(box.toPlainText().startsWith(QStringLiteral("Amtsholung\n")));

        // A menu whose long hint is not a number empties it.
        panel.onHint(QStringLiteral("Hilfethemen"));
        QVERIFY(box.toPlainText().isEmpty());

        panel.onHint(QStringLiteral("|3"));
        QVERIFY(!box.toPlainText().isEmpty());
        panel.onHint(QStringLiteral("|0"));
        QVERIFY(box.toPlainText().isEmpty());
        panel.onHint(QStringLiteral("|3"));
        panel.onHint(QStringLiteral("|39"));
        QVERIFY(box.toPlainText().isEmpty());
    }

    void panelShowsTheEditedTypesText() {
        QTextEdit box;
        DeviceType type = 1;
        HelpPanel panel(box, [&] { return type; });
        panel.showHelpTopic(23);
        QVERIFY(box.toPlainText().startsWith(
            QStringLiteral("Türrufe an allen Nebenstellen signalisieren")));
        type = 6;
        panel.showHelpTopic(23);
        QVERIFY(box.toPlainText().startsWith(
            QStringLiteral("Türrufe an allen Anschlüssen signalisieren")));
        QVERIFY(!box.toPlainText().contains(QStringLiteral("Nebenstellen")));

        // A new topic replaces the old one entirely.
        panel.showHelpTopic(12);
        QCOMPARE(box.toPlainText(),
                 QStringLiteral("Beenden\n\nHiermit beenden Sie das Konfigurationsprogramm.\n"));
    }
};

QTEST_MAIN(TestHelpHints)
#include "test_help_hints.moc"
