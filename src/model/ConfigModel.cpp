#include "ConfigModel.h"

#include <QtGlobal>

#include <cmath>

namespace talvaro {

namespace {

constexpr int PinLength = 4;

const ControlState& unknownState() {
    static const ControlState none{false, false, false, 0, {}};
    return none;
}

double clampToField(const NumberFieldSpec& limits, double value) {
    const double scale = std::pow(10.0, limits.decimals);
    return qBound(limits.minimum, std::round(value * scale) / scale, limits.maximum);
}

} // namespace

QString extensionControl(const char* prefix, int extension) {
    return QLatin1String(prefix) + QString::number(20 + extension);
}

ConfigModel::ConfigModel(Document& document, Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_document(document), m_dialogs(dialogs) {
    buildControls();
}

void ConfigModel::setView(EditorView* view) {
    m_view = view;
}

QStringList ConfigModel::controlNames() const {
    return m_order;
}

bool ConfigModel::has(const QString& name) const {
    return m_controls.contains(name);
}

const ControlState& ConfigModel::state(const QString& name) const {
    const Control* c = find(name);
    return c ? c->state : unknownState();
}

std::optional<NumberFieldSpec> ConfigModel::numberSpec(const QString& name) const {
    const Control* c = find(name);
    return c ? c->limits : std::nullopt;
}

QString ConfigModel::radioGroup(const QString& name) const {
    const Control* c = find(name);
    return c ? c->group : QString();
}

void ConfigModel::addControl(const QString& name, Control control) {
    Q_ASSERT(!m_controls.contains(name));
    control.design = control.state;
    m_controls.insert(name, control);
    m_order.append(name);
}

ConfigModel::Control* ConfigModel::find(const QString& name) {
    const auto it = m_controls.find(name);
    if (it == m_controls.end()) {
        qWarning("ConfigModel: unknown control %s", qPrintable(name));
        return nullptr;
    }
    return &it.value();
}

const ConfigModel::Control* ConfigModel::find(const QString& name) const {
    const auto it = m_controls.constFind(name);
    return it == m_controls.constEnd() ? nullptr : &it.value();
}

void ConfigModel::changed(const QString& name) {
    emit controlChanged(name);
}

void ConfigModel::runRule(const Control& control) {
    if (control.rule)
        (this->*control.rule)(control.ruleArgument);
}

void ConfigModel::setChecked(const QString& name, bool checked) {
    Control* c = find(name);
    if (!c || (c->type != ControlType::Radio && c->type != ControlType::Check) ||
        c->state.checked == checked)
        return;
    if (c->type == ControlType::Radio && checked) {
        for (const QString& sibling : std::as_const(m_order)) {
            Control& s = m_controls[sibling];
            if (sibling != name && s.type == ControlType::Radio && s.group == c->group &&
                s.state.checked) {
                s.state.checked = false;
                changed(sibling);
            }
        }
    }
    c->state.checked = checked;
    changed(name);
    // A radio's rule belongs to its selection; clearing one from code runs nothing.
    if (c->type == ControlType::Check || checked)
        runRule(*c);
}

void ConfigModel::setValue(const QString& name, double value) {
    Control* c = find(name);
    if (!c || !c->limits || std::isnan(value))
        return;
    const double clamped = clampToField(*c->limits, value);
    if (c->state.value == clamped)
        return;
    c->state.value = clamped;
    changed(name);
    runRule(*c);
}

void ConfigModel::setText(const QString& name, const QString& text) {
    Control* c = find(name);
    if (!c || c->type != ControlType::Text)
        return;
    QString digits;
    for (const QChar ch : text) {
        if (digits.size() == PinLength)
            break;
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
            digits.append(ch);
    }
    if (c->state.text == digits)
        return;
    c->state.text = digits;
    changed(name);
    runRule(*c);
}

void ConfigModel::clickButton(const QString& name) {
    Control* c = find(name);
    if (c && c->type == ControlType::Button && c->state.enabled)
        runRule(*c);
}

void ConfigModel::setEnabled(const QString& name, bool enabled) {
    Control* c = find(name);
    if (!c || c->state.enabled == enabled)
        return;
    c->state.enabled = enabled;
    changed(name);
}

void ConfigModel::setVisible(const QString& name, bool visible) {
    Control* c = find(name);
    if (!c || c->state.visible == visible)
        return;
    c->state.visible = visible;
    changed(name);
}

bool ConfigModel::isChecked(const QString& name) const {
    return state(name).checked;
}

double ConfigModel::valueOf(const QString& name) const {
    return state(name).value;
}

int ConfigModel::extensionCount() const {
    return familyProfile(m_document.deviceType()).extensions;
}

ExtensionKind ConfigModel::kindOf(int extension) const {
    if (isChecked(extensionControl("RBAnrufbeantworter", extension)))
        return ExtensionKind::Anrufbeantworter;
    if (isChecked(extensionControl("RBTfe", extension)))
        return ExtensionKind::Tfe;
    if (isChecked(extensionControl("RBFax", extension)))
        return ExtensionKind::Fax;
    if (isChecked(extensionControl("RBNotruf", extension)))
        return ExtensionKind::Notruf;
    return ExtensionKind::Telefon;
}

bool ConfigModel::anyExtensionRingsExternally() const {
    for (int n = 1; n <= extensionCount(); ++n)
        if (isChecked(extensionControl("CBarb", n)))
            return true;
    return false;
}

void ConfigModel::markModified() {
    if (m_holdMarks)
        return;
    m_document.markModified();
    emit markedModified();
}

void ConfigModel::markOnly(int) {
    markModified();
}

} // namespace talvaro
