#include "PrinterCanvas.h"

#include <QFontMetrics>
#include <QPrinter>

namespace talvaro {

PrinterCanvas::PrinterCanvas(QPrinter& printer) : m_printer(printer) {}

bool PrinterCanvas::beginJob(const QString& jobTitle) {
    m_printer.setDocName(jobTitle);
    return m_painter.begin(&m_printer);
}

bool PrinterCanvas::endJob() {
    return m_painter.end() && m_printer.printerState() != QPrinter::Error;
}

void PrinterCanvas::abortJob() {
    m_printer.abort();
    if (m_painter.isActive())
        m_painter.end();
}

bool PrinterCanvas::hasFailed() const {
    return !m_painter.isActive() || m_printer.printerState() == QPrinter::Error ||
           m_printer.printerState() == QPrinter::Aborted;
}

int PrinterCanvas::resolution() const {
    return m_printer.resolution();
}

int PrinterCanvas::pageWidth() const {
    return m_printer.width();
}

void PrinterCanvas::setFont(const QFont& font) {
    m_painter.setFont(font);
}

int PrinterCanvas::textWidth(const QString& text) const {
    return m_painter.fontMetrics().horizontalAdvance(text);
}

int PrinterCanvas::fontHeight() const {
    return m_painter.fontMetrics().height();
}

void PrinterCanvas::textOut(int x, int y, const QString& text) {
    m_painter.drawText(x, y + m_painter.fontMetrics().ascent(), text);
}

std::optional<QString> printReportOn(QPrinter& printer, const QStringList& lines,
                                     const QString& jobTitle, const QString& dateLine,
                                     const ReportMargins& margins) {
    PrinterCanvas canvas(printer);
    return printReport(canvas, lines, jobTitle, dateLine, margins);
}

} // namespace talvaro
