#pragma once

#include <QByteArray>
#include <QEvent>
#include <QStringList>
#include <QtGlobal>

namespace talvaro {

// What the exchange, the device search and the commands need of the serial port and
// its packet matcher. The packet and time-out events come back through the owner,
// which hands them to DeviceExchange.
class LinkPort {
public:
    virtual ~LinkPort() = default;

    // Takes a new map of the ports: a search or a port choice sees the ports as they are
    // when it starts, and the numbers keep their meaning until the next one.
    virtual void refreshPorts() {}
    virtual void setPortNumber(quint16 number) = 0;
    virtual quint16 portNumber() const = 0;
    // The device path behind the port number.
    virtual QString portPath() const { return {}; }
    // Whether COM<number> exists and can be opened now.
    virtual bool portAvailable(quint16 number) = 0;
    // Asked once the search found nothing: one line per cause found, with its cure.
    virtual QStringList accessHints() { return {}; }
    // Opening and closing also start and append the serial trace when it is enabled.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual void write(const QByteArray& bytes) = 0;
    // Bytes of a configuration image, marked in the serial trace so that the support
    // report leaves them out: the next write, or what arrives until the next write.
    virtual void nextWriteIsPayload() {}
    virtual void incomingIsPayload() {}
    // Throws away what has arrived and not been taken, the driver's queue included;
    // returns how many bytes went.
    virtual qsizetype discardInput() = 0;
    virtual void discardOutput() = 0;

    virtual void armForLine(int ticks) = 0;
    virtual void armForBytes(int count, int ticks) = 0;
    virtual void disarm() = 0;

    // Queues a notification; its handler runs after the current event has returned.
    virtual void post(QEvent::Type message) = 0;
    // A short blocking wait of the device search.
    virtual void pause(int ms) = 0;
};

} // namespace talvaro
