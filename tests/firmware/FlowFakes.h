#pragma once

#include "LinkFakes.h"
#include "firmware/FirmwareHost.h"
#include "model/Document.h"

#include <QList>
#include <QStringList>

// The main window as the firmware update sees it, over a fake link that logs every
// call. The handshake is only noted and written; tests decide whether the loader answers.
struct FlowHost : talvaro::FirmwareHost {
    explicit FlowHost(talvaro::DeviceType type = 5) { doc.applyDeviceType(type); }

    const talvaro::Document& document() const override { return doc; }
    quint16 portInUse() const override { return port; }
    talvaro::LinkPort& link() override { return fakeLink; }
    bool exchangeRunning() const override { return running; }
    bool beginLoaderHandshake() override {
        calls << QStringLiteral("handshake");
        fakeLink.armForBytes(1, 18);
        fakeLink.write("U\r");
        return true;
    }
    void abandonLoaderHandshake(talvaro::ExchangeResult) override { fakeLink.disarm(); }
    void searchAndRead() override { calls << QStringLiteral("search"); }

    // As after a search that found the device on COM<n>.
    void connectedOn(quint16 n) {
        port = n;
        fakeLink.present.insert(n);
        fakeLink.setPortNumber(n);
        fakeLink.open();
        fakeLink.log.clear();
    }

    talvaro::Document doc;
    FakeLink fakeLink;
    quint16 port = 0;
    bool running = false; // another exchange is at work on the link
    QStringList calls;
};

// The dialog as a list of what it was told.
struct FlowView : talvaro::FirmwareView {
    void transferStarting() override { calls << QStringLiteral("starting"); }
    void setProgress(int percent) override { progress << percent; }
    void transferEnded() override { calls << QStringLiteral("ended"); }
    void closeDialog() override { calls << QStringLiteral("close"); }

    QStringList calls;
    QList<int> progress;
};

// Scripted dialogs that also keep the icon of each message box.
struct IconDialogs : ScriptedDialogs {
    void showMessageBox(talvaro::MessageIcon icon, const QString& text) override {
        icons << icon;
        ScriptedDialogs::showMessageBox(icon, text);
    }
    QList<talvaro::MessageIcon> icons;
};
