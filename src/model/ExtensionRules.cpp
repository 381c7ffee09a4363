#include "ConfigModel.h"
#include "ControlNames.h"

#include <array>

// What choosing the kind of terminal and the line permission does to an extension.
namespace talvaro {

namespace {

enum class Line { Voll, Halb, Nicht };

struct Box {
    bool enabled;
    bool checked;
};

struct KindRow {
    const char* radio;
    std::array<bool, 3> lineEnabled; // Vollamt, Halbamt, Nichtamt
    Line lineSelected;
    Box door;
    Box externalCall;
    Box doorRings;         // ignored when the rings follow the door permission
    bool ringsFollowDoor;  // Telefon: enabled, then setDoorRing with the door permission
    bool oneExtensionOnly; // the radio is disabled at every other extension
};

// Indexed by ExtensionKind.
constexpr std::array<KindRow, 5> KindRows{{
    {"RBTelefon",
     {true, true, true},
     Line::Voll,
     {true, true},
     {true, true},
     {true, true},
     true,
     false},
    {"RBAnrufbeantworter",
     {true, true, false},
     Line::Voll,
     {false, false},
     {false, true},
     {false, false},
     false,
     true},
    {"RBTfe",
     {false, false, true},
     Line::Nicht,
     {false, false},
     {false, false},
     {false, false},
     false,
     true},
    {"RBFax",
     {true, true, false},
     Line::Voll,
     {false, false},
     {false, false},
     {false, false},
     false,
     true},
    {"RBNotruf",
     {true, false, false},
     Line::Voll,
     {true, true},
     {false, true},
     {true, true},
     false,
     false},
}};

constexpr std::array<const char*, 3> LineRadios{"RBvab", "RBhab", "RBnab"};

// Kinds of which at most one extension may hold each.
constexpr std::array<ExtensionKind, 3> UniqueKinds{ExtensionKind::Anrufbeantworter,
                                                   ExtensionKind::Tfe, ExtensionKind::Fax};

constexpr int AllExtensions = 6;

} // namespace

void ConfigModel::kindRule(int n) {
    const KindRow& row = KindRows[static_cast<int>(kindOf(n))];
    for (int i = 0; i < 3; ++i) {
        const QString line = extensionControl(LineRadios[i], n);
        setEnabled(line, row.lineEnabled[i]);
        if (static_cast<int>(row.lineSelected) == i)
            setChecked(line, true);
    }
    const QString door = extensionControl("CBtb", n);
    setEnabled(door, row.door.enabled);
    setChecked(door, row.door.checked);
    const QString externalCall = extensionControl("CBarb", n);
    setEnabled(externalCall, row.externalCall.enabled);
    setChecked(externalCall, row.externalCall.checked);
    for (int button = 1; button <= 4; ++button) {
        const QString box = names::ringBox(button, n);
        setEnabled(box, row.ringsFollowDoor || row.doorRings.enabled);
        if (!row.ringsFollowDoor)
            setChecked(box, row.doorRings.checked);
    }
    if (row.ringsFollowDoor)
        setDoorRing(n, isChecked(door));
    if (row.oneExtensionOnly)
        for (int other = 1; other <= AllExtensions; ++other)
            if (other != n)
                setEnabled(extensionControl(row.radio, other), false);
    refreshUniqueKinds();
    markModified();
}

void ConfigModel::refreshUniqueKinds() {
    const int count = extensionCount();
    for (ExtensionKind kind : UniqueKinds) {
        bool held = false;
        for (int n = 1; n <= count && !held; ++n)
            held = kindOf(n) == kind;
        if (held)
            continue;
        for (int n = 1; n <= count; ++n)
            setEnabled(extensionControl(KindRows[static_cast<int>(kind)].radio, n), true);
    }
}

void ConfigModel::fullLineRule(int n) {
    const ExtensionKind kind = kindOf(n);
    if (kind != ExtensionKind::Anrufbeantworter && kind != ExtensionKind::Fax) {
        const QString externalCall = extensionControl("CBarb", n);
        setEnabled(externalCall, true);
        setChecked(externalCall, true);
        setEnabled(extensionControl("CBtb", n), true);
    }
    markModified();
}

void ConfigModel::noLineRule(int n) {
    const QString externalCall = extensionControl("CBarb", n);
    setChecked(externalCall, false);
    setEnabled(externalCall, false);
    setEnabled(extensionControl("CBtb", n), true);
    markModified();
}

void ConfigModel::doorRule(int n) {
    setDoorRing(n, isChecked(extensionControl("CBtb", n)));
    markModified();
}

void ConfigModel::setDoorRing(int n, bool on) {
    for (int button = 1; button <= 4; ++button) {
        const QString box = names::ringBox(button, n);
        setEnabled(box, on);
        setChecked(box, on);
    }
}

void ConfigModel::doorCallButton(int on) {
    // The enabled state stays: locked boxes are switched too and get encoded.
    const int count = extensionCount();
    for (int n = 1; n <= count; ++n)
        for (int button = 1; button <= 4; ++button)
            setChecked(names::ringBox(button, n), on != 0);
}

void ConfigModel::contactRule(int contact) {
    const bool bellButtons = isChecked(names::contactChoice(contact, "Klingel"));
    for (int button = 1; button <= 4; ++button)
        setEnabled(names::contactButton(contact, button), bellButtons);
    markModified();
}

} // namespace talvaro
