#include "LinkSession.h"

#include "PortDiagnosis.h"

#include <QCoreApplication>
#include <QThread>

namespace talvaro {

LinkSession::LinkSession(ExchangeHost& host, Dialogs& dialogs, PortAssignment ports,
                         QObject* parent)
    : QObject(parent), m_ports(std::move(ports)), m_matcher(m_port),
      m_exchange(*this, host, dialogs), m_search(*this, m_exchange, host, dialogs),
      m_commands(m_exchange, m_search, host, dialogs) {
    connect(&m_matcher, &PacketMatcher::packet, this,
            [this](const QByteArray& bytes) { m_exchange.DataPacket1Packet(bytes); });
    connect(&m_matcher, &PacketMatcher::timeout, this, [this] { m_exchange.DataPacket1Timeout(); });
    m_matcher.setImmediateHandler(
        [this](const QByteArray& bytes) { return m_exchange.DataPacket1Immediate(bytes); });
    takeFixedPorts();
}

void LinkSession::setPortAssignment(PortAssignment ports) {
    m_ports = std::move(ports);
    takeFixedPorts();
}

void LinkSession::takeFixedPorts() {
    // Ports named at the start cost nothing to look up; the system's are listed by the
    // next search.
    if (m_ports.isFixed())
        refreshPorts();
}

LinkSession::~LinkSession() {
    m_matcher.disarm();
    m_port.close();
}

void LinkSession::post(QEvent::Type message) {
    QCoreApplication::postEvent(this, new QEvent(message));
}

void LinkSession::pause(int ms) {
    // The search's short waits block on purpose: nothing else may run in between.
    QThread::msleep(static_cast<unsigned long>(ms));
}

bool LinkSession::event(QEvent* event) {
    if (event->type() == MsgDeviceNotRecognised) {
        m_search.deviceNotRecognised();
        return true;
    }
    if (event->type() == MsgLoaderReady) {
        emit loaderReady();
        return true;
    }
    return QObject::event(event);
}

QStringList LinkSession::accessHints() {
    return PortDiagnosis().run(numberedComPorts(portMap().paths())).lines();
}

} // namespace talvaro
