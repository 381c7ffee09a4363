#include "ReportEditor.h"

#include "report/ReportCommands.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

using namespace talvaro;

namespace {

// Main window stand-in that records which of its parts a command used.
struct Host {
    bool pinOk = true;
    bool printConfirmed = true;
    int printDialogs = 0;
    int setupDialogs = 0;
    QStringList errors;
    ReportEditor editor;

    PrintCommandHost commands() {
        return {[this] { return pinOk; }, [this] { return editor.input(3); },
                [this](QPrinter&) {
                    ++printDialogs;
                    return printConfirmed;
                },
                [this](QPrinter&) { ++setupDialogs; },
                [this](const QString& message) { errors << message; }};
    }
};

} // namespace

class TestReportCommands : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};

    QString pdf() const { return dir.filePath("report.pdf"); }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        QFile::remove(pdf());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf());
    }

    void pinProblemStopsBeforeAnyDialog() {
        Host host;
        host.pinOk = false;
        QStringList lines{"old"};
        QVERIFY(!executePrint(printer, host.commands(), lines, QDate(2026, 12, 8)));
        executePrinterSetup(printer, host.commands());
        QCOMPARE(lines, QStringList{"old"});
        QCOMPARE(host.printDialogs, 0);
        QCOMPARE(host.setupDialogs, 0);
        QVERIFY(!QFileInfo::exists(pdf()));
    }

    void cancelledDialogPrintsNothingButRebuildsTheLines() {
        Host host;
        host.printConfirmed = false;
        QStringList lines{"old"};
        QVERIFY(!executePrint(printer, host.commands(), lines, QDate(2026, 12, 8)));
        QCOMPARE(host.printDialogs, 1);
        QCOMPARE(lines.first(), QStringLiteral("Mirello 14TS Konfiguration"));
        QVERIFY(lines.contains(QStringLiteral("<U>Schaltkontakte")));
        QVERIFY(!QFileInfo::exists(pdf()));
        QVERIFY(host.errors.isEmpty());
    }

    void confirmedDialogPrints() {
        Host host;
        QStringList lines;
        QVERIFY(executePrint(printer, host.commands(), lines, QDate(2026, 12, 8)));
        QVERIFY(QFileInfo(pdf()).size() > 0);
        QCOMPARE(printer.docName(), QStringLiteral("Mirello 14TS Konfiguration"));
        QVERIFY(host.errors.isEmpty());
    }

    void printFailureGoesToTheErrorMessage() {
        Host host;
        printer.setOutputFileName("/nonexistent-folder/report.pdf");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*"));
        QStringList lines;
        QVERIFY(!executePrint(printer, host.commands(), lines, QDate(2026, 12, 8)));
        QCOMPARE(host.errors.size(), 1);
        QVERIFY(!lines.isEmpty());
    }

    void setupDialogAfterPinCheck() {
        Host host;
        executePrinterSetup(printer, host.commands());
        QCOMPARE(host.setupDialogs, 1);
        QCOMPARE(host.printDialogs, 0);
    }
};

QTEST_MAIN(TestReportCommands)
#include "test_report_commands.moc"
