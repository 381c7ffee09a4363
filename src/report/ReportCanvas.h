#pragma once

#include <QFont>
#include <QString>

// The page the report is printed on: a print job with one page, fonts, text measurement
// and text output at pixel positions (y is the top of the text).
namespace talvaro {

class ReportCanvas {
public:
    virtual ~ReportCanvas() = default;

    virtual bool beginJob(const QString& jobTitle) = 0; // false: no job was started
    virtual bool endJob() = 0;                          // false: the job failed at the end
    virtual void abortJob() = 0;                        // discards the open job
    virtual bool hasFailed() const = 0;                 // output failed while the job is open

    virtual int resolution() const = 0; // pixels per inch
    virtual int pageWidth() const = 0;  // printable width in pixels

    virtual void setFont(const QFont& font) = 0;
    virtual int textWidth(const QString& text) const = 0;
    virtual int fontHeight() const = 0;
    virtual void textOut(int x, int y, const QString& text) = 0;
};

} // namespace talvaro
