#pragma once

#include "model/DeviceTypes.h"

#include <QList>
#include <QString>

// The built-in help texts of the help panel, one topic per number.
namespace talvaro {

constexpr int HighestHelpTopic = 38;

struct HelpLine {
    QString text;
    bool bold = false;

    friend bool operator==(const HelpLine&, const HelpLine&) = default;
};

// The lines of `topic` as they read for `type`; no lines for topic 0 or an unknown topic.
QList<HelpLine> helpTopicLines(int topic, DeviceType type);

// The bold heading that opens `topic` for `type`, what a screen reader says of a control;
// empty for topic 0 or an unknown topic.
QString helpTopicTitle(int topic, DeviceType type);

// The same lines as rich text for the help box, one paragraph per line, bold lines bold.
QString helpTopicHtml(int topic, DeviceType type);

} // namespace talvaro
