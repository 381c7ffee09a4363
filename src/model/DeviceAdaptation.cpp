#include "ConfigModel.h"
#include "ControlNames.h"

#include <array>

// The editor state of a device type: its defaults and the choices the model offers.
namespace talvaro {

namespace {

constexpr std::array<const char*, 12> ColumnControls{
    "RBTelefon", "RBAnrufbeantworter", "RBTfe",       "RBvab",       "RBhab",      "RBnab", "CBtb",
    "CBarb",     "CBTaste1Ruf",        "CBTaste2Ruf", "CBTaste3Ruf", "CBTaste4Ruf"};

} // namespace

void ConfigModel::adaptToDeviceType() {
    const DeviceType type = m_document.deviceType();
    const DeviceTypeProfile& profile = deviceProfile(type);
    const int count = extensionCount();

    applyFactoryDefaults();

    // A fax becomes a telephone; a hidden emergency radio keeps its selection.
    for (int n = 1; n <= count; ++n)
        if (isChecked(extensionControl("RBFax", n)))
            setChecked(extensionControl("RBTelefon", n), true);

    // Visibility is what the user sees: the column of the extension and, within it, the
    // kind rows of the model.
    for (int n = 1; n <= 6; ++n) {
        const bool column = n <= count;
        for (const char* prefix : ColumnControls)
            setVisible(extensionControl(prefix, n), column);
        setVisible(extensionControl("RBFax", n), column && profile.hasFax);
        setVisible(extensionControl("RBNotruf", n), column && profile.hasEmergency);
    }
    refreshUniqueKinds();

    const bool secondContact = !isSixExtension(type);
    for (const char* choice : names::ContactChoices)
        setVisible(names::contactChoice(2, choice), secondContact);
    for (int button = 1; button <= 4; ++button)
        setVisible(names::contactButton(2, button), secondContact);
    setVisible(names::switchTimeField(2), secondContact);
}

} // namespace talvaro
