#pragma once

#include "ReportCanvas.h"
#include "ReportPrinting.h"

#include <QPainter>

class QPrinter;

namespace talvaro {

// The report canvas on a real printer (or a PDF file); coordinates start at the top left
// of the printable area.
class PrinterCanvas : public ReportCanvas {
public:
    explicit PrinterCanvas(QPrinter& printer);

    bool beginJob(const QString& jobTitle) override;
    bool endJob() override;
    void abortJob() override;
    bool hasFailed() const override;

    int resolution() const override;
    int pageWidth() const override;

    void setFont(const QFont& font) override;
    int textWidth(const QString& text) const override;
    int fontHeight() const override;
    void textOut(int x, int y, const QString& text) override;

private:
    QPrinter& m_printer;
    QPainter m_painter;
};

// Prints the report on `printer`; see printReport.
std::optional<QString> printReportOn(QPrinter& printer, const QStringList& lines,
                                     const QString& jobTitle, const QString& dateLine,
                                     const ReportMargins& margins = {});

} // namespace talvaro
