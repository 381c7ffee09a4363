#include "ReportEditor.h"

#include "report/PrinterCanvas.h"
#include "report/ReportBuilder.h"
#include "report/ReportPrinting.h"

#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace talvaro;

namespace {

// Records every output; text is 13 pixels per character, a font 7 pixels per point + 1 high.
class RecordingCanvas : public ReportCanvas {
public:
    struct Output {
        int x, y;
        QString text;
        QFont font;
    };

    int dpi = 600;
    int width = 4800;
    bool beginSucceeds = true;
    bool endSucceeds = true;
    int failAfterOutputs = -1;

    QString jobTitle;
    bool ended = false;
    bool aborted = false;
    QList<Output> outputs;

    bool beginJob(const QString& title) override {
        jobTitle = title;
        return beginSucceeds;
    }
    bool endJob() override {
        ended = true;
        return endSucceeds;
    }
    void abortJob() override { aborted = true; }
    bool hasFailed() const override { return outputs.size() == failAfterOutputs; }
    int resolution() const override { return dpi; }
    int pageWidth() const override { return width; }
    void setFont(const QFont& f) override { font = f; }
    int textWidth(const QString& text) const override { return 13 * int(text.size()); }
    int fontHeight() const override { return font.pointSize() * 7 + 1; }
    void textOut(int x, int y, const QString& text) override { outputs.append({x, y, text, font}); }

private:
    QFont font;
};

bool isPlain(const QFont& f, int points) {
    return f.family() == QStringLiteral("Arial") && f.pointSize() == points && !f.bold() &&
           !f.underline();
}

bool isEmphasised(const QFont& f, int points) {
    return f.family() == QStringLiteral("Arial") && f.pointSize() == points && f.bold() &&
           f.underline();
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestReportPrint : public QObject {
    Q_OBJECT
private slots:
    void marginsAreCutToWholePixels_data() {
        QTest::addColumn<int>("millimetres");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("1.0 cm at 600") << 10 << 600 << 236; // 236.22
        QTest::newRow("1.5 cm at 600") << 15 << 600 << 354; // 354.33
        QTest::newRow("1.0 cm at 96") << 10 << 96 << 37;    // 37.80
        QTest::newRow("1.5 cm at 96") << 15 << 96 << 56;    // 56.69
        QTest::newRow("1.5 cm at 72") << 15 << 72 << 42;    // 42.52
        QTest::newRow("exact") << 10 << 254 << 100;
        QTest::newRow("1.0 cm at 1200") << 10 << 1200 << 472; // 472.44
    }
    void marginsAreCutToWholePixels() {
        QFETCH(int, millimetres);
        QFETCH(int, dpi);
        QFETCH(int, pixels);
        QCOMPARE(marginPixels(millimetres, dpi), pixels);
    }

    void lineAdvanceIsCut() {
        QCOMPARE(lineAdvance(10), 12);
        QCOMPARE(lineAdvance(5), 6);
        QCOMPARE(lineAdvance(17), 20);   // 20.4
        QCOMPARE(lineAdvance(71), 85);   // 85.2
        QCOMPARE(lineAdvance(113), 135); // 135.6
    }

    void pageGeometryAndFonts() {
        RecordingCanvas canvas;
        const QStringList lines{"Mirello 16 Konfiguration", "", "<U>Externanschluss",
                                "   Wartemusik = aus"};
        const QString date = QStringLiteral("Druckdatum 08.12.26");
        QVERIFY(!printReport(canvas, lines, "Auftrag", date));
        QCOMPARE(canvas.jobTitle, QStringLiteral("Auftrag"));
        QVERIFY(canvas.ended);
        QVERIFY(!canvas.aborted);
        QCOMPARE(canvas.outputs.size(), 5);

        // Date: right margin 236, its width 19 * 13 plus 10 extra pixels, top margin 236.
        const auto& o = canvas.outputs;
        QCOMPARE(o[0].text, date);
        QCOMPARE(o[0].x, 4800 - 236 - (19 * 13 + 10));
        QCOMPARE(o[0].y, 236);
        QVERIFY(isPlain(o[0].font, 10));

        // Title one 10-point line (71 px high -> 85) further, at the left margin 354.
        QCOMPARE(o[1].text, lines[0]);
        QCOMPARE(o[1].x, 354);
        QCOMPARE(o[1].y, 236 + 85);
        QVERIFY(isEmphasised(o[1].font, 16));

        // Body after one 16-point line (113 px high -> 135), then 85 per line.
        QCOMPARE(o[2].text, QString());
        QCOMPARE(o[2].y, 236 + 85 + 135);
        QVERIFY(isPlain(o[2].font, 10));
        QCOMPARE(o[3].text, QStringLiteral("Externanschluss"));
        QCOMPARE(o[3].y, 236 + 85 + 135 + 85);
        QVERIFY(isEmphasised(o[3].font, 10));
        QCOMPARE(o[4].text, lines[3]);
        QCOMPARE(o[4].x, 354);
        QCOMPARE(o[4].y, 236 + 85 + 135 + 2 * 85);
        QVERIFY(isPlain(o[4].font, 10));
    }

    void marginsFollowTheResolution() {
        RecordingCanvas canvas;
        canvas.dpi = 96;
        canvas.width = 700;
        QVERIFY(!printReport(canvas, {"T"}, "T", "D"));
        QCOMPARE(canvas.outputs[0].x, 700 - 37 - (13 + 10));
        QCOMPARE(canvas.outputs[0].y, 37);
        QCOMPARE(canvas.outputs[1].x, 56);
    }

    void failureWhileOpenAbortsTheJob() {
        RecordingCanvas canvas;
        canvas.failAfterOutputs = 3;
        const auto error = printReport(canvas, {"T", "a", "b", "c", "d"}, "T", "D");
        QVERIFY(error);
        QVERIFY(!error->isEmpty());
        QVERIFY(canvas.aborted);
        QVERIFY(!canvas.ended);
        QCOMPARE(canvas.outputs.size(), 3);
    }

    void jobThatCannotStartPrintsNothing() {
        RecordingCanvas canvas;
        canvas.beginSucceeds = false;
        QVERIFY(printReport(canvas, {"T", "a"}, "T", "D"));
        QVERIFY(canvas.outputs.isEmpty());
        QVERIFY(!canvas.aborted);
        QVERIFY(!canvas.ended);
    }

    void failingEndIsReported() {
        RecordingCanvas canvas;
        canvas.endSucceeds = false;
        QVERIFY(printReport(canvas, {"T", "a"}, "T", "D"));
    }

    void printsToPdf() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdffonts").isEmpty())
            QSKIP("poppler-utils not installed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath("report.pdf");

        ReportEditor e;
        e.tick({"RBAmtsholungJa", "CBarb21", "CBTaste2Ruf21", "RBKontakt1Klingel",
                "CBKontakt1Klingel3"});
        e.show("LMDSpinEditAnzahlRufe", "3").show("LMDExtSpinEditK1Time", "1,5");
        const QStringList lines = buildReport(e.input(5));
        const QString date = reportDateLine(QDate::currentDate());
        QVERIFY(date.startsWith(QStringLiteral("Druckdatum ")));

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        QCOMPARE(printReportOn(printer, lines, lines.first(), date), std::nullopt);

        const QStringList text = run("pdftotext", {"-layout", file, "-"}).split(QLatin1Char('\n'));
        QStringList printed;
        for (const QString& l : text)
            if (!l.trimmed().isEmpty() && !l.startsWith(QLatin1Char('\f')))
                printed << l;
        QVERIFY(printed.size() > 10);

        // The date stands alone at the right, the title follows.
        QCOMPARE(printed[0].trimmed(), date);
        QVERIFY(printed[0].indexOf(QStringLiteral("Druckdatum")) > 40);
        QCOMPARE(printed[1].trimmed(), QStringLiteral("Mirello 16 Konfiguration"));

        // Every non-empty report line in order, headings without their marker.
        QStringList expected;
        for (const QString& l : lines.mid(1))
            if (!l.trimmed().isEmpty())
                expected << (l.startsWith(ReportHeadingMarker) ? l.mid(3) : l).simplified();
        QStringList body;
        for (const QString& l : printed.mid(2))
            body << l.simplified();
        QCOMPARE(body, expected);

        // One page named after the report, with a regular and a bold face.
        const QString info = run("pdfinfo", {file});
        QVERIFY(info.contains(QRegularExpression("Pages:\\s+1\\n")));
        QVERIFY(info.contains(QRegularExpression("Title:\\s+Mirello 16 Konfiguration\\n")));
        const QString fonts = run("pdffonts", {file});
        QVERIFY2(fonts.contains(QRegularExpression("\\n\\S+-Bold\\S*\\s")), qPrintable(fonts));
        QVERIFY2(fonts.contains(QRegularExpression("\\n\\S*(Sans|Arial)(MT)?(-Regular)?\\s")),
                 qPrintable(fonts));
    }

    void unwritablePdfReportsFailure() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName("/nonexistent-folder/report.pdf");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*"));
        const auto error = printReportOn(printer, {"T", "a"}, "T", "D");
        QVERIFY(error);
        QVERIFY(!error->isEmpty());
    }
};

QTEST_MAIN(TestReportPrint)
#include "test_report_print.moc"
