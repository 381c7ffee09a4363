#include "help/HelpTexts.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

using namespace talvaro;

namespace {

QStringList texts(int topic, DeviceType type) {
    QStringList out;
    for (const HelpLine& l : helpTopicLines(topic, type))
        out << l.text;
    return out;
}

QString joined(int topic, DeviceType type) {
    return texts(topic, type).join(QLatin1Char('\n'));
}

const QString More = QStringLiteral(
    "Weitere Informationen erhalten Sie, wenn Sie den Mauszeiger über eine Einstellung bewegen.");

} // namespace

class TestHelpTexts : public QObject {
    Q_OBJECT
private slots:
    void everyTopicStartsWithBoldHeading() {
        for (DeviceType type = 0; type <= HighestDeviceType; ++type) {
            for (int topic = 1; topic <= HighestHelpTopic; ++topic) {
                const QList<HelpLine> lines = helpTopicLines(topic, type);
                QVERIFY2(lines.size() >= 3, qPrintable(QString::number(topic)));
                QVERIFY(lines.first().bold);
                QVERIFY(!lines.first().text.isEmpty());
                QVERIFY(lines[1].text.isEmpty());
            }
        }
    }

    void topicsOutsideTheRangeHaveNoLines() {
        QVERIFY(helpTopicLines(0, 5).isEmpty());
        QVERIFY(helpTopicLines(-1, 5).isEmpty());
        QVERIFY(helpTopicLines(39, 5).isEmpty());
        QVERIFY(helpTopicHtml(0, 5).isEmpty());
        QVERIFY(helpTopicHtml(39, 5).isEmpty());
    }

    void boldLinesInsideATopic() {
        const QList<HelpLine> expected{
            {QStringLiteral("Nachwahl und Faxweiche"), true},
            {QString(), false},
            {QStringLiteral("Hier können Sie die Nachwahlfunktion und Faxweiche Ihrer "
                            "Telefonanlage ein- bzw. ausschalten."),
             false},
            {QString(), false},
            {QStringLiteral("Nachwahl und Faxweiche ein:"), true},
            {QStringLiteral("Die Telefonanlage nimmt externe Anrufe selbstständig an und wartet "
                            "auf eine Nachwahl. Ist der Anrufer ein Faxgerät, wird dies von der "
                            "Telefonanlage erkannt, und das Gespräch an die Fax-Nebenstelle "
                            "weitergeleitet."),
             false},
            {QStringLiteral("Nachwahl und Faxweiche aus:"), true},
            {QStringLiteral("Die Telefonanlage ruft bei externen Anrufen alle rufberechtigten "
                            "Nebenstellen. Eine Nachwahl ist nicht möglich. Die Faxweiche ist "
                            "deaktiviert."),
             false},
        };
        QCOMPARE(helpTopicLines(26, 5), expected);

        int bold = 0;
        for (const HelpLine& l : helpTopicLines(32, 5))
            bold += l.bold ? 1 : 0;
        QCOMPARE(bold, 5);
    }

    void textsKeepTheirOwnSpelling() {
        QVERIFY(joined(11, 5).contains(QStringLiteral("für Ihrer Telefonanlage")));
        QVERIFY(joined(20, 5).contains(QStringLiteral("welchen Endgerätetyp sie anschließen")));
        QVERIFY(joined(32, 5).contains(QStringLiteral("Der Kontakt wird das Betätigen")));
        QCOMPARE(texts(2, 0), (QStringList{QStringLiteral("Externanschluss"), QString(),
                                           QStringLiteral("Hier können Sie alle Einstellungen "
                                                          "vornehmen, die den Externanschluss "
                                                          "betreffen."),
                                           QString(), More}));
    }

    void sharedTopicsAreIdentical() {
        for (DeviceType type : {0u, 1u, 3u, 5u}) {
            QCOMPARE(helpTopicLines(8, type), helpTopicLines(1, type));
            QCOMPARE(helpTopicLines(33, type), helpTopicLines(32, type));
            QCOMPARE(helpTopicLines(35, type), helpTopicLines(32, type));
            QCOMPARE(helpTopicLines(36, type), helpTopicLines(32, type));
            QCOMPARE(helpTopicLines(37, type), helpTopicLines(34, type));
        }
        QCOMPARE(texts(22, 0)[2], texts(4, 0)[2]);
        QCOMPARE(texts(22, 1)[2], texts(4, 1)[2]);
    }

    void kindListDependsOnType_data() {
        QTest::addColumn<DeviceType>("type");
        QTest::addColumn<QStringList>("list");
        const QString intro = QStringLiteral(
            "Hier können Sie festlegen, welchen Endgerätetyp sie anschließen möchten.");
        const QString eachAnschluss = QStringLiteral(
            "Es kann je ein Anschluss auf Gerätetyp Anrufbeantworter, TFE und Fax eingestellt "
            "werden.");
        const QStringList head{QStringLiteral("Gerätetyp"), QString(), intro, QString()};
        const QStringList emergency =
            head + QStringList{QStringLiteral("- Notrufgerät"),
                               QStringLiteral("- Telefon/Kombigerät"),
                               QStringLiteral("- Anrufbeantworter"),
                               QStringLiteral("- TFE"),
                               QStringLiteral("- Fax"),
                               QString(),
                               QStringLiteral("Hinweis:"),
                               eachAnschluss,
                               QStringLiteral("Notrufgeräte sind gegenüber anderen Gerätetypen "
                                              "immer bevorrechtigt.")};
        const QStringList faxAnschluss = head + QStringList{QStringLiteral("- Telefon/Kombigerät"),
                                                            QStringLiteral("- Anrufbeantworter"),
                                                            QStringLiteral("- TFE"),
                                                            QStringLiteral("- Fax"),
                                                            QString(),
                                                            QStringLiteral("Hinweis:"),
                                                            eachAnschluss};
        QStringList faxNebenstelle = faxAnschluss;
        faxNebenstelle.last() = QStringLiteral("Es kann je eine Nebenstelle auf Gerätetyp "
                                               "Anrufbeantworter, TFE und Fax eingestellt werden.");
        const QStringList basic =
            head + QStringList{QStringLiteral("- Telefon/Fax/Kombigerät"),
                               QStringLiteral("- Anrufbeantworter"),
                               QStringLiteral("- TFE"),
                               QString(),
                               QStringLiteral("Hinweis:"),
                               QStringLiteral("Es kann nur ein Anschluss auf Gerätetyp "
                                              "Anrufbeantworter und ein Anschluss auf Gerätetyp "
                                              "TFE eingestellt werden.")};
        QTest::newRow("0") << 0u << basic;
        QTest::newRow("1") << 1u << faxNebenstelle;
        QTest::newRow("2") << 2u << basic;
        QTest::newRow("3") << 3u << faxAnschluss;
        QTest::newRow("4") << 4u << emergency;
        QTest::newRow("5") << 5u << faxAnschluss;
        QTest::newRow("6") << 6u << emergency;
        QTest::newRow("7") << 7u << emergency;
        QTest::newRow("above 7 as 0") << 12u << basic;
    }
    void kindListDependsOnType() {
        QFETCH(DeviceType, type);
        QFETCH(QStringList, list);
        QCOMPARE(texts(20, type), list);
    }

    void firmwareSourceDependsOnType() {
        const QString varunet = QStringLiteral("Die aktuelle Firmware wird Ihnen auf den "
                                               "Internetseiten der Varunet AG zum Download zur "
                                               "Verfügung gestellt.");
        const QString kestrawe =
            QStringLiteral("Die aktuelle Firmware wird Ihnen auf den Internetseiten der Kestrawe "
                           "Elektro- und Fernmeldetechnik GmbH zum Download zur Verfügung "
                           "gestellt.");
        const QString dealer = QStringLiteral(
            "Die aktuelle Firmware erhalten Sie bei Ihrem Händler oder beim Hersteller.");
        QCOMPARE(texts(15, 0)[4], varunet);
        QCOMPARE(texts(15, 1)[4], kestrawe);
        for (DeviceType type = 2; type <= HighestDeviceType; ++type)
            QCOMPARE(texts(15, type)[4], dealer);
        QCOMPARE(texts(15, 0).size(), 7);
        QCOMPARE(texts(15, 0).last(), QStringLiteral("Bevor Sie die Firmware aktualisieren, laden "
                                                     "Sie diese bitte zuerst auf Ihren PC "
                                                     "herunter."));
    }

    // Type 1 speaks of "Nebenstelle(n)" where the others speak of "Anschluss"/"Anschlüsse".
    void extensionWordingFollowsType() {
        for (int topic : {3, 4, 20, 21, 22, 23, 24}) {
            const QString t1 = joined(topic, 1);
            QVERIFY2(!t1.contains(QStringLiteral("Anschl")), qPrintable(QString::number(topic)));
            QVERIFY(t1.contains(QStringLiteral("Nebenstelle")));
            for (DeviceType other : {0u, 2u, 5u, 7u}) {
                const QString text = joined(topic, other);
                QVERIFY(text.contains(QStringLiteral("Anschl")));
                QVERIFY(text != t1);
            }
        }
        QCOMPARE(helpTopicLines(23, 1).first(),
                 (HelpLine{QStringLiteral("Türrufe an allen Nebenstellen signalisieren"), true}));
        QCOMPARE(helpTopicLines(24, 6).first(),
                 (HelpLine{QStringLiteral("Türrufe an keinem Anschluss signalisieren"), true}));
        QCOMPARE(texts(3, 1).size(), texts(3, 5).size());
    }

    void contactTopicsDependOnContactCount() {
        for (DeviceType type : {3u, 4u}) {
            QCOMPARE(texts(31, type).first(), QStringLiteral("Schaltkontakte"));
            QCOMPARE(texts(31, type).size(), 4);
            QVERIFY(joined(32, type).contains(QStringLiteral("für jeden Kontakt")));
            QVERIFY(joined(38, type).contains(QStringLiteral("Fernsteuern der Kontakte")));
            QVERIFY(joined(38, type).contains(QStringLiteral("Für die Wartezeiten muss")));
        }
        for (DeviceType type : {0u, 1u, 2u, 5u, 6u, 7u}) {
            QCOMPARE(texts(31, type),
                     (QStringList{QStringLiteral("Schaltkontakt"), QString(),
                                  QStringLiteral("Hiermit legen Sie die Betriebsart und die "
                                                 "Schaltzeit des Schaltkontaktes fest.")}));
            QVERIFY(joined(32, type).contains(QStringLiteral("für den Kontakt")));
            QVERIFY(joined(38, type).contains(QStringLiteral("Fernsteuern des Kontaktes")));
            QVERIFY(joined(38, type).contains(QStringLiteral("Für die Wartezeit muss")));
        }
    }

    // The rich-text box must keep one paragraph per line, blank lines included.
    void htmlKeepsLinesAndWeight() {
        for (int topic : {2, 15, 26, 30}) {
            const QList<HelpLine> lines = helpTopicLines(topic, 0);
            QTextDocument doc;
            doc.setHtml(helpTopicHtml(topic, 0));
            QCOMPARE(doc.blockCount(), lines.size());
            QTextBlock block = doc.begin();
            for (const HelpLine& line : lines) {
                QCOMPARE(block.text(), line.text);
                if (!line.text.isEmpty()) {
                    const bool bold =
                        block.begin().fragment().charFormat().fontWeight() >= QFont::Bold;
                    QCOMPARE(bold, line.bold);
                }
                block = block.next();
            }
        }
    }
};

QTEST_MAIN(TestHelpTexts)
#include "test_help_texts.moc"
