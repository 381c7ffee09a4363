#pragma once

#include "ScriptedDialogs.h"
#include "model/ConfigModel.h"
#include "model/Document.h"

#include <QString>

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
        document.filePath = QStringLiteral("/work/Neu.tkx");
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
