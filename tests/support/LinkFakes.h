#pragma once

#include "ScriptedDialogs.h"
#include "link/ExchangeHost.h"
#include "link/LinkPort.h"
#include "link/PortMap.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"
#include "sim/SimDevice.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

// A link without a wire. Every call is logged as a line ("write T\r", "arm bytes 1 6",
// "pause 200", ...). Bytes that have arrived and not been taken wait in `pending`, where
// a discard finds them. With simulated devices attached to port numbers it also plays
// the packet matcher: answers of the device on the open port, spare bytes included,
// complete armed requests, a request nothing can complete times out at once, and a
// late answer arrives after that time-out. Events arrive through the queue, as from the
// real matcher, also for bytes already waiting when a request is armed.
class FakeLink : public QObject, public talvaro::LinkPort {
    Q_OBJECT
public:
    QStringList accessHints() override { return refusedAccess; }
    QStringList log;
    QSet<quint16> present;     // ports that exist
    QSet<quint16> refuseOpen;  // ports that exist but fail to open
    QStringList refusedAccess; // what accessHints() reports
    QList<QEvent::Type> posted;
    talvaro::PortMap ports; // the paths behind the numbers, for what opens them itself
    QByteArray written;     // every byte written while open
    QByteArray pending;     // bytes arrived and not yet taken
    QByteArray discarded;   // every byte a discard found

    std::function<void(const QByteArray&)> onPacket;
    std::function<void()> onTimeout;
    std::function<void(QEvent::Type)> onPost;

    // The device behind a port; the fake owns it.
    talvaro::sim::SimDevice& attach(quint16 port, talvaro::DeviceType type);
    talvaro::sim::SimDevice* device(quint16 port) const;

    bool armed() const { return m_armed; }
    int armedCount() const { return m_count; }
    int armedTicks() const { return m_ticks; }
    // Log lines starting with `prefix`.
    QStringList logged(const QString& prefix) const;
    // Bytes come in from the line, asked for or not.
    void arrive(const QByteArray& bytes);

    void setPortNumber(quint16 number) override;
    quint16 portNumber() const override { return m_number; }
    QString portPath() const override { return ports.path(m_number); }
    bool portAvailable(quint16 number) override;
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void write(const QByteArray& bytes) override;
    qsizetype discardInput() override;
    void discardOutput() override;
    void armForLine(int ticks) override;
    void armForBytes(int count, int ticks) override;
    void disarm() override;
    void post(QEvent::Type message) override;
    void pause(int ms) override;

private:
    void arm(int count, int ticks);
    bool playsMatcher() const { return !m_devices.isEmpty(); }
    void scheduleCheck();
    void check(quint64 request);

    quint16 m_number = 1;
    bool m_open = false;
    bool m_armed = false;
    int m_count = 0; // 0: a CR LF line
    int m_ticks = 0;
    quint64 m_request = 0;
    QByteArray m_late; // held back by a device until the request has timed out
    QHash<quint16, std::shared_ptr<talvaro::sim::SimDevice>> m_devices;
};

// The main window as the link sees it, recording what was asked of it.
class FakeHost : public talvaro::ExchangeHost {
public:
    explicit FakeHost(talvaro::DeviceType type = 5);

    talvaro::Document doc;
    talvaro::ImageBuffers buffers;
    QStringList calls; // "setDeviceType 7", "encodeImage", "decodeImage", ...
    QString status[2];
    bool pinOk = true;
    bool ringsExternally = true;
    QByteArray editorImage;                 // what encodeImage puts into the working image
    QByteArray decodedImage;                // what decodeImage found in the working image
    bool backupNeeded = false;              // the device must be read and kept before it is written
    QList<talvaro::ExchangeResult> results; // how each exchange ended, in order

    talvaro::Document& document() override { return doc; }
    talvaro::ImageBuffers& images() override { return buffers; }
    void setDeviceType(talvaro::DeviceType code) override;
    void encodeImage() override;
    void decodeImage() override;
    void updateTitle() override;
    void setStatusText(talvaro::StatusPanel panel, const QString& text) override;
    bool checkPinBeforeUse() override;
    bool anyExtensionRingsExternally() const override { return ringsExternally; }
    void newConfiguration() override;
    void stopFirmwareStartTimer() override { calls << QStringLiteral("stopFirmwareStartTimer"); }
    void exchangeEnded(talvaro::ExchangeResult result) override { results << result; }
    bool needsBackupBeforeWriting() override { return backupNeeded; }
};

// Scripted dialogs that also note message windows into the host's call list, so that
// tests can see what ran before and after a dialog, and keep the transfer window lines.
class RecordingDialogs : public ScriptedDialogs {
public:
    explicit RecordingDialogs(QStringList& journal) : m_journal(journal) {}

    QStringList transferLines;
    QStringList portLabels; // every text the search port label was given
    bool transferEverShown = false;

    talvaro::DialogResult showMessage(talvaro::MessageDialog which, const QString& caption,
                                      const QStringList& lines) override {
        m_journal << QStringLiteral("dialog ") + caption;
        return ScriptedDialogs::showMessage(which, caption, lines);
    }
    void setTransferLines(const QStringList& lines) override { transferLines = lines; }
    void setSearchPortLabel(const QString& text) override {
        portLabels << text;
        ScriptedDialogs::setSearchPortLabel(text);
    }
    void execSearch() override {
        m_journal << QStringLiteral("search shown");
        ScriptedDialogs::execSearch();
    }
    void closeSearch() override {
        if (searchShowing)
            m_journal << QStringLiteral("search closed");
        ScriptedDialogs::closeSearch();
    }
    void showTransfer() override {
        transferEverShown = true;
        ScriptedDialogs::showTransfer();
    }

private:
    QStringList& m_journal;
};
