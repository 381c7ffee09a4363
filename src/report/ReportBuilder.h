#pragma once

#include "ReportInput.h"

#include <QStringList>

namespace talvaro {

// Body lines starting with this marker are headings.
inline const QString ReportHeadingMarker = QStringLiteral("<U>");

// The report lines: line 0 is the title, the rest the body.
QStringList buildReport(const ReportInput& input);

} // namespace talvaro
