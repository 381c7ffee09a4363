#pragma once

#include "FuzzDialogs.h"
#include "link/DeviceExchange.h"
#include "link/DeviceSearch.h"
#include "link/ExchangeHost.h"
#include "link/LinkPort.h"
#include "link/TransferCommands.h"
#include "model/ConfigModel.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"

#include <QByteArray>
#include <QList>

// The serial port and its matcher as the exchange sees them: the script decides which
// ports exist and what arrives; the rig only remembers what was asked of it.
class FuzzLink : public talvaro::LinkPort {
public:
    quint32 presentPorts = 0; // bit n-1: COM<n> exists
    QByteArray written;       // every byte written while open
    QList<QEvent::Type> posted;
    bool armed = false;
    int armedCount = 0; // 0: a CR LF line

    void setPortNumber(quint16 number) override { m_number = number; }
    quint16 portNumber() const override { return m_number; }
    bool portAvailable(quint16 number) override;
    bool open() override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void write(const QByteArray& bytes) override;
    void discardInput() override {}
    void discardOutput() override {}
    void armForLine(int ticks) override { arm(0, ticks); }
    void armForBytes(int count, int ticks) override { arm(std::max(count, 1), ticks); }
    void disarm() override { armed = false; }
    void post(QEvent::Type message) override { posted << message; }
    void pause(int) override {}

private:
    void arm(int count, int ticks);

    quint16 m_number = 1;
    bool m_open = false;
};

// The main window behind the exchange, with the real editor model.
class FuzzHost : public talvaro::ExchangeHost {
public:
    explicit FuzzHost(talvaro::Dialogs& dialogs) : model(doc, dialogs) {}

    talvaro::Document doc;
    talvaro::ImageBuffers buffers;
    talvaro::ConfigModel model;
    bool firmwareTimerRunning = false;

    talvaro::Document& document() override { return doc; }
    talvaro::ImageBuffers& images() override { return buffers; }
    void setDeviceType(talvaro::DeviceType code) override;
    void encodeImage() override { model.encodeImage(buffers); }
    void decodeImage() override { model.decodeImage(buffers); }
    void updateTitle() override { doc.updateTitle(); }
    void setStatusText(talvaro::StatusPanel, const QString&) override {}
    bool checkPinBeforeUse() override { return model.checkPinBeforeUse(); }
    bool anyExtensionRingsExternally() const override {
        return model.anyExtensionRingsExternally();
    }
    void newConfiguration() override;
    void stopFirmwareStartTimer() override { firmwareTimerRunning = false; }
};

// Exchange, search and commands wired as in the window.
struct ExchangeRig {
    FuzzDialogs dialogs;
    FuzzLink link;
    FuzzHost host{dialogs};
    talvaro::DeviceExchange exchange{link, host, dialogs};
    talvaro::DeviceSearch search{link, exchange, host, dialogs};
    talvaro::TransferCommands commands{link, exchange, search, host, dialogs};
};
