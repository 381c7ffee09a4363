#include "ReportCommands.h"

#include "PrinterCanvas.h"
#include "ReportBuilder.h"

namespace talvaro {

bool executePrint(QPrinter& printer, const PrintCommandHost& host, QStringList& reportLines,
                  const QDate& today) {
    if (!host.checkPinBeforeUse())
        return false;
    const QString dateLine = reportDateLine(today);
    const ReportInput input = host.reportInput();
    reportLines = buildReport(input);
    if (!host.execPrintDialog(printer))
        return false;
    if (const std::optional<QString> error =
            printReportOn(printer, reportLines, input.title, dateLine)) {
        host.showError(*error);
        return false;
    }
    return true;
}

void executePrinterSetup(QPrinter& printer, const PrintCommandHost& host) {
    if (host.checkPinBeforeUse())
        host.execPrinterSetup(printer);
}

} // namespace talvaro
