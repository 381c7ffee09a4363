#include "PrinterCanvas.h"

#include <QFile>
#include <QFontMetrics>
#include <QPrinter>

#include <algorithm>

namespace talvaro {
namespace {

// Qt does not report write errors of its PDF output (a full disk leaves a short file);
// a complete file ends in "%%EOF".
bool pdfComplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(std::max<qint64>(0, file.size() - 16)))
        return false;
    return file.readAll().trimmed().endsWith("%%EOF");
}

} // namespace

PrinterCanvas::PrinterCanvas(QPrinter& printer) : m_printer(printer) {}

bool PrinterCanvas::beginJob(const QString& jobTitle) {
    m_printer.setDocName(jobTitle);
    return m_painter.begin(&m_printer);
}

bool PrinterCanvas::endJob() {
    if (!m_painter.end() || m_printer.printerState() == QPrinter::Error)
        return false;
    if (m_printer.outputFormat() != QPrinter::PdfFormat || m_printer.outputFileName().isEmpty())
        return true;
    if (pdfComplete(m_printer.outputFileName()))
        return true;
    QFile::remove(m_printer.outputFileName()); // a broken file is no report
    return false;
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
