#include "ExchangeRig.h"

using namespace talvaro;

bool FuzzLink::portAvailable(quint16 number) {
    return number >= 1 && number <= 32 && (presentPorts >> (number - 1) & 1u);
}

bool FuzzLink::open() {
    if (m_open) // like a real port: a second open fails
        return false;
    m_open = portAvailable(m_number);
    return m_open;
}

void FuzzLink::write(const QByteArray& bytes) {
    if (m_open)
        written += bytes;
}

void FuzzLink::arm(int count, int ticks) {
    Q_UNUSED(ticks);
    armed = true;
    armedCount = count;
}
