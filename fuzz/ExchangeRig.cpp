#include "ExchangeRig.h"

#include <utility>

using namespace talvaro;

bool FuzzLink::portAvailable(quint16 number) {
    return number >= 1 && number <= 32 && (presentPorts >> (number - 1) & 1u);
}

bool FuzzLink::open() {
    if (m_open) // like a real port: a second open fails
        return false;
    m_open = portAvailable(m_number);
    pending.clear();
    return m_open;
}

void FuzzLink::write(const QByteArray& bytes) {
    if (!m_open)
        return;
    if (armed) {
        // Discard, arm, send: what waits in the input cannot answer this question, and
        // no question goes out before the one before it has had its answer or time-out.
        if (!pending.isEmpty() || m_questionOpen)
            __builtin_trap();
        m_questionOpen = true;
    }
    written += bytes;
}

qsizetype FuzzLink::discardInput() {
    return std::exchange(pending, QByteArray()).size();
}

void FuzzLink::arm(int count, int ticks) {
    Q_UNUSED(ticks);
    ++m_request;
    armed = true;
    armedCount = count;
    m_questionOpen = false;
    // As the matcher does: bytes already waiting complete the request through the queue.
    QByteArray packet;
    if (takeComplete(packet))
        queued.append({m_request, packet});
}

void FuzzLink::disarm() {
    ++m_request;
    armed = false;
    m_questionOpen = false;
}

void FuzzLink::expire() {
    disarm();
}

bool FuzzLink::takeComplete(QByteArray& packet) {
    if (!armed)
        return false;
    const qsizetype end = armedCount > 0 ? armedCount : pending.indexOf("\r\n") + 2;
    if ((armedCount == 0 && end < 2) || pending.size() < end)
        return false;
    packet = pending.left(end);
    pending.remove(0, end);
    armed = false;
    m_questionOpen = false;
    return true;
}

void FuzzLink::arrive(const QByteArray& bytes) {
    pending += bytes;
    QByteArray packet;
    if (!takeComplete(packet))
        return;
    const quint64 request = m_request;
    if (!immediate || !immediate(packet))
        queued.append({request, packet});
}
