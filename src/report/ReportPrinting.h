#pragma once

#include "ReportCanvas.h"

#include <QDate>
#include <QStringList>

#include <optional>

namespace talvaro {

// Page margins of the report in millimetres.
struct ReportMargins {
    int top = 10;
    int left = 15;
    int right = 10;
};

// Millimetres to device pixels, cut to a whole number.
int marginPixels(int millimetres, int dpi);

// Line advance for a font `fontHeight` pixels high: 1.2 times, cut to a whole number.
int lineAdvance(int fontHeight);

// "Druckdatum " + the date in the system's short format.
QString reportDateLine(const QDate& date);

// Prints `lines` (line 0 the title, "<U>" lines as headings) and the date line on one
// page. Returns the message to show when the job could not be started or failed; a job
// that failed while open has been aborted.
std::optional<QString> printReport(ReportCanvas& canvas, const QStringList& lines,
                                   const QString& jobTitle, const QString& dateLine,
                                   const ReportMargins& margins = {});

} // namespace talvaro
