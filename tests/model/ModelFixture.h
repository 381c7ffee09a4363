#pragma once

#include "ScriptedDialogs.h"
#include "model/ConfigModel.h"
#include "model/Document.h"

#include <QString>
#include <QStringList>

// Stands in for the main window: remembers what the PIN checks asked of it.
class FakeView : public talvaro::EditorView {
public:
    bool contactPageVisible = false;
    int contactPageShown = 0;
    int pinFocused = 0;

    bool isContactPageVisible() const override { return contactPageVisible; }
    void showContactPage() override {
        contactPageVisible = true;
        ++contactPageShown;
    }
    void focusPinField() override { ++pinFocused; }
};

// A model as the window holds it, switched to a device type like setDeviceType does.
struct ModelFixture {
    explicit ModelFixture(talvaro::DeviceType type = talvaro::DefaultDeviceType)
        : model(document, dialogs) {
        model.setView(&view);
        document.setFilePath(QStringLiteral("/work/Neu.tkx"));
        switchTo(type);
    }

    void switchTo(talvaro::DeviceType type) {
        document.applyDeviceType(type);
        model.adaptToDeviceType();
        document.updateTitle();
    }

    bool checked(const QString& name) const { return model.state(name).checked; }
    bool enabled(const QString& name) const { return model.state(name).enabled; }
    bool visible(const QString& name) const { return model.state(name).visible; }
    double value(const QString& name) const { return model.state(name).value; }
    QString text(const QString& name) const { return model.state(name).text; }
    void select(const QString& name) { model.setChecked(name, true); }

    talvaro::Document document;
    ScriptedDialogs dialogs;
    FakeView view;
    talvaro::ConfigModel model;
};

inline QString ext(const char* prefix, int extension) {
    return talvaro::extensionControl(prefix, extension);
}

inline QString ring(int button, int extension) {
    return talvaro::extensionControl(qPrintable(QStringLiteral("CBTaste%1Ruf").arg(button)),
                                     extension);
}

// Every control's whole state, one line each, for comparing two editors.
inline QStringList fullState(const talvaro::ConfigModel& model) {
    QStringList lines;
    for (const QString& name : model.controlNames()) {
        const talvaro::ControlState& s = model.state(name);
        lines << QStringLiteral("%1 checked=%2 enabled=%3 visible=%4 value=%5 text=%6")
                     .arg(name)
                     .arg(s.checked)
                     .arg(s.enabled)
                     .arg(s.visible)
                     .arg(s.value)
                     .arg(s.text);
    }
    return lines;
}

// The lines where two states differ, for a readable failure.
inline QString stateDifference(const QStringList& a, const QStringList& b) {
    QStringList diff;
    for (qsizetype i = 0; i < qMin(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            diff << a[i] + QStringLiteral(" <> ") + b[i];
    return diff.join(QLatin1Char('\n'));
}
