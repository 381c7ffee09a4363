#pragma once

#include "ReportDiff.h"
#include "model/DeviceTypes.h"

#include <QByteArray>

namespace talvaro {

class Dialogs;

// A configuration image and the type it is read under.
struct TypedImage {
    DeviceType type;
    QByteArray image;
};

struct ImageComparison {
    QList<ReportDifference> differences;
    QString refusal; // set when the two cannot be compared; then there are no differences
};

// Compares two configurations as the report shows them, both read under the first
// one's type: two models of one family differ only in what the type shows. Images of
// different families are refused.
ImageComparison compareImages(const TypedImage& first, const TypedImage& second, Dialogs& dialogs);

} // namespace talvaro
