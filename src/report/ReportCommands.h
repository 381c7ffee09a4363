#pragma once

#include "ReportInput.h"

#include <QDate>
#include <QStringList>

#include <functional>

class QPrinter;

// The two printing commands of the main window, "&Drucken..." and
// "D&ruckereinrichtung...", with the window's parts they use passed in.
namespace talvaro {

struct PrintCommandHost {
    std::function<bool()> checkPinBeforeUse; // true: no PIN problem (it shows its own message)
    std::function<ReportInput()> reportInput;
    std::function<bool(QPrinter&)> execPrintDialog; // false: cancelled
    std::function<void(QPrinter&)> execPrinterSetup;
    std::function<void(const QString&)> showError; // the program's general error message
};

// Print1Execute: rebuilds `reportLines` (even when the dialog is then cancelled) and
// prints them with the date line of `today`. True when the report was printed.
bool executePrint(QPrinter& printer, const PrintCommandHost& host, QStringList& reportLines,
                  const QDate& today);

// Printer1Execute: the printer set-up dialog, unless the PIN check objects.
void executePrinterSetup(QPrinter& printer, const PrintCommandHost& host);

} // namespace talvaro
