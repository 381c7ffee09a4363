#pragma once

#include "ConfigModel.h"

#include <array>

// How the editor's controls are named; shared by the model's own sources.
namespace talvaro::names {

// Indexed by ExtensionKind.
inline constexpr std::array<const char*, 5> KindRadios{"RBTelefon", "RBAnrufbeantworter", "RBTfe",
                                                       "RBFax", "RBNotruf"};
inline constexpr std::array<const char*, 4> ContactChoices{"Intern", "Klingel", "Extern", "Fern"};

// "CBTaste3Ruf24": extension 4 rings for bell button 3.
inline QString ringBox(int button, int extension) {
    return QStringLiteral("CBTaste%1Ruf%2").arg(button).arg(20 + extension);
}

// "RBKontakt2Fern".
inline QString contactChoice(int contact, const char* choice) {
    return QStringLiteral("RBKontakt%1").arg(contact) + QLatin1String(choice);
}

// "CBKontakt1Klingel3": bell button 3 drives contact 1.
inline QString contactButton(int contact, int button) {
    return QStringLiteral("CBKontakt%1Klingel%2").arg(contact).arg(button);
}

inline QString switchTimeField(int contact) {
    return QStringLiteral("LMDExtSpinEditK%1Time").arg(contact);
}

} // namespace talvaro::names
