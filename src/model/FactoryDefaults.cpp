#include "ConfigModel.h"
#include "ControlNames.h"

#include <array>

// The factory settings of each device type, applied to the editor through the rules.
namespace talvaro {

namespace {

enum class Kind { Telefon, Notruf, NotrufThenRule, Unset };

struct DefaultSet {
    bool amtsholung, heranholen, anklopfschutz, wartemusik, nachwahl;
    double anzahlRufe, timeout1;
    std::array<Kind, 6> kinds;
    bool door, ringOnBell;
    double switchTime; // both contacts
};

constexpr Kind T = Kind::Telefon;
constexpr Kind N = Kind::Notruf;
constexpr Kind NR = Kind::NotrufThenRule;
constexpr Kind U = Kind::Unset;

// clang-format off
constexpr DefaultSet BaseSet
    {true,  true,  false, true,  false, 2,  8, {T,  T,  T,  T, U, U}, true,  true,  3.0};
constexpr std::array<DefaultSet, 4> TypeSets{{
    /* 4 */ {true,  true,  false, true,  true,  0,  8, {N,  N,  T,  T, U, U}, true,  true,  0.2},
    /* 5 */ {true,  true,  false, true,  false, 2,  8, {T,  T,  T,  T, T, T}, true,  true,  3.0},
    /* 6 */ {false, true,  false, true,  true,  0,  8, {NR, NR, NR, T, T, T}, true,  false, 0.2},
    /* 7 */ {true,  false, true,  false, true,  0, 25, {NR, T,  T,  T, T, T}, false, false, 0.2},
}};
// clang-format on

// The same in every set.
constexpr double DefaultTimeout = 12;
const QString DefaultPin = QStringLiteral("0000");

const DefaultSet& defaultSetFor(DeviceType type) {
    return type >= 4 && type <= HighestDeviceType ? TypeSets[type - 4] : BaseSet;
}

struct YesNo {
    bool DefaultSet::*value;
    const char* yes;
    const char* no;
};

constexpr std::array<YesNo, 5> YesNoDefaults{{
    {&DefaultSet::amtsholung, "RBAmtsholungJa", "RBAmtsholungNein"},
    {&DefaultSet::heranholen, "RBHeranholenJa", "RBHeranholenNein"},
    {&DefaultSet::anklopfschutz, "RBAnklopfschutzJa", "RBAnklopfschutzNein"},
    {&DefaultSet::wartemusik, "RBWartemusikJa", "RBWartemusikNein"},
    {&DefaultSet::nachwahl, "RBNachwahlJa", "RBNachwahlNein"},
}};

// What the rules may disable; the fax and emergency radios are left to the kind rules.
constexpr std::array<const char*, 14> SystemControls{
    "RBAmtsholungJa",    "RBAmtsholungNein",     "RBHeranholenJa",        "RBHeranholenNein",
    "RBAnklopfschutzJa", "RBAnklopfschutzNein",  "RBWartemusikJa",        "RBWartemusikNein",
    "RBNachwahlJa",      "RBNachwahlNein",       "LMDSpinEditAnzahlRufe", "LMDSpinEditTimeout1",
    "RBHookflashAmt",    "RBHookflashRueckfrage"};
constexpr std::array<const char*, 12> ExtensionControls{
    "RBTelefon", "RBAnrufbeantworter", "RBTfe",       "RBvab",       "RBhab",      "RBnab", "CBtb",
    "CBarb",     "CBTaste1Ruf",        "CBTaste2Ruf", "CBTaste3Ruf", "CBTaste4Ruf"};

} // namespace

void ConfigModel::enableAllSettings() {
    for (const char* name : SystemControls)
        setEnabled(QLatin1String(name), true);
    for (int n = 1; n <= 6; ++n)
        for (const char* prefix : ExtensionControls)
            setEnabled(extensionControl(prefix, n), true);
    for (int contact = 1; contact <= 2; ++contact) {
        for (const char* choice : names::ContactChoices)
            setEnabled(names::contactChoice(contact, choice), true);
        for (int button = 1; button <= 4; ++button)
            setEnabled(names::contactButton(contact, button), true);
        setEnabled(names::switchTimeField(contact), true);
    }
    setEnabled(QStringLiteral("LMDEditFernsteuerungPin"), true);
    setEnabled(QStringLiteral("LMDExtSpinEditTimeout2"), true);
    setEnabled(QStringLiteral("LMDExtSpinEditTimeout3"), true);
}

// Silently, like the form as it was designed: no rule runs. Visibility belongs to the
// device type and stays.
void ConfigModel::restoreDesignState() {
    for (const QString& name : std::as_const(m_order)) {
        Control& c = m_controls[name];
        ControlState design = c.design;
        design.visible = c.state.visible;
        if (design == c.state)
            continue;
        c.state = design;
        changed(name);
    }
}

QList<ControlState> ConfigModel::states() const {
    QList<ControlState> result;
    result.reserve(m_order.size());
    for (const QString& name : m_order)
        result << m_controls[name].state;
    return result;
}

void ConfigModel::applyFactoryDefaults() {
    const DefaultSet& set = defaultSetFor(m_document.deviceType());
    const int count = extensionCount();

    // Assignments that change nothing run no rule, so starting from whatever the editor
    // held would leave locks and presets of earlier choices behind. From the design state
    // every application gives the editor the first one gave at start.
    const QList<ControlState> before = states();
    m_holdMarks = true;
    restoreDesignState();
    enableAllSettings();
    for (const YesNo& c : YesNoDefaults)
        setChecked(QLatin1String(set.*c.value ? c.yes : c.no), true);
    setValue(QStringLiteral("LMDSpinEditAnzahlRufe"), set.anzahlRufe);
    setValue(QStringLiteral("LMDSpinEditTimeout1"), set.timeout1);
    setChecked(QStringLiteral("RBHookflashAmt"), true);

    for (int n = 1; n <= 6; ++n) {
        const Kind kind = set.kinds[n - 1];
        if (kind == Kind::Unset)
            continue;
        setChecked(extensionControl(kind == Kind::Telefon ? "RBTelefon" : "RBNotruf", n), true);
        // These sets run the emergency rule even when the radio was selected already.
        if (kind == Kind::NotrufThenRule)
            kindRule(n);
    }
    for (int n = 1; n <= count; ++n)
        setChecked(extensionControl("RBvab", n), true);
    for (int n = 1; n <= count; ++n)
        setChecked(extensionControl("CBtb", n), set.door);
    for (int n = 1; n <= count; ++n)
        setChecked(extensionControl("CBarb", n), true);
    for (int button = 1; button <= 4; ++button)
        for (int n = 1; n <= count; ++n)
            setChecked(names::ringBox(button, n), set.ringOnBell);

    for (int contact = 1; contact <= 2; ++contact) {
        setChecked(names::contactChoice(contact, "Intern"), true);
        for (int button = 1; button <= 4; ++button) {
            const QString box = names::contactButton(contact, button);
            setChecked(box, false);
            setEnabled(box, false);
        }
        setValue(names::switchTimeField(contact), set.switchTime);
    }
    setText(QStringLiteral("LMDEditFernsteuerungPin"), DefaultPin);
    setValue(QStringLiteral("LMDExtSpinEditTimeout2"), DefaultTimeout);
    setValue(QStringLiteral("LMDExtSpinEditTimeout3"), DefaultTimeout);
    m_holdMarks = false;
    // Defaults the editor already showed are no edit (the second application at start).
    if (states() != before)
        markModified();
}

} // namespace talvaro
