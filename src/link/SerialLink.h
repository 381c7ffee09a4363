#pragma once

#include "PortMap.h"
#include "TraceLog.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>

namespace talvaro {

// The event-driven serial port of the device exchange (ComPort1): 57600 baud 8N1,
// no flow control, DTR and RTS on. Received bytes wait in an input buffer until the
// packet matcher takes them or they are discarded.
class SerialLink : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype BufferSize = 4096;

    explicit SerialLink(QObject* parent = nullptr);
    ~SerialLink() override;

    // Which device stands behind each COM number; the link session sets it for a search.
    void setPortMap(const PortMap& ports) { m_ports = ports; }
    const PortMap& portMap() const { return m_ports; }
    void setPortNumber(quint16 number) { m_number = number; }
    quint16 portNumber() const { return m_number; }
    QString portPath() const { return m_ports.path(m_number); }
    // Opens "COM<n>" with the line settings; false when it does not exist or is busy.
    bool open();
    void close();
    bool isOpen() const { return m_port.isOpen(); }
    QString errorText() const { return m_error; }

    void write(const QByteArray& bytes);
    void nextWriteIsPayload() { m_trace.nextSentIsPayload(); }
    void incomingIsPayload() { m_trace.incomingIsPayload(); }
    // Everything received and not yet taken, the driver's queue included; returns how
    // many bytes went, all of them in the trace.
    qsizetype discardInput();
    void discardOutput();

    // Whether COM<number> exists and can be opened now; it is closed again at once.
    bool portAvailable(quint16 number) const;

    // With ComLogging on, every opening starts the trace and every closing appends it.
    // Switched while the port is open, the trace starts now, or what it holds is
    // appended now.
    void setComLogging(bool on);
    bool comLogging() const { return m_comLogging; }
    void setLogFileName(const QString& name) { m_trace.setFileName(name); }
    void loggingOn() { m_trace.start(); }
    bool loggingAppend() { return m_trace.append(); }
    const TraceLog& trace() const { return m_trace; }

    qsizetype pendingInput() const { return m_input.size(); }
    // Removes and returns up to `max` bytes from the front of the input buffer.
    QByteArray takeInput(qsizetype max);

signals:
    void inputArrived();

private:
    void readAvailable();
    bool raiseControlLines();
    bool driverHasInput();

    QSerialPort m_port;
    PortMap m_ports;
    quint16 m_number = 1;
    QByteArray m_input;
    QString m_error;
    bool m_comLogging = false;
    TraceLog m_trace;
};

} // namespace talvaro
