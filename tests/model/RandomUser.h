#pragma once

#include "model/ConfigModel.h"

#include <QRandomGenerator>
#include <QStringList>

// Clicks like a user: only on controls that are visible and enabled, and on each the way
// its kind of control allows (select a radio, toggle a box, spin a number, type a PIN).
class RandomUser {
public:
    RandomUser(talvaro::ConfigModel& model, quint32 seed, bool withDoorCallButtons)
        : m_model(model), m_random(seed) {
        for (const QString& name : model.controlNames())
            if (withDoorCallButtons || !isButton(name))
                m_candidates << name;
    }

    void click() {
        QStringList usable;
        for (const QString& name : std::as_const(m_candidates)) {
            const talvaro::ControlState& s = m_model.state(name);
            if (s.visible && s.enabled)
                usable << name;
        }
        const QString name = usable[m_random.bounded(int(usable.size()))];
        const talvaro::ControlState& s = m_model.state(name);
        if (const auto limits = m_model.numberSpec(name)) {
            const int steps = qRound((limits->maximum - limits->minimum) / limits->step);
            const double value = limits->minimum + m_random.bounded(steps + 1) * limits->step;
            log(name, QString::number(value));
            m_model.setValue(name, value);
        } else if (name == QLatin1String("LMDEditFernsteuerungPin")) {
            const QString pin =
                QStringLiteral("%1").arg(m_random.bounded(10000), 4, 10, QLatin1Char('0'));
            log(name, pin);
            m_model.setText(name, pin);
        } else if (isButton(name)) {
            log(name, QStringLiteral("click"));
            m_model.clickButton(name);
        } else if (!m_model.radioGroup(name).isEmpty()) {
            log(name, QStringLiteral("select"));
            m_model.setChecked(name, true);
        } else {
            log(name, s.checked ? QStringLiteral("off") : QStringLiteral("on"));
            m_model.setChecked(name, !s.checked);
        }
    }

    void clicks(int count) {
        for (int i = 0; i < count; ++i)
            click();
    }

    int bounded(int highest) { return m_random.bounded(highest); }
    QString history() const { return m_history.join(QLatin1String(", ")); }

private:
    static bool isButton(const QString& name) { return name.startsWith(QLatin1String("Button")); }
    void log(const QString& name, const QString& what) {
        m_history << name + QLatin1Char(' ') + what;
    }

    talvaro::ConfigModel& m_model;
    QRandomGenerator m_random;
    QStringList m_candidates;
    QStringList m_history;
};
