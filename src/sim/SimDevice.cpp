#include "sim/SimDevice.h"

#include "model/ImageBuffers.h"

#include <QRegularExpression>

#include <utility>

namespace talvaro::sim {
namespace {

constexpr qsizetype MaxCommandLength = 32;

} // namespace

SimDevice::SimDevice(DeviceType type)
    : m_type(type), m_image(patternImage(familyProfile(type).imageLength)),
      m_name("TK " + deviceProfile(type).identity.toLatin1()) {}

QByteArray SimDevice::patternImage(int length) {
    QByteArray image(length, '\0');
    for (int i = 0; i < length; ++i)
        image[i] = static_cast<char>(i * 7 + 3);
    return image;
}

bool SimDevice::setImage(const QByteArray& image) {
    if (image.size() != m_image.size())
        return false;
    m_image = image;
    return true;
}

void SimDevice::restart() {
    m_mode = Mode::Command;
    m_line.clear();
    m_incoming.clear();
    m_writeStep = 0;
    m_repliesGiven = 0;
}

QByteArray SimDevice::receive(const QByteArray& bytes) {
    m_bytesReceived += bytes.size();
    QByteArray out;
    for (const char byte : bytes)
        out += counted(receiveByte(byte));
    if (m_faults.silent)
        m_late.clear();
    return m_faults.silent ? QByteArray() : out;
}

QByteArray SimDevice::unasked() {
    if (m_faults.silent || m_mode != Mode::Loader || !m_chatter)
        return {};
    return m_chatter();
}

QByteArray SimDevice::counted(QByteArray reply) {
    if (reply.isEmpty())
        return reply;
    return m_repliesGiven++ == m_faults.garbageReply ? m_faults.garbage : reply;
}

QByteArray SimDevice::receiveByte(char byte) {
    switch (m_mode) {
    case Mode::WriteData:
        return writeByte(byte);
    case Mode::WriteChecksum:
        return writeChecksum(byte);
    case Mode::LoaderPrompt:
        if (byte != '<')
            return {};
        m_mode = Mode::Loader;
        return "L";
    case Mode::Loader:
        return m_loader ? m_loader(QByteArray(1, byte)) : QByteArray();
    case Mode::Command:
        break;
    }
    if (byte == '\n')
        return {};
    if (byte != '\r') {
        // A line that never ends is noise; start over rather than grow.
        if (m_line.size() >= MaxCommandLength)
            m_line.clear();
        m_line += byte;
        return {};
    }
    const QByteArray line = std::exchange(m_line, QByteArray());
    m_commands += line + '\r';
    return command(line);
}

QByteArray SimDevice::command(const QByteArray& line) {
    const DeviceTypeProfile& profile = deviceProfile(m_type);
    if (line == "T")
        return (m_faults.identity.isNull() ? profile.identity.toLatin1() : m_faults.identity) +
               "\r\n";
    if (line == "C")
        return m_faults.noName ? QByteArray() : m_name + "\r\n";
    if (line == "V")
        return m_faults.noVersion ? QByteArray() : m_version + "\r\n";
    if (line == "U") {
        m_mode = Mode::LoaderPrompt;
        return QByteArray(1, profile.loaderTypeByte);
    }
    static const QRegularExpression transfer(
        QStringLiteral("^([RW])([0-9A-Fa-f]{4}),([0-9A-Fa-f]{2})$"));
    const auto match = transfer.match(QString::fromLatin1(line));
    if (!match.hasMatch())
        return {};
    const int address = match.captured(2).toInt(nullptr, 16);
    const int count = match.captured(3).toInt(nullptr, 16);
    return match.captured(1) == QLatin1String("R") ? startRead(address, count)
                                                   : startWrite(address, count);
}

QByteArray SimDevice::startRead(int address, int count) {
    if (address + count > m_image.size())
        return {};
    const QByteArray data = m_image.mid(address, count);
    const quint8 sum = static_cast<quint8>(imageChecksum(data) + (m_faults.badChecksum ? 1 : 0));
    return data + static_cast<char>(sum);
}

QByteArray SimDevice::startWrite(int address, int count) {
    m_writeStep = 0;
    if (count == 0 || address + count > m_image.size())
        return QByteArray(1, Nak);
    m_writeAddress = address;
    m_writeCount = count;
    m_incoming.clear();
    m_mode = Mode::WriteData;
    return stepAnswer(stepAccepted(true));
}

bool SimDevice::stepAccepted(bool right) {
    const bool accepted = right && m_writeStep != m_faults.refuseWriteStep;
    if (!accepted)
        m_mode = Mode::Command;
    return accepted;
}

QByteArray SimDevice::stepAnswer(bool accepted) {
    const int step = m_writeStep++;
    QByteArray reply(1, accepted ? Ack : Nak);
    if (step == m_faults.spareAckStep)
        reply += QByteArray(m_faults.spareAcks, Ack);
    if (step == m_faults.lateStep) {
        m_late += reply;
        return {};
    }
    return reply;
}

QByteArray SimDevice::writeByte(char byte) {
    m_incoming += byte;
    if (m_incoming.size() == m_writeCount)
        m_mode = Mode::WriteChecksum;
    return stepAnswer(stepAccepted(true));
}

QByteArray SimDevice::writeChecksum(char byte) {
    m_mode = Mode::Command;
    const bool accepted = stepAccepted(static_cast<quint8>(byte) == imageChecksum(m_incoming));
    if (accepted) {
        if (!m_faults.keepsOldImage)
            m_image.replace(m_writeAddress, m_incoming.size(), m_incoming);
        ++m_writesCompleted;
    }
    return stepAnswer(accepted);
}

} // namespace talvaro::sim
