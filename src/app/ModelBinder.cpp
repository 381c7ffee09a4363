#include "ModelBinder.h"

#include "EditorPages.h"
#include "EditorWidgets.h"
#include "model/ConfigModel.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QSignalBlocker>

namespace talvaro {

ModelBinder::ModelBinder(ConfigModel& model, const EditorPages& pages, QObject* parent)
    : QObject(parent), m_model(model), m_pages(pages) {
    for (const QString& name : m_model.controlNames())
        if (QWidget* widget = m_pages.widget(name))
            connectControl(name, widget);
    for (const char* button : {"ButtonTlnEin", "ButtonTlnAus"}) {
        const QString name = QString::fromLatin1(button);
        auto* push = qobject_cast<QPushButton*>(m_pages.widget(name));
        connect(push, &QPushButton::clicked, this, [this, name] { m_model.clickButton(name); });
    }
    connect(&m_model, &ConfigModel::controlChanged, this, &ModelBinder::sync);
    syncAll();
}

void ModelBinder::connectControl(const QString& name, QWidget* widget) {
    if (auto* spin = qobject_cast<SpinEdit*>(widget)) {
        if (const auto limits = m_model.numberSpec(name)) {
            spin->setDecimals(limits->decimals);
            spin->setRange(limits->minimum, limits->maximum);
            spin->setSingleStep(limits->step);
            spin->setSuffix(limits->suffix);
        }
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this, name](double value) {
            m_model.setValue(name, value);
            sync(name);
        });
    } else if (auto* pin = qobject_cast<PinEdit*>(widget)) {
        connect(pin, &QLineEdit::textEdited, this, [this, name](const QString& text) {
            m_model.setText(name, text);
            sync(name);
        });
        connect(pin, &PinEdit::left, this, [this] { m_model.leavePinField(); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        // Each panel holds exactly one radio group, so the toolkit's own grouping by parent
        // matches the model's: screen readers see radio buttons, the arrow keys choose
        // within the group, and a click on the selected radio keeps it. The model still
        // decides who is selected; the widgets follow.
        const QString group = m_model.radioGroup(name);
        const bool radio = !group.isEmpty();
        if (radio)
            m_radioGroups[group] << name;
        connect(button, &QAbstractButton::clicked, this, [this, name, button, radio] {
            m_model.setChecked(name, radio ? true : button->isChecked());
            sync(name);
        });
    }
}

void ModelBinder::syncAll() {
    for (const QString& name : m_model.controlNames())
        sync(name);
}

void ModelBinder::sync(const QString& name) {
    QWidget* widget = m_pages.widget(name);
    if (!widget)
        return;
    const ControlState& state = m_model.state(name);
    const QSignalBlocker blocker(widget);
    widget->setEnabled(state.enabled);
    widget->setVisible(state.visible);
    if (auto* spin = qobject_cast<SpinEdit*>(widget))
        spin->setValue(state.value);
    else if (auto* pin = qobject_cast<PinEdit*>(widget)) {
        if (pin->text() != state.text)
            pin->setText(state.text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setChecked(state.checked);
    if (const QString group = m_model.radioGroup(name); !group.isEmpty())
        updateTabStop(group);
}

// Tab enters a radio group once, at its selected radio, or at the first one that can take
// the focus while the selected one cannot.
void ModelBinder::updateTabStop(const QString& group) {
    QList<QWidget*> radios;
    for (const QString& name : m_radioGroups.value(group))
        radios << m_pages.widget(name);
    const auto canTakeFocus = [](const QWidget* radio) {
        return radio->isEnabled() && !radio->isHidden();
    };
    QWidget* stop = nullptr;
    for (QWidget* radio : radios)
        if (canTakeFocus(radio) && (qobject_cast<QAbstractButton*>(radio)->isChecked() || !stop))
            stop = radio;
    for (QWidget* radio : radios)
        radio->setFocusPolicy(radio == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace talvaro
