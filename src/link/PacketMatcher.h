#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>

namespace talvaro {

class SerialLink;

// The packet matcher on the serial link (DataPacket1): armed for a CR LF line or for a
// byte count, it raises exactly one event per request, a packet or a time-out counted
// in ticks of 55 ms from arming. Packets are handed over through the event queue, so a
// handler may open modal windows freely. Only a packet completed by the serial read
// itself may be taken by the immediate handler instead, and then it is not queued;
// bytes that were already waiting when the request was armed always go through the queue.
class PacketMatcher : public QObject {
    Q_OBJECT
public:
    // Runs inside the serial read, never from arming; it may arm again and write, but must
    // not open windows.
    using ImmediateHandler = std::function<bool(const QByteArray& bytes)>;

    explicit PacketMatcher(SerialLink& link, QObject* parent = nullptr);

    void setImmediateHandler(ImmediateHandler handler) { m_immediate = std::move(handler); }

    void armForLine(int ticks);
    void armForBytes(int count, int ticks);
    // Cancels the pending request; no event follows.
    void disarm();
    bool isArmed() const { return m_armed; }

signals:
    void packet(const QByteArray& bytes);
    void timeout();

private:
    enum class EndCondition { Line, Count };

    void arm(EndCondition end, int count, int ticks);
    // The serial read has brought bytes.
    void collect();
    bool takeComplete(QByteArray& bytes);
    void queue(const QByteArray& bytes);
    void expired();

    SerialLink& m_link;
    QTimer m_timer;
    EndCondition m_end = EndCondition::Line;
    int m_count = 0;
    bool m_armed = false;
    quint64 m_request = 0; // a queued packet is delivered only for its own request
    QByteArray m_collected;
    ImmediateHandler m_immediate;
    bool m_collecting = false;
};

} // namespace talvaro
