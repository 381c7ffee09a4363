#include "PacketMatcher.h"

#include "LinkTypes.h"
#include "SerialLink.h"

#include <QMetaObject>
#include <QScopedValueRollback>

#include <algorithm>
#include <utility>

namespace talvaro {

PacketMatcher::PacketMatcher(SerialLink& link, QObject* parent) : QObject(parent), m_link(link) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PacketMatcher::expired);
    connect(&m_link, &SerialLink::inputArrived, this, &PacketMatcher::collect);
}

void PacketMatcher::armForLine(int ticks) {
    arm(EndCondition::Line, 0, ticks);
}

void PacketMatcher::armForBytes(int count, int ticks) {
    arm(EndCondition::Count, std::max(count, 1), ticks);
}

void PacketMatcher::arm(EndCondition end, int count, int ticks) {
    ++m_request;
    m_end = end;
    m_count = count;
    m_collected.clear();
    m_armed = true;
    m_timer.start(std::max(ticks, 0) * TickMs);
    // Bytes that arrived while disarmed belong to this request, unless the caller
    // discarded them before arming. They come through the queue: whoever arms is still
    // at work, and a handler run from here would act before it has finished.
    QByteArray bytes;
    if (takeComplete(bytes))
        queue(bytes);
}

void PacketMatcher::disarm() {
    ++m_request;
    m_armed = false;
    m_timer.stop();
    m_collected.clear();
}

void PacketMatcher::collect() {
    // A handler that waits for more input from inside this one would re-enter here; the
    // bytes then stay for the request they belong to.
    if (m_collecting)
        return;
    const QScopedValueRollback<bool> collecting(m_collecting, true);
    QByteArray bytes;
    if (!takeComplete(bytes))
        return;
    // A handler that arms again is served from the bytes still in by arm() itself.
    if (!m_immediate || !m_immediate(bytes))
        queue(bytes);
}

bool PacketMatcher::takeComplete(QByteArray& bytes) {
    if (!m_armed)
        return false;
    if (m_end == EndCondition::Count) {
        m_collected += m_link.takeInput(m_count - m_collected.size());
    } else {
        while (m_link.pendingInput() > 0 && !m_collected.endsWith("\r\n"))
            m_collected += m_link.takeInput(1);
    }
    const bool complete =
        m_end == EndCondition::Count ? m_collected.size() == m_count : m_collected.endsWith("\r\n");
    if (!complete)
        return false;
    m_armed = false;
    m_timer.stop();
    bytes = std::exchange(m_collected, QByteArray());
    return true;
}

void PacketMatcher::queue(const QByteArray& bytes) {
    const quint64 request = m_request;
    QMetaObject::invokeMethod(
        this,
        [this, bytes, request] {
            if (request == m_request)
                emit packet(bytes);
        },
        Qt::QueuedConnection);
}

void PacketMatcher::expired() {
    if (!m_armed)
        return;
    disarm();
    emit timeout();
}

} // namespace talvaro
