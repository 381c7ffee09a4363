#pragma once

#include "model/DeviceTypes.h"

#include <QByteArray>

#include <functional>
#include <utility>

namespace talvaro::sim {

// Faults the simulated device can show.
struct SimFaults {
    bool silent = false;      // answers nothing at all
    QByteArray identity{};    // answered to "T\r" instead of the type's own identity
    bool noName = false;      // does not know "C\r"
    bool noVersion = false;   // does not answer "V\r"
    bool badChecksum = false; // read answers carry a checksum off by one
    // Steps of a write are numbered 0 for the command, 1..N for the image bytes and
    // N + 1 for the checksum.
    int refuseWriteStep = -1;   // refuses this step with NAK
    int spareAckStep = -1;      // after its answer to this step sends ...
    int spareAcks = 0;          // ... so many ACKs more, as an echo or a glitch would
    int lateStep = -1;          // holds its answer to this step back ...
    int lateMs = 0;             // ... so long (takeLate)
    bool keepsOldImage = false; // acknowledges a whole write but keeps the image it had
    int garbageReply = -1;      // sends `garbage` instead of its answer number n (from 0)
    QByteArray garbage{};
};

// Takes the bytes the loader receives after it has confirmed with "L" and answers them;
// the firmware transfer plugs in here. Behind a PtyDevice it runs in the simulator's
// thread while the device is locked, so it must not call withDevice itself.
using LoaderHandler = std::function<QByteArray(const QByteArray& received)>;
// What the loader sends unasked at this moment; asked every few milliseconds.
using LoaderChatter = std::function<QByteArray()>;

// The protocol side of a telephone system: answers the identity, name and version
// questions, the read and write commands and the loader wake-up, byte by byte.
class SimDevice {
public:
    static constexpr char Ack = '\x06';
    static constexpr char Nak = '\x15';

    explicit SimDevice(DeviceType type);

    DeviceType type() const { return m_type; }
    QByteArray image() const { return m_image; }
    // An image of the wrong length is refused.
    bool setImage(const QByteArray& image);
    void setName(const QByteArray& name) { m_name = name; }
    void setVersion(const QByteArray& version) { m_version = version; }
    SimFaults& faults() { return m_faults; }

    void setLoaderHandler(LoaderHandler handler) { m_loader = std::move(handler); }
    void setLoaderChatter(LoaderChatter chatter) { m_chatter = std::move(chatter); }
    bool inLoader() const { return m_mode == Mode::Loader; }
    // The loader has restarted the device: what follows are commands again.
    void leaveLoader() {
        m_mode = Mode::Command;
        m_line.clear();
    }

    // Back to the start of the protocol, as after switching on; image and faults stay.
    void restart();

    int writesCompleted() const { return m_writesCompleted; }
    qsizetype bytesReceived() const { return m_bytesReceived; }
    QByteArray commandsReceived() const { return m_commands; }

    // Feeds received bytes; returns what the device sends back at once.
    QByteArray receive(const QByteArray& bytes);
    // An answer held back by the late fault, to be sent faults().lateMs after receive().
    QByteArray takeLate() { return std::exchange(m_late, QByteArray()); }
    // What the device sends without being asked, now.
    QByteArray unasked();

    // The default image: a pattern that differs from the factory defaults.
    static QByteArray patternImage(int length);

private:
    enum class Mode { Command, WriteData, WriteChecksum, LoaderPrompt, Loader };

    QByteArray receiveByte(char byte);
    QByteArray counted(QByteArray reply);
    QByteArray command(const QByteArray& line);
    QByteArray startRead(int address, int count);
    QByteArray startWrite(int address, int count);
    QByteArray writeByte(char byte);
    QByteArray writeChecksum(char byte);
    // Whether the current step of a write is accepted; a refusal ends the write.
    bool stepAccepted(bool right);
    // The answer to the current step, with the faults that belong to it; the next
    // byte is the next step.
    QByteArray stepAnswer(bool accepted);

    DeviceType m_type;
    QByteArray m_image;
    QByteArray m_name;
    QByteArray m_version = "2.04";
    SimFaults m_faults;
    LoaderHandler m_loader;
    LoaderChatter m_chatter;
    QByteArray m_late;

    Mode m_mode = Mode::Command;
    QByteArray m_line;
    QByteArray m_commands; // every command line received, each ending in CR
    int m_writeAddress = 0;
    QByteArray m_incoming;
    int m_writeCount = 0;
    int m_writeStep = 0;
    int m_writesCompleted = 0;
    qsizetype m_bytesReceived = 0;
    int m_repliesGiven = 0;
};

} // namespace talvaro::sim
