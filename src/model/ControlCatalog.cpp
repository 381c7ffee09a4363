#include "ConfigModel.h"
#include "ControlNames.h"

#include <array>

// Every control of the editor with its group, range and the value the form starts with.
namespace talvaro {

namespace {

const QString Seconds = QStringLiteral(" s");

struct RadioPair {
    const char* yes;
    const char* no;
    const char* group;
};

// Settings of the whole system whose choices only mark the configuration modified.
constexpr std::array<RadioPair, 6> SystemChoices{{
    {"RBAmtsholungJa", "RBAmtsholungNein", "Amtsholung"},
    {"RBHeranholenJa", "RBHeranholenNein", "Heranholen"},
    {"RBAnklopfschutzJa", "RBAnklopfschutzNein", "Anklopfschutz"},
    {"RBWartemusikJa", "RBWartemusikNein", "Wartemusik"},
    {"RBNachwahlJa", "RBNachwahlNein", "Nachwahl"},
    {"RBHookflashRueckfrage", "RBHookflashAmt", "Hookflash"},
}};

struct NumberField {
    const char* name;
    NumberFieldSpec limits;
    double formValue;
};

const std::array<NumberField, 6>& numberFields() {
    static const std::array<NumberField, 6> fields{{
        {"LMDSpinEditAnzahlRufe", {0, 9, 1, 0, QString()}, 2},
        {"LMDSpinEditTimeout1", {3, 25, 1, 0, Seconds}, 8},
        {"LMDExtSpinEditK1Time", {0.1, 99.9, 0.1, 1, Seconds}, 3},
        {"LMDExtSpinEditK2Time", {0.1, 99.9, 0.1, 1, Seconds}, 3},
        {"LMDExtSpinEditTimeout2", {3, 25, 1, 0, Seconds}, 12},
        {"LMDExtSpinEditTimeout3", {3, 25, 1, 0, Seconds}, 12},
    }};
    return fields;
}

} // namespace

void ConfigModel::buildControls() {
    const auto radio = [this](const QString& name, const QString& group, bool selected, Rule rule,
                              int argument) {
        Control c;
        c.type = ControlType::Radio;
        c.group = group;
        c.state.checked = selected;
        c.rule = rule;
        c.ruleArgument = argument;
        addControl(name, c);
    };
    const auto check = [this](const QString& name, bool checked, bool enabled, Rule rule,
                              int argument) {
        Control c;
        c.type = ControlType::Check;
        c.state.checked = checked;
        c.state.enabled = enabled;
        c.rule = rule;
        c.ruleArgument = argument;
        addControl(name, c);
    };

    for (const RadioPair& p : SystemChoices) {
        radio(QLatin1String(p.yes), QLatin1String(p.group), true, &ConfigModel::markOnly, 0);
        radio(QLatin1String(p.no), QLatin1String(p.group), false, &ConfigModel::markOnly, 0);
    }

    for (const NumberField& f : numberFields()) {
        Control c;
        c.type = ControlType::Number;
        c.limits = f.limits;
        c.state.value = f.formValue;
        c.rule = &ConfigModel::markOnly;
        addControl(QLatin1String(f.name), c);
    }

    // The form starts every extension as a telephone with all permissions and rings.
    for (int n = 1; n <= 6; ++n) {
        const QString kindGroup = extensionControl("Kind", n);
        for (const char* prefix : names::KindRadios)
            radio(extensionControl(prefix, n), kindGroup, prefix == names::KindRadios[0],
                  &ConfigModel::kindRule, n);
        const QString lineGroup = extensionControl("Amt", n);
        radio(extensionControl("RBvab", n), lineGroup, true, &ConfigModel::fullLineRule, n);
        radio(extensionControl("RBhab", n), lineGroup, false, &ConfigModel::fullLineRule, n);
        radio(extensionControl("RBnab", n), lineGroup, false, &ConfigModel::noLineRule, n);
        check(extensionControl("CBtb", n), true, true, &ConfigModel::doorRule, n);
        check(extensionControl("CBarb", n), true, true, &ConfigModel::markOnly, 0);
        for (int button = 1; button <= 4; ++button)
            check(names::ringBox(button, n), true, true, &ConfigModel::markOnly, 0);
    }

    for (int contact = 1; contact <= 2; ++contact) {
        const QString group = QStringLiteral("RBKontakt%1").arg(contact);
        for (const char* choice : names::ContactChoices)
            radio(names::contactChoice(contact, choice), group, choice == names::ContactChoices[0],
                  &ConfigModel::contactRule, contact);
        for (int button = 1; button <= 4; ++button)
            check(names::contactButton(contact, button), false, false, &ConfigModel::markOnly, 0);
    }

    Control pin;
    pin.type = ControlType::Text;
    pin.state.text = QStringLiteral("0000");
    pin.rule = &ConfigModel::markOnly;
    addControl(QStringLiteral("LMDEditFernsteuerungPin"), pin);

    Control button;
    button.type = ControlType::Button;
    button.rule = &ConfigModel::doorCallButton;
    button.ruleArgument = 1;
    addControl(QStringLiteral("ButtonTlnEin"), button);
    button.ruleArgument = 0;
    addControl(QStringLiteral("ButtonTlnAus"), button);
}

} // namespace talvaro
