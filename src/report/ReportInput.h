#pragma once

#include "model/DeviceTypes.h"

#include <QString>

#include <functional>

// What the configuration report reads from the editor, without any widget.
namespace talvaro {

// One editor control as the report sees it.
struct ReportControl {
    bool checked = false; // check box ticked / radio button selected
    QString text;         // what a number field shows, unchanged
};

// Looks a control up by its name ("RBAmtsholungJa", "LMDExtSpinEditK1Time", ...).
using ReportLookup = std::function<ReportControl(const QString& name)>;

// Current captions of the kind row labels lblTypTel, lblTypAB, lblTypTFE, lblTypFax and
// lblTypNotruf.
struct KindCaptions {
    QString telefon, anrufbeantworter, tfe, fax, notruf;
};

struct ReportInput {
    DeviceType deviceType = DefaultDeviceType;
    QString title; // ReportTitle
    KindCaptions kindCaptions;
    ReportLookup control;
};

// Title and row captions as the device type sets them.
ReportInput reportInputFor(DeviceType type, ReportLookup control);

} // namespace talvaro
