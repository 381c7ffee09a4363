#include "HelpHints.h"

#include <algorithm>
#include <array>

namespace talvaro {
namespace {

// clang-format off
constexpr std::array<HelpHintAssignment, 59> Assignments{{
    {"PanelImage", 1},
    {"PanelLtg", 2},
    {"PanelTln", 3},
    {"PanelRuf", 4},
    {"Download", 5}, {"SpeedButton2", 5}, {"AuslesenausderAnlage1", 5},
    {"Upload", 6}, {"SpeedButton1", 6}, {"FileSaveItem", 6},
    {"Werkseinstellung", 7}, {"Werkseinstellungen1", 7},
    {"File1", 8},
    {"FileOpenItem", 9},
    {"FileSaveAsItem", 10},
    {"FileNewItem", 11},
    {"FileExitItem", 12},
    {"PrintItem", 13}, {"ToolButton10", 13},
    {"Druckereinrichtung1", 14},
    {"NeueFirmware1", 15},
    {"PanelAmtsholung", 16},
    {"PanelHeranholen", 17},
    {"PanelAnklopfschutz", 18},
    {"PanelWartemusik", 19},
    {"PanelTyp1", 20}, {"PanelTyp2", 20}, {"PanelTyp3", 20},
    {"PanelTyp4", 20}, {"PanelTyp5", 20}, {"PanelTyp6", 20},
    {"PanelBerecht1", 21}, {"PanelBerecht2", 21}, {"PanelBerecht3", 21},
    {"PanelBerecht4", 21}, {"PanelBerecht5", 21}, {"PanelBerecht6", 21},
    {"PanelRuf1", 22}, {"PanelRuf2", 22}, {"PanelRuf3", 22},
    {"PanelRuf4", 22}, {"PanelRuf5", 22}, {"PanelRuf6", 22},
    {"ButtonTlnEin", 23},
    {"ButtonTlnAus", 24},
    {"PanelNachwahl", 25},
    {"PanelNachwahlEinAus", 26},
    {"PanelAnzahlRufe", 27},
    {"PanelTimeout1", 28},
    {"PanelExternErweitert", 29},
    {"PanelHookflash", 30},
    {"PanelKontakte", 31},
    {"PanelK1Head", 32},
    {"PanelK1", 33},
    {"PanelK1Schaltzeit", 34},
    {"PanelK2Head", 35},
    {"PanelK2", 36},
    {"PanelK2Schaltzeit", 37},
    {"PanelFernsteuerung", 38},
}};
// clang-format on

constexpr std::array<TextHintAssignment, 2> TextAssignments{{
    {"Extras1", "Zusatzfunktionen"},
    {"Help1", "Hilfethemen"},
}};

} // namespace

std::span<const HelpHintAssignment> helpHintAssignments() {
    return Assignments;
}

std::span<const TextHintAssignment> textHintAssignments() {
    return TextAssignments;
}

std::optional<int> helpTopicFor(const QString& objectName) {
    const auto it = std::find_if(Assignments.begin(), Assignments.end(), [&](const auto& a) {
        return objectName == QLatin1String(a.objectName);
    });
    if (it == Assignments.end())
        return std::nullopt;
    return it->topic;
}

QString helpHint(int topic) {
    return QLatin1Char('|') + QString::number(topic);
}

QString longHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

std::optional<int> topicOfHint(const QString& hint) {
    const QString text = longHint(hint);
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int topic = text.toInt(&ok);
    return ok ? topic : -1;
}

} // namespace talvaro
