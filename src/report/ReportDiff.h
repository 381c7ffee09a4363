#pragma once

#include "model/DeviceTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace talvaro {

class ConfigModel;
class Dialogs;

// One line of the configuration report that differs between two configurations, under
// the heading of its section. A line only one side has leaves the other side empty.
struct ReportDifference {
    QString section;
    std::optional<QString> before;
    std::optional<QString> after;
};

// The report of `model` as built for printing, headings still marked.
QStringList markedReportLines(const ConfigModel& model, DeviceType type);

// The report of a configuration image of `type`, as an editor holding it prints it.
// Empty when the image has not the length of the type's images.
QStringList markedReportLines(DeviceType type, const QByteArray& image, Dialogs& dialogs);

// Compares two reports line by line; "talvaro-cli diff" and the comparison window show
// the result. Empty when they agree.
QList<ReportDifference> compareReports(const QStringList& markedBefore,
                                       const QStringList& markedAfter);

} // namespace talvaro
