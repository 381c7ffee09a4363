#pragma once

class QPrinter;

namespace talvaro {

// The print dialog and the printer set-up, reached through this interface like every
// other dialog, so that tests answer them by script.
class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;

    // The print dialog on `printer`; false when cancelled.
    virtual bool execPrintDialog(QPrinter& printer) = 0;
    virtual void execPrinterSetup(QPrinter& printer) = 0;
};

} // namespace talvaro
