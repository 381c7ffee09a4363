#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

namespace talvaro {

class SerialLink;

// The packet matcher on the serial link (DataPacket1): armed for a CR LF line or for a
// byte count, it raises exactly one event per request, a packet or a time-out counted
// in ticks of 55 ms from arming. Packets are handed over through the event queue as
// soon as their last byte is in, so a handler may open modal windows freely.
class PacketMatcher : public QObject {
    Q_OBJECT
public:
    explicit PacketMatcher(SerialLink& link, QObject* parent = nullptr);

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
    void collect();
    void expired();

    SerialLink& m_link;
    QTimer m_timer;
    EndCondition m_end = EndCondition::Line;
    int m_count = 0;
    bool m_armed = false;
    quint64 m_request = 0; // a queued packet is delivered only for its own request
    QByteArray m_collected;
};

} // namespace talvaro
