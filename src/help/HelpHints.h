#pragma once

#include <QString>

#include <optional>
#include <span>

// Help topics travel in a control's hint as "|" + number: the short part before the
// bar stays empty so that no tooltip appears, the long part names the topic.
namespace talvaro {

struct HelpHintAssignment {
    const char* objectName; // control, tool button, action or menu entry
    int topic;
};

// Which control of the main window carries which topic.
std::span<const HelpHintAssignment> helpHintAssignments();

struct TextHintAssignment {
    const char* objectName; // a menu
    const char* hint;
};

// Menus whose hint names no topic: highlighting them empties the help panel.
std::span<const TextHintAssignment> textHintAssignments();

// The topic of an object name, nothing when it carries none.
std::optional<int> helpTopicFor(const QString& objectName);

// "|" + topic, the hint text a control gets for its topic.
QString helpHint(int topic);

// The long part of a hint: the text after the first "|", or the whole hint without a bar.
QString longHint(const QString& hint);

// What a hint asks of the help panel: nothing for an empty long part, otherwise the topic
// number, or -1 when the long part is not a number.
std::optional<int> topicOfHint(const QString& hint);

} // namespace talvaro
