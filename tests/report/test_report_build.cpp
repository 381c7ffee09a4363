#include "ReportEditor.h"

#include "report/ReportBuilder.h"

#include <QtTest>

using namespace talvaro;

namespace {

QStringList report(const ReportEditor& e, DeviceType type) {
    return buildReport(e.input(type));
}

QStringList linesStartingWith(const QStringList& lines, const QString& prefix) {
    QStringList out;
    for (const QString& l : lines)
        if (l.startsWith(prefix))
            out << l;
    return out;
}

QStringList section(const QStringList& lines, const QString& heading) {
    const qsizetype start = lines.indexOf(heading);
    if (start < 0)
        return {};
    const qsizetype end = lines.indexOf(QString(), start);
    return lines.mid(start + 1, end - start - 1);
}

} // namespace

class TestReportBuild : public QObject {
    Q_OBJECT
private slots:
    void fullReportOfASixExtensionType() {
        ReportEditor e;
        e.tick({"RBAmtsholungJa", "RBAnklopfschutzJa", "RBNachwahlJa"});
        e.show("LMDSpinEditAnzahlRufe", "3").show("LMDSpinEditTimeout1", "10");
        e.tick({"RBTelefon21", "RBvab21", "CBtb21", "RBAnrufbeantworter22", "RBhab22", "RBTfe23",
                "RBNichtamt23", "RBFax24", "RBvab24", "CBtb24", "RBNotruf25", "RBhab25"});
        e.tick({"CBarb21", "CBTaste2Ruf21", "CBTaste4Ruf21", "CBTaste3Ruf22", "CBarb24",
                "CBTaste1Ruf25", "CBTaste2Ruf25", "CBTaste3Ruf25", "CBTaste4Ruf25",
                "CBTaste1Ruf26"});
        e.tick(
            {"RBKontakt1Klingel", "CBKontakt1Klingel2", "CBKontakt1Klingel3", "RBKontakt2Intern"});
        e.show("LMDExtSpinEditK1Time", "1,5").show("LMDExtSpinEditK2Time", "9");
        e.show("LMDExtSpinEditTimeout2", "10").show("LMDExtSpinEditTimeout3", "20");

        const QStringList expected{
            "Mirello 16 Konfiguration",
            "",
            "",
            "<U>Externanschluss",
            "   Amtsholung automatisch",
            "   Externanrufe heranholen = nein",
            "   Anklopfschutz = ja",
            "   Wartemusik = aus",
            "",
            "   Nachwahl und Faxweiche = ein",
            "   Anzahl der Rufe = 3",
            "   Wartezeit für Nachwahl und Faxweiche = 10",
            "",
            "   Hookflash für Rückfrage verwenden",
            "",
            "<U>Gerätetyp und Berechtigungen",
            "   Anschluss 1 = Telefon/Kombigerät + amtsberechtigt + türberechtigt",
            "   Anschluss 2 = Anrufbeantworter + halbamtsberechtigt",
            "   Anschluss 3 = TFE + nichtamtsberechtigt",
            "   Anschluss 4 = Fax + amtsberechtigt + türberechtigt",
            "   Anschluss 5 = Notrufgerät + halbamtsberechtigt",
            "   Anschluss 6 = Telefon/Kombigerät + nichtamtsberechtigt",
            "",
            "<U>Rufverteilung",
            "   Anschluss 1 = Externen Anruf signalisieren + Klingeltaster2 + Klingeltaster4",
            "   Anschluss 2 = Klingeltaster3",
            "   Anschluss 3 = ",
            "   Anschluss 4 = Externen Anruf signalisieren",
            "   Anschluss 5 = Klingeltaster1 + Klingeltaster2 + Klingeltaster3 + Klingeltaster4",
            "   Anschluss 6 = Klingeltaster1",
            "",
            "<U>Schaltkontakt",
            "   Schaltkontakt 1 aktivieren durch: Klingeltaster 2, 3",
            "   Schaltkontakt 1: Kontaktschaltzeit in Sekunden = 1,5",
            "   Wartezeit für PIN = 10",
            "   Wartezeit für Schaltbefehle = 20",
        };
        QCOMPARE(report(e, 5), expected);
    }

    void typeOneSaysNebenstelleAndSkipsNachwahlAndHookflash() {
        ReportEditor e;
        e.tick({"RBNachwahlJa", "RBHookflashAmt", "RBWartemusikJa", "CBarb21"});
        const QStringList lines = report(e, 1);
        const qsizetype music = lines.indexOf("   Wartemusik = ein");
        QVERIFY(music > 0);
        QCOMPARE(lines.mid(music + 1, 3), (QStringList{"", "", "<U>Gerätetyp und Berechtigungen"}));
        QVERIFY(linesStartingWith(lines, "   Nachwahl").isEmpty());
        QVERIFY(linesStartingWith(lines, "   Hookflash").isEmpty());
        QCOMPARE(linesStartingWith(lines, "   Nebenstelle ").size(), 8);
        QVERIFY(linesStartingWith(lines, "   Anschluss").isEmpty());
        QCOMPARE(section(lines, "<U>Rufverteilung").first(),
                 "   Nebenstelle 1 = Externen Anruf signalisieren");
        QCOMPARE(section(lines, "<U>Gerätetyp und Berechtigungen").first(),
                 "   Nebenstelle 1 = Gerätetyp Telefon/Kombigerät + nichtamtsberechtigt");
        QVERIFY(linesStartingWith(lines, "<U>Schaltkontakt").isEmpty());
        QCOMPARE(lines.first(), "Kalnis Fax Konfiguration");
    }

    void fourExtensionTypeIgnoresHiddenExtensions() {
        ReportEditor e;
        e.tick({"RBAnrufbeantworter25", "RBvab25", "CBtb26", "CBarb25", "CBTaste1Ruf26"});
        for (DeviceType type : {0u, 2u, 3u, 4u}) {
            const QStringList lines = report(e, type);
            QCOMPARE(section(lines, "<U>Gerätetyp und Berechtigungen").size(), 4);
            QCOMPARE(section(lines, "<U>Rufverteilung"),
                     (QStringList{"   Anschluss 1 = ", "   Anschluss 2 = ", "   Anschluss 3 = ",
                                  "   Anschluss 4 = "}));
        }
        QCOMPARE(section(report(e, 6), "<U>Rufverteilung").size(), 6);
    }

    void optionalSectionsByType_data() {
        QTest::addColumn<DeviceType>("type");
        QTest::addColumn<bool>("nachwahl");
        QTest::addColumn<bool>("hookflash");
        QTest::addColumn<QString>("contactHeading"); // empty: no contact section
        QTest::newRow("0") << 0u << false << false << QString();
        QTest::newRow("2") << 2u << false << true << QString();
        QTest::newRow("3") << 3u << true << true << QStringLiteral("<U>Schaltkontakte");
        QTest::newRow("4") << 4u << true << true << QStringLiteral("<U>Schaltkontakte");
        QTest::newRow("6") << 6u << true << true << QStringLiteral("<U>Schaltkontakt");
        QTest::newRow("7") << 7u << true << true << QString();
        QTest::newRow("above 7 as 0") << 9u << false << false << QString();
    }
    void optionalSectionsByType() {
        QFETCH(DeviceType, type);
        QFETCH(bool, nachwahl);
        QFETCH(bool, hookflash);
        QFETCH(QString, contactHeading);
        const QStringList lines = report(ReportEditor{}, type);
        QCOMPARE(linesStartingWith(lines, "   Nachwahl und Faxweiche = ").size(), nachwahl ? 1 : 0);
        QCOMPARE(linesStartingWith(lines, "   Hookflash").size(), hookflash ? 1 : 0);
        QCOMPARE(linesStartingWith(lines, "<U>Schaltkontakt"),
                 contactHeading.isEmpty() ? QStringList() : QStringList{contactHeading});
        // Without contacts the report ends with the blank line after the call distribution.
        QCOMPARE(lines.last(), contactHeading.isEmpty() ? QStringLiteral("")
                                                        : QStringLiteral("   Wartezeit für "
                                                                         "Schaltbefehle = "));
    }

    void twoContactsWithBlankLineBeforeWaitingTimes() {
        ReportEditor e;
        e.tick({"RBKontakt1Intern", "RBKontakt2Klingel", "CBKontakt2Klingel4"});
        e.show("LMDExtSpinEditK1Time", "2").show("LMDExtSpinEditK2Time", "4");
        e.show("LMDExtSpinEditTimeout2", "10").show("LMDExtSpinEditTimeout3", "20");
        const QStringList lines = report(e, 3);
        const qsizetype heading = lines.indexOf("<U>Schaltkontakte");
        QCOMPARE(lines.mid(heading + 1),
                 (QStringList{
                     "   Schaltkontakt 1 aktivieren durch: Interntelefon",
                     "   Schaltkontakt 2 aktivieren durch: Klingeltaster 4",
                     "   Schaltkontakt 1: Kontaktschaltzeit in Sekunden = 2",
                     "   Schaltkontakt 2: Kontaktschaltzeit in Sekunden = 4",
                     "",
                     "   Wartezeit für PIN = 10",
                     "   Wartezeit für Schaltbefehle = 20",
                 }));
    }

    void contactActivation_data() {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QString>("line");
        const QString start = QStringLiteral("   Schaltkontakt 1 aktivieren durch: ");
        QTest::newRow("bell buttons 2 and 3")
            << QStringList{"RBKontakt1Klingel", "CBKontakt1Klingel2", "CBKontakt1Klingel3"}
            << start + "Klingeltaster 2, 3";
        QTest::newRow("all bell buttons")
            << QStringList{"RBKontakt1Klingel", "CBKontakt1Klingel1", "CBKontakt1Klingel2",
                           "CBKontakt1Klingel3", "CBKontakt1Klingel4"}
            << start + "Klingeltaster 1, 2, 3, 4";
        QTest::newRow("no bell button")
            << QStringList{"RBKontakt1Klingel"} << start + "Klingeltaster";
        QTest::newRow("buttons without bell mode")
            << QStringList{"RBKontakt1Extern", "CBKontakt1Klingel1"} << start + "Externruf";
        QTest::newRow("nothing chosen") << QStringList{} << start + "Fernsteuerung";
    }
    void contactActivation() {
        QFETCH(QStringList, ticked);
        QFETCH(QString, line);
        ReportEditor e;
        e.tick(ticked);
        const QStringList lines = report(e, 5);
        QCOMPARE(lines.at(lines.indexOf("<U>Schaltkontakt") + 1), line);
    }

    void kindUsesTheCurrentRowCaptions() {
        ReportEditor e;
        e.tick({"RBTfe22", "RBhab22", "CBtb22"});
        ReportInput input = e.input(4);
        QCOMPARE(buildReport(input).at(17),
                 "   Anschluss 2 = Gerätetyp TFE + halbamtsberechtigt + türberechtigt");
        input.kindCaptions.tfe = QStringLiteral("Türfreisprecheinrichtung");
        QCOMPARE(buildReport(input).at(17),
                 "   Anschluss 2 = Türfreisprecheinrichtung + halbamtsberechtigt + türberechtigt");
    }
};

QTEST_GUILESS_MAIN(TestReportBuild)
#include "test_report_build.moc"
