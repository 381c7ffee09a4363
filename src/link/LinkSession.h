#pragma once

#include "DeviceExchange.h"
#include "DeviceSearch.h"
#include "LinkPort.h"
#include "PacketMatcher.h"
#include "SerialLink.h"
#include "TransferCommands.h"

#include <QObject>

namespace talvaro {

class Dialogs;
class ExchangeHost;

// Everything the main window owns for talking to the device: the serial port
// ComPort1, its packet matcher DataPacket1, the exchange with its record, the device
// search and the read/program/reset commands. Notifications are posted to this
// object and handled in order with all other events.
class LinkSession : public QObject, public LinkPort {
    Q_OBJECT
public:
    // The ports named at the program's start, or the system's ports listed anew for each
    // search.
    LinkSession(ExchangeHost& host, Dialogs& dialogs,
                PortAssignment ports = PortAssignment::fromEnvironment(),
                QObject* parent = nullptr);
    ~LinkSession() override;

    SerialLink& ComPort1() { return m_port; }
    const SerialLink& ComPort1() const { return m_port; }
    PacketMatcher& DataPacket1() { return m_matcher; }
    DeviceExchange& exchange() { return m_exchange; }
    DeviceSearch& search() { return m_search; }
    TransferCommands& commands() { return m_commands; }
    const ExchangeRecord& record() const { return m_exchange.record(); }

    const PortAssignment& portAssignment() const { return m_ports; }
    void setPortAssignment(PortAssignment ports);
    // The map the last search or port choice took.
    const PortMap& portMap() const { return m_port.portMap(); }

    // LinkPort
    void refreshPorts() override { m_port.setPortMap(m_ports.current()); }
    void setPortNumber(quint16 number) override { m_port.setPortNumber(number); }
    quint16 portNumber() const override { return m_port.portNumber(); }
    QString portPath() const override { return m_port.portPath(); }
    bool portAvailable(quint16 number) override { return m_port.portAvailable(number); }
    QStringList accessHints() override;
    bool open() override { return m_port.open(); }
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    void write(const QByteArray& bytes) override { m_port.write(bytes); }
    void nextWriteIsPayload() override { m_port.nextWriteIsPayload(); }
    void incomingIsPayload() override { m_port.incomingIsPayload(); }
    qsizetype discardInput() override { return m_port.discardInput(); }
    void discardOutput() override { m_port.discardOutput(); }
    void armForLine(int ticks) override { m_matcher.armForLine(ticks); }
    void armForBytes(int count, int ticks) override { m_matcher.armForBytes(count, ticks); }
    void disarm() override { m_matcher.disarm(); }
    void post(QEvent::Type message) override;
    void pause(int ms) override;

signals:
    // MsgLoaderReady: the firmware loader has confirmed with "L".
    void loaderReady();

protected:
    bool event(QEvent* event) override;

private:
    void takeFixedPorts();

    PortAssignment m_ports;
    SerialLink m_port;
    PacketMatcher m_matcher;
    DeviceExchange m_exchange;
    DeviceSearch m_search;
    TransferCommands m_commands;
};

} // namespace talvaro
