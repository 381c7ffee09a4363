#pragma once

#include <QEvent>
#include <QString>
#include <QtGlobal>

namespace talvaro {

// One tick of the packet matcher's clock; every time-out is a whole number of ticks.
constexpr int TickMs = 55;

constexpr char Ack = '\x06';

// Where an exchange with the device stands. The numbers are part of the record the
// main window keeps, so they never change.
enum class ExchangeState {
    Idle = 0,
    Identify = 1,
    AwaitName = 2,
    AwaitVersion = 3,
    ReadImage = 4,
    AwaitWriteAck = 5,
    WriteImage = 6,
    AwaitChecksumAck = 7,
    AwaitLoaderPrompt = 8,
    AwaitLoaderReady = 9,
    // The checksum has its ACK; one more tick must pass without a byte before the write
    // counts as done.
    AwaitQuietLine = 10,
};

// Between the device's name and its firmware version in the device text.
inline const QString FirmwareSeparator = QStringLiteral(" - Firmware ");

// How an exchange ended; each exchange ends with exactly one of these, after its last
// effect (for a read: the result dialog closed, the image decoded, the caption updated).
enum class ExchangeResult {
    Ok,
    DeviceRefused, // a byte other than ACK during a write, or bytes nothing asked for
    BadImage,      // the image read had a wrong checksum
    NoAnswer,      // a step timed out, or the loader never confirmed
    NotRecognised, // the device no longer answers as the one found
    NoDevice,      // the search found none, and the user went offline
    Cancelled,     // the user said no, or closed the progress window
    PinRefused,    // the PIN check objected; nothing was sent
    NoBackup,      // the backup before writing failed, and the device was not written
    Busy,          // another exchange was still running; nothing was sent
};

// What the exchange does once the device has told its name and version.
enum class ExchangeOperation { Read = 1, Program = 2 };

// The exchange record shared by the exchange, the device search and the commands.
struct ExchangeRecord {
    ExchangeState state = ExchangeState::Idle;
    ExchangeOperation operation = ExchangeOperation::Read;
    quint16 portInUse = 0;  // COM number of the identified device, 0 = offline
    quint16 searchPort = 0; // COM number probed last
    QString deviceText;
    // Programming the user's configuration: a sibling model found by the search takes it
    // over instead of starting from its factory defaults. Not for the factory reset.
    bool keepEditsOnTypeSwitch = false;
    // The programming is the factory reset.
    bool factoryReset = false;
};

// Notifications that must run after the current serial event has returned, because
// their handlers close and reopen the port. Numbered like the window messages
// WM_USER and WM_USER + 1 they stand for.
constexpr QEvent::Type MsgDeviceNotRecognised = static_cast<QEvent::Type>(QEvent::User + 24);
constexpr QEvent::Type MsgLoaderReady = static_cast<QEvent::Type>(QEvent::User + 25);

// The two status-bar panels the exchange writes to.
enum class StatusPanel { Device = 0, Port = 1 };

} // namespace talvaro
