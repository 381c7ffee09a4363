#include "LinkFakes.h"

#include <QMetaObject>

#include <utility>

using namespace talvaro;

sim::SimDevice& FakeLink::attach(quint16 port, DeviceType type) {
    present.insert(port);
    auto device = std::make_shared<sim::SimDevice>(type);
    m_devices.insert(port, device);
    return *device;
}

sim::SimDevice* FakeLink::device(quint16 port) const {
    return m_devices.value(port).get();
}

QStringList FakeLink::logged(const QString& prefix) const {
    QStringList lines;
    for (const QString& line : log)
        if (line.startsWith(prefix))
            lines << line;
    return lines;
}

void FakeLink::setPortNumber(quint16 number) {
    m_number = number;
    log << QStringLiteral("port %1").arg(number);
}

bool FakeLink::portAvailable(quint16 number) {
    return present.contains(number);
}

bool FakeLink::open() {
    if (m_open) { // like a real port: a second open fails
        log << QStringLiteral("open %1 failed").arg(m_number);
        return false;
    }
    m_open = present.contains(m_number) && !refuseOpen.contains(m_number);
    log << QString::fromLatin1(m_open ? "open %1" : "open %1 failed").arg(m_number);
    pending.clear();
    return m_open;
}

void FakeLink::close() {
    log << QStringLiteral("close");
    m_open = false;
}

void FakeLink::write(const QByteArray& bytes) {
    if (!m_open)
        return;
    log << QStringLiteral("write ") + QString::fromLatin1(bytes.toPercentEncoding(" ,<"));
    written += bytes;
    if (sim::SimDevice* d = device(m_number)) {
        const QByteArray answer = d->receive(bytes);
        m_late += d->takeLate();
        arrive(answer);
    }
}

void FakeLink::arrive(const QByteArray& bytes) {
    pending += bytes;
    if (m_armed && playsMatcher())
        scheduleCheck();
}

qsizetype FakeLink::discardInput() {
    log << QStringLiteral("discard input");
    discarded += pending;
    return std::exchange(pending, QByteArray()).size();
}

void FakeLink::discardOutput() {
    log << QStringLiteral("discard output");
}

void FakeLink::armForLine(int ticks) {
    log << QStringLiteral("arm line %1").arg(ticks);
    arm(0, ticks);
}

void FakeLink::armForBytes(int count, int ticks) {
    log << QStringLiteral("arm bytes %1 %2").arg(count).arg(ticks);
    arm(count, ticks);
}

void FakeLink::arm(int count, int ticks) {
    m_armed = true;
    m_count = count;
    m_ticks = ticks;
    ++m_request;
    if (playsMatcher())
        scheduleCheck();
}

void FakeLink::disarm() {
    log << QStringLiteral("disarm");
    m_armed = false;
    ++m_request;
}

void FakeLink::post(QEvent::Type message) {
    log << QStringLiteral("post %1").arg(message);
    posted << message;
    if (onPost)
        QMetaObject::invokeMethod(
            this, [this, message] { onPost(message); }, Qt::QueuedConnection);
}

void FakeLink::pause(int ms) {
    log << QStringLiteral("pause %1").arg(ms);
}

void FakeLink::scheduleCheck() {
    const quint64 request = m_request;
    QMetaObject::invokeMethod(
        this, [this, request] { check(request); }, Qt::QueuedConnection);
}

void FakeLink::check(quint64 request) {
    if (!m_armed || request != m_request)
        return;
    const qsizetype end = m_count == 0 ? pending.indexOf("\r\n") + 2 : m_count;
    const bool complete = m_count == 0 ? end >= 2 : pending.size() >= m_count;
    m_armed = false;
    if (!complete) {
        pending.clear();
        if (onTimeout)
            onTimeout();
        arrive(std::exchange(m_late, QByteArray()));
        return;
    }
    const QByteArray packet = pending.left(end);
    pending.remove(0, end);
    if (onPacket)
        onPacket(packet);
}

FakeHost::FakeHost(DeviceType type) {
    doc.applyDeviceType(type);
}

void FakeHost::setDeviceType(DeviceType code) {
    calls << QStringLiteral("setDeviceType %1").arg(code);
    doc.applyDeviceType(code);
}

void FakeHost::encodeImage() {
    calls << QStringLiteral("encodeImage");
    QByteArray& working = buffers.working(doc.deviceType());
    if (editorImage.size() == working.size())
        working = editorImage;
    buffers.checksum = imageChecksum(working);
}

void FakeHost::decodeImage() {
    calls << QStringLiteral("decodeImage");
    decodedImage = buffers.working(doc.deviceType());
}

void FakeHost::updateTitle() {
    calls << QStringLiteral("updateTitle");
}

void FakeHost::setStatusText(StatusPanel panel, const QString& text) {
    status[static_cast<int>(panel)] = text;
}

bool FakeHost::checkPinBeforeUse() {
    calls << QStringLiteral("checkPinBeforeUse");
    return pinOk;
}

void FakeHost::newConfiguration() {
    calls << QStringLiteral("newConfiguration");
    editorImage = QByteArray(familyProfile(doc.deviceType()).imageLength, '\x01');
}
