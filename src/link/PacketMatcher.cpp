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
    // discarded them before arming.
    collect();
}

void PacketMatcher::disarm() {
    ++m_request;
    m_armed = false;
    m_timer.stop();
    m_collected.clear();
}

void PacketMatcher::collect() {
    // An immediate handler that arms again lands here; the loop below serves that
    // request, so that bytes already in never nest one handler inside the other.
    if (m_collecting)
        return;
    const QScopedValueRollback<bool> collecting(m_collecting, true);
    QByteArray bytes;
    while (takeComplete(bytes))
        deliver(bytes);
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

void PacketMatcher::deliver(const QByteArray& bytes) {
    if (m_immediate && m_immediate(bytes))
        return;
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
