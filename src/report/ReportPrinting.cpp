#include "ReportPrinting.h"

#include "ReportBuilder.h"

#include <QLocale>

namespace talvaro {
namespace {

const QString ReportFontFamily = QStringLiteral("Arial");
constexpr int BodyPointSize = 10;
constexpr int TitlePointSize = 16;
constexpr int DateExtraPixels = 10;

QFont reportFont(int pointSize, bool emphasised) {
    QFont font(ReportFontFamily, pointSize);
    font.setBold(emphasised);
    font.setUnderline(emphasised);
    return font;
}

const QString NotStartedMessage = QStringLiteral("Der Druckauftrag konnte nicht gestartet werden.");
const QString AbortedMessage =
    QStringLiteral("Beim Drucken ist ein Fehler aufgetreten. Der Druckauftrag wurde abgebrochen.");

} // namespace

int marginPixels(int millimetres, int dpi) {
    // dpi * cm / 2.54 in whole numbers: no rounding error can lift the result.
    return dpi * millimetres * 10 / 254;
}

int lineAdvance(int fontHeight) {
    return fontHeight * 12 / 10;
}

QString reportDateLine(const QDate& date) {
    return QStringLiteral("Druckdatum ") + QLocale::system().toString(date, QLocale::ShortFormat);
}

std::optional<QString> printReport(ReportCanvas& canvas, const QStringList& lines,
                                   const QString& jobTitle, const QString& dateLine,
                                   const ReportMargins& margins) {
    if (!canvas.beginJob(jobTitle))
        return NotStartedMessage;

    const int dpi = canvas.resolution();
    const int left = marginPixels(margins.left, dpi);
    const int right = marginPixels(margins.right, dpi);
    int y = marginPixels(margins.top, dpi);

    // Every line moves down by the advance of the font in use afterwards; a failed
    // output stops the page where it broke.
    auto advance = [&] {
        y += lineAdvance(canvas.fontHeight());
        return !canvas.hasFailed();
    };

    canvas.setFont(reportFont(BodyPointSize, false));
    canvas.textOut(canvas.pageWidth() - right - (canvas.textWidth(dateLine) + DateExtraPixels), y,
                   dateLine);
    bool ok = advance();

    if (ok) {
        canvas.setFont(reportFont(TitlePointSize, true));
        canvas.textOut(left, y, lines.value(0));
        ok = advance();
    }

    canvas.setFont(reportFont(BodyPointSize, false));
    for (qsizetype i = 1; ok && i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(ReportHeadingMarker)) {
            canvas.setFont(reportFont(BodyPointSize, true));
            canvas.textOut(left, y, line.mid(ReportHeadingMarker.size()));
            canvas.setFont(reportFont(BodyPointSize, false));
        } else {
            canvas.textOut(left, y, line);
        }
        ok = advance();
    }

    if (!ok) {
        canvas.abortJob();
        return AbortedMessage;
    }
    if (!canvas.endJob())
        return AbortedMessage;
    return std::nullopt;
}

} // namespace talvaro
