#include "DeviceExchange.h"

#include "DeviceText.h"
#include "ExchangeHost.h"
#include "LinkPort.h"
#include "PortMap.h"
#include "model/Dialogs.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"

#include <utility>

namespace talvaro {
namespace {

// Time-outs of the single steps, in ticks.
constexpr int IdentifyTicks = 12;
constexpr int LineTicks = 12;
constexpr int ReadTicks = 18;
constexpr int AckTicks = 6;
constexpr int ChecksumTicks = 36;
constexpr int LoaderTicks = 18;

const QString TransferErrorCaption = QStringLiteral("Übertragungsfehler");
const QString NoBackupQuestion = QStringLiteral(
    "Die Konfiguration der Telefonanlage konnte vor dem Programmieren nicht gesichert "
    "werden.\r\nWollen Sie die Telefonanlage ohne Sicherung programmieren?");

} // namespace

DeviceExchange::DeviceExchange(LinkPort& link, ExchangeHost& host, Dialogs& dialogs)
    : m_link(link), m_host(host), m_dialogs(dialogs) {
    m_dialogs.setTransferClosedHandler([this] { transferWindowClosed(); });
}

QString DeviceExchange::answerText(const QByteArray& packet) {
    QString text;
    for (const char c : packet)
        if (c >= 0x20 && c <= 0x7E)
            text += QLatin1Char(c);
    return text;
}

void DeviceExchange::DataPacket1Packet(const QByteArray& packet) {
    if (packet.isEmpty())
        return;
    const char firstByte = packet.at(0);
    switch (m_record.state) {
    case ExchangeState::Idle:
        return;
    case ExchangeState::Identify:
        return identified(answerText(packet));
    case ExchangeState::AwaitName:
        return nameReceived(answerText(packet));
    case ExchangeState::AwaitVersion:
        return versionReceived(answerText(packet));
    case ExchangeState::ReadImage:
        return imageReceived(packet);
    case ExchangeState::AwaitWriteAck:
    case ExchangeState::WriteImage:
        return writeAcknowledged(firstByte);
    case ExchangeState::AwaitChecksumAck:
        return checksumAcknowledged(firstByte);
    case ExchangeState::AwaitLoaderPrompt:
        return loaderPrompt(firstByte);
    case ExchangeState::AwaitLoaderReady:
        return loaderReady(firstByte);
    }
}

bool DeviceExchange::DataPacket1Immediate(const QByteArray& packet) {
    if (m_record.state != ExchangeState::WriteImage || !packet.startsWith(Ack))
        return false;
    writeAcknowledged(Ack);
    return true;
}

void DeviceExchange::DataPacket1Timeout() {
    switch (m_record.state) {
    case ExchangeState::Idle:
        return;
    case ExchangeState::Identify:
        return notRecognised();
    case ExchangeState::AwaitName:
        // The device does not know "C\r"; the identity stays the device text.
        m_link.discardInput();
        m_link.armForLine(LineTicks);
        m_record.state = ExchangeState::AwaitVersion;
        m_link.write("V\r");
        return;
    case ExchangeState::AwaitLoaderPrompt:
    case ExchangeState::AwaitLoaderReady:
        // Only the firmware start timer ends the handshake.
        m_link.armForBytes(1, LoaderTicks);
        return;
    default:
        timeoutFailed();
    }
}

void DeviceExchange::identified(const QString& text) {
    const DeviceType current = m_host.document().deviceType();
    const std::optional<DeviceType> type = identifyDevice(current, text);
    if (!type)
        return notRecognised();
    if (*type != current) {
        // The type change starts from factory defaults; what is about to be programmed
        // is the user's configuration, so it moves over to the sibling model.
        const bool keep =
            m_record.operation == ExchangeOperation::Program && m_record.keepEditsOnTypeSwitch;
        if (keep)
            m_host.encodeImage();
        m_host.setDeviceType(*type);
        if (keep)
            m_host.decodeImage();
    }
    m_record.deviceText = text;
    m_link.armForLine(LineTicks);
    m_record.state = ExchangeState::AwaitName;
    m_link.write("C\r");
}

void DeviceExchange::nameReceived(const QString& text) {
    m_record.deviceText = text;
    m_link.armForLine(LineTicks);
    m_record.state = ExchangeState::AwaitVersion;
    m_link.write("V\r");
}

void DeviceExchange::versionReceived(const QString& text) {
    // Any bytes up to the packet limit: the status bar shows them cut, each part alone.
    m_host.setStatusText(StatusPanel::Device, shownDeviceText(m_record.deviceText) +
                                                  FirmwareSeparator + shownDeviceText(text));
    m_record.deviceText += FirmwareSeparator + text;
    deviceFoundOn(m_link.portNumber());
    m_host.setStatusText(StatusPanel::Port, QStringLiteral("Verwendeter COM-Port: COM") +
                                                QString::number(m_record.portInUse));
    m_dialogs.closeSearch();
    m_host.deviceIdentified();
    if (m_record.operation == ExchangeOperation::Read)
        beginRead();
    else
        beginWrite();
}

void DeviceExchange::prepareTransfer(ExchangeOperation operation) {
    m_record.operation = operation;
    m_record.keepEditsOnTypeSwitch = true;
    m_record.factoryReset = false;
}

void DeviceExchange::prepareFactoryReset() {
    m_record.operation = ExchangeOperation::Program;
    m_record.keepEditsOnTypeSwitch = false;
    m_record.factoryReset = true;
}

void DeviceExchange::beginSearch(ExchangeOperation operation) {
    m_record.operation = operation;
    restartSearch();
}

void DeviceExchange::restartSearch() {
    m_record.searchPort = 0;
}

bool DeviceExchange::advanceSearchPort() {
    if (m_record.searchPort >= HighestComPort)
        return false;
    ++m_record.searchPort;
    return true;
}

void DeviceExchange::beginIdentification() {
    m_link.disarm();
    m_link.armForLine(IdentifyTicks);
    m_record.state = ExchangeState::Identify;
    m_link.write("T\r");
}

void DeviceExchange::deviceFoundOn(quint16 port) {
    m_record.portInUse = port;
}

void DeviceExchange::goOffline() {
    m_record.portInUse = 0;
    finish();
}

void DeviceExchange::beginRead() {
    m_link.disarm();
    m_link.armForBytes(m_host.document().readPacketSize(), ReadTicks);
    m_record.state = ExchangeState::ReadImage;
    m_link.write(m_host.document().readCommand());
    m_link.incomingIsPayload();
}

void DeviceExchange::beginWrite() {
    if (m_host.needsBackupBeforeWriting())
        return beginBackupRead();
    writeImage();
}

void DeviceExchange::beginBackupRead() {
    m_backupRead = true;
    beginRead();
}

void DeviceExchange::writeImage() {
    m_host.encodeImage();
    m_link.disarm();
    m_link.armForBytes(1, AckTicks);
    m_sendLimit = m_host.document().imageLength();
    m_record.state = ExchangeState::AwaitWriteAck;
    m_link.write(m_host.document().writeCommand());
}

void DeviceExchange::beginLoaderHandshake() {
    m_link.armForBytes(1, LoaderTicks);
    m_record.state = ExchangeState::AwaitLoaderPrompt;
    m_link.write("U\r");
}

void DeviceExchange::abandonLoaderHandshake() {
    m_link.disarm();
    finish();
}

void DeviceExchange::imageReceived(const QByteArray& packet) {
    const DeviceType type = m_host.document().deviceType();
    QByteArray& copy = m_host.images().deviceCopy(type);
    finish();
    const bool backup = std::exchange(m_backupRead, false);
    // The matcher hands over exactly the armed size; anything else cannot be an image
    // of this family and must not be copied over buffers of another length.
    bool valid = packet.size() == copy.size() + 1;
    quint8 sum = 0;
    for (qsizetype i = 0; valid && i < copy.size(); ++i) {
        copy[i] = packet[i];
        sum = static_cast<quint8>(sum + static_cast<quint8>(packet[i]));
    }
    valid = valid && static_cast<quint8>(packet.back()) == sum;
    if (backup) {
        // The editor holds what is about to be programmed: the backup stays out of it.
        if (valid && transferred(TransferKind::Backup, copy))
            return writeImage();
        return backupFailed();
    }
    if (!valid)
        return readFailed();
    m_dialogs.closeTransfer();
    m_host.images().working(type) = copy;
    transferred(TransferKind::Read, copy);
    m_dialogs.showMessage(
        MessageDialog::Ergebnis, QStringLiteral("Konfiguration Auslesen"),
        {QString(), QStringLiteral("Das Auslesen der Konfiguration war erfolgreich.")});
    m_host.decodeImage();
    m_host.updateTitle();
}

void DeviceExchange::writeAcknowledged(char reply) {
    if (reply != Ack) {
        finish();
        return programmingFailed();
    }
    if (m_record.state == ExchangeState::AwaitWriteAck) {
        m_sendCursor = 0;
        m_bytesSent = 0;
        m_record.state = ExchangeState::WriteImage;
        return sendNextImageByte();
    }
    if (m_bytesSent < m_sendLimit)
        return sendNextImageByte();
    m_link.armForBytes(1, ChecksumTicks);
    m_record.state = ExchangeState::AwaitChecksumAck;
    m_link.nextWriteIsPayload();
    m_link.write(QByteArray(1, static_cast<char>(m_host.images().checksum)));
}

void DeviceExchange::sendNextImageByte() {
    const QByteArray& image = m_host.images().working(m_host.document().deviceType());
    m_link.armForBytes(1, AckTicks);
    m_link.nextWriteIsPayload();
    m_link.write(QByteArray(1, image.at(m_sendCursor)));
    ++m_sendCursor;
    ++m_bytesSent;
}

void DeviceExchange::checksumAcknowledged(char reply) {
    finish();
    if (reply != Ack)
        return programmingFailed();
    transferred(m_record.factoryReset ? TransferKind::FactoryReset : TransferKind::Programmed,
                m_host.images().working(m_host.document().deviceType()));
    m_dialogs.closeTransfer();
    m_dialogs.showMessage(
        MessageDialog::ProgErgebnis, QStringLiteral("Konfiguration Programmieren"),
        {QString(), QStringLiteral("Das Programmieren der Konfiguration war erfolgreich.")});
}

void DeviceExchange::loaderPrompt(char reply) {
    const DeviceType type = m_host.document().deviceType();
    m_link.armForBytes(1, LoaderTicks);
    if (!isDefinedDeviceType(type) || reply != deviceProfile(type).loaderTypeByte)
        return;
    m_record.state = ExchangeState::AwaitLoaderReady;
    m_link.write("<");
}

void DeviceExchange::loaderReady(char reply) {
    if (reply != 'L') {
        m_link.armForBytes(1, LoaderTicks);
        return;
    }
    finish();
    m_host.stopFirmwareStartTimer();
    m_link.post(MsgLoaderReady);
}

bool DeviceExchange::transferred(TransferKind kind, const QByteArray& image) {
    return m_host.imageTransferred(
        {kind, m_host.document().deviceType(), m_record.deviceText, m_record.portInUse, image});
}

void DeviceExchange::backupFailed() {
    if (m_dialogs.askWarningDefaultNo(QStringLiteral("Warnung"), NoBackupQuestion) ==
        DialogResult::Yes)
        return writeImage();
    m_link.disarm();
    m_dialogs.closeTransfer();
}

void DeviceExchange::readFailed() {
    m_dialogs.closeTransfer();
    m_dialogs.showMessage(
        MessageDialog::Error, TransferErrorCaption,
        {QStringLiteral("Fehler!"), QStringLiteral("Fehler beim Auslesen der Telefonanlage.")});
}

void DeviceExchange::programmingFailed() {
    m_dialogs.closeTransfer();
    m_dialogs.showMessage(MessageDialog::Error, TransferErrorCaption,
                          {QStringLiteral("Fehler!"),
                           QStringLiteral("Fehler beim Programmieren der Telefonanlage.")});
}

void DeviceExchange::notRecognised() {
    // The search closes the port and probes the next one once this event has returned.
    finish();
    m_link.post(MsgDeviceNotRecognised);
}

void DeviceExchange::timeoutFailed() {
    finish();
    if (std::exchange(m_backupRead, false))
        return backupFailed();
    m_dialogs.closeTransfer();
    // A device that stopped answering during the search would otherwise leave the
    // search window up with its buttons disabled and no way to close it.
    m_dialogs.closeSearch();
    m_dialogs.showMessage(MessageDialog::Error, QStringLiteral("Timeout-Fehler"),
                          {QStringLiteral("Zeitüberschreitung!"),
                           QStringLiteral("Fehler bei der Datenübertragung.")});
}

void DeviceExchange::transferWindowClosed() {
    finish();
    m_backupRead = false;
    m_link.disarm();
    if (m_link.isOpen()) {
        m_link.discardInput();
        m_link.discardOutput();
    }
}

} // namespace talvaro
