#include "ReportDiff.h"

#include "ModelReport.h"
#include "ReportBuilder.h"
#include "model/ConfigModel.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"

#include <algorithm>

namespace talvaro {
namespace {

// The line without its marker, and whether it is a heading.
std::pair<QString, bool> plain(const QString& line) {
    if (line.startsWith(ReportHeadingMarker))
        return {line.mid(ReportHeadingMarker.size()), true};
    return {line, false};
}

} // namespace

QStringList markedReportLines(const ConfigModel& model, DeviceType type) {
    return buildReport(reportInputFromModel(model, type));
}

QStringList markedReportLines(DeviceType type, const QByteArray& image, Dialogs& dialogs) {
    Document document;
    ImageBuffers images;
    ConfigModel model(document, dialogs);
    document.applyDeviceType(type);
    model.adaptToDeviceType();
    if (image.size() != images.working(type).size())
        return {};
    images.working(type) = image;
    model.decodeImage(images);
    return markedReportLines(model, type);
}

QList<ReportDifference> compareReports(const QStringList& markedBefore,
                                       const QStringList& markedAfter) {
    QList<ReportDifference> differences;
    QString section;
    for (qsizetype i = 0; i < std::max(markedBefore.size(), markedAfter.size()); ++i) {
        std::optional<QString> before;
        std::optional<QString> after;
        if (i < markedBefore.size()) {
            const auto [text, heading] = plain(markedBefore[i]);
            before = text;
            if (heading)
                section = text;
        }
        if (i < markedAfter.size()) {
            const auto [text, heading] = plain(markedAfter[i]);
            after = text;
            if (heading && !before)
                section = text;
        }
        if (before != after)
            differences.append({section, before, after});
    }
    return differences;
}

} // namespace talvaro
