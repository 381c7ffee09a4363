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
// After the checksum's ACK: a byte within this time means that some ACK of the write
// answered nothing the program sent, so the device's real last answer is unknown.
constexpr int QuietTicks = 1;

constexpr int LineAnswer = 0; // answerBytes of a request for a CR LF line

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
    case ExchangeState::AwaitQuietLine:
        return programmingFailed();
    case ExchangeState::AwaitLoaderPrompt:
        return loaderPrompt(firstByte);
    case ExchangeState::AwaitLoaderReady:
        return loaderReady(firstByte);
    }
}

bool DeviceExchange::DataPacket1Immediate(const QByteArray& packet) {
    // A refusal, or stray bytes the discard found, end the write with a message, and no
    // window may open inside the serial read: those go through the queue.
    if (m_record.state != ExchangeState::WriteImage || packet != QByteArray(1, Ack) ||
        !lineStaysClean())
        return false;
    sendNextWriteStep();
    return true;
}

void DeviceExchange::DataPacket1Timeout() {
    switch (m_record.state) {
    case ExchangeState::Idle:
        return;
    case ExchangeState::Identify:
        // A device found earlier that no longer answers cannot be backed up; in a
        // search, the next port is probed.
        return m_recheck ? timeoutFailed() : notRecognised();
    case ExchangeState::AwaitName:
        // The device does not know "C\r"; the identity stays the device text.
        return ask(ExchangeState::AwaitVersion, "V\r", LineAnswer, LineTicks);
    case ExchangeState::AwaitQuietLine:
        return writeDone();
    case ExchangeState::AwaitLoaderPrompt:
    case ExchangeState::AwaitLoaderReady:
        // Only the firmware start timer ends the handshake.
        return arm(1, LoaderTicks);
    default:
        timeoutFailed();
    }
}

bool DeviceExchange::begin() {
    if (m_running) {
        m_host.exchangeEnded(ExchangeResult::Busy);
        return false;
    }
    m_running = true;
    return true;
}

void DeviceExchange::end(ExchangeResult result) {
    if (!std::exchange(m_running, false))
        return;
    finish();
    m_host.exchangeEnded(result);
}

void DeviceExchange::abort(ExchangeResult result) {
    if (!m_running)
        return;
    m_link.disarm();
    finish();
    m_dialogs.closeSearch();
    m_dialogs.closeTransfer();
    end(result);
}

void DeviceExchange::finish() {
    m_record.state = ExchangeState::Idle;
    m_backupRead = false;
    m_recheck = false;
}

void DeviceExchange::ask(ExchangeState awaiting, const QByteArray& question, int answerBytes,
                         int ticks) {
    m_link.discardInput();
    arm(answerBytes, ticks);
    m_record.state = awaiting;
    m_link.write(question);
}

void DeviceExchange::arm(int answerBytes, int ticks) {
    if (answerBytes == LineAnswer)
        m_link.armForLine(ticks);
    else
        m_link.armForBytes(answerBytes, ticks);
}

void DeviceExchange::identified(const QString& text) {
    if (m_recheck) {
        if (text != m_identity)
            return deviceChanged();
        m_checkedText = text;
        return ask(ExchangeState::AwaitName, "C\r", LineAnswer, LineTicks);
    }
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
    m_identity = text;
    m_record.deviceText = text;
    ask(ExchangeState::AwaitName, "C\r", LineAnswer, LineTicks);
}

void DeviceExchange::nameReceived(const QString& text) {
    (m_recheck ? m_checkedText : m_record.deviceText) = text;
    ask(ExchangeState::AwaitVersion, "V\r", LineAnswer, LineTicks);
}

void DeviceExchange::versionReceived(const QString& text) {
    if (std::exchange(m_recheck, false)) {
        if (m_checkedText + FirmwareSeparator + text != m_record.deviceText)
            return deviceChanged();
        return backUpThenWrite();
    }
    // Any bytes up to the packet limit: the status bar shows them cut, each part alone.
    m_host.setStatusText(StatusPanel::Device, shownDeviceText(m_record.deviceText) +
                                                  FirmwareSeparator + shownDeviceText(text));
    m_record.deviceText += FirmwareSeparator + text;
    deviceFoundOn(m_link.portNumber());
    m_host.setStatusText(StatusPanel::Port, QStringLiteral("Verwendeter COM-Port: COM") +
                                                QString::number(m_record.portInUse));
    m_dialogs.closeSearch();
    if (m_record.operation == ExchangeOperation::Read)
        read();
    else
        backUpThenWrite();
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

bool DeviceExchange::beginSearch(ExchangeOperation operation) {
    if (!begin())
        return false;
    searchFor(operation);
    return true;
}

void DeviceExchange::searchFor(ExchangeOperation operation) {
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
    ask(ExchangeState::Identify, "T\r", LineAnswer, IdentifyTicks);
}

void DeviceExchange::deviceFoundOn(quint16 port) {
    m_record.portInUse = port;
}

void DeviceExchange::goOffline() {
    m_record.portInUse = 0;
    finish();
}

bool DeviceExchange::beginRead() {
    if (!begin())
        return false;
    read();
    return true;
}

bool DeviceExchange::beginWrite() {
    if (!begin())
        return false;
    write();
    return true;
}

bool DeviceExchange::beginLoaderHandshake() {
    if (!begin())
        return false;
    ask(ExchangeState::AwaitLoaderPrompt, "U\r", 1, LoaderTicks);
    return true;
}

void DeviceExchange::abandonLoaderHandshake(ExchangeResult result) {
    if (m_record.state != ExchangeState::AwaitLoaderPrompt &&
        m_record.state != ExchangeState::AwaitLoaderReady)
        return;
    m_link.disarm();
    end(result);
}

void DeviceExchange::read() {
    const Document& document = m_host.document();
    ask(ExchangeState::ReadImage, document.readCommand(), document.readPacketSize(), ReadTicks);
    m_link.incomingIsPayload();
}

void DeviceExchange::write() {
    if (!m_host.needsBackupBeforeWriting())
        return writeImage();
    // The device on the port may have been swapped since it was found: its answers
    // must be those found before its configuration is kept as the backup.
    m_recheck = true;
    m_backupRead = true;
    ask(ExchangeState::Identify, "T\r", LineAnswer, IdentifyTicks);
}

void DeviceExchange::backUpThenWrite() {
    m_backupRead = m_host.needsBackupBeforeWriting();
    if (m_backupRead)
        return read();
    writeImage();
}

void DeviceExchange::deviceChanged() {
    // Whatever answers now is not the device found: nothing is written to it, and the
    // next command searches anew.
    finish();
    m_record.portInUse = 0;
    m_dialogs.closeTransfer();
    m_host.setStatusText(StatusPanel::Device, QString());
    m_host.setStatusText(StatusPanel::Port, QString());
    m_dialogs.showMessage(
        MessageDialog::Error, TransferErrorCaption,
        {QStringLiteral("Fehler!"),
         QStringLiteral("Am Anschluss antwortet nicht mehr die gefundene Telefonanlage. Sie "
                        "wurde nicht programmiert; bitte suchen Sie sie erneut.")});
    end(ExchangeResult::NotRecognised);
}

void DeviceExchange::writeImage() {
    m_host.encodeImage();
    m_sendCursor = 0;
    m_sendLimit = m_host.document().imageLength();
    m_strayInput = false;
    // What came before the write command is stale, not stray: it is discarded unseen.
    ask(ExchangeState::AwaitWriteAck, m_host.document().writeCommand(), 1, AckTicks);
}

void DeviceExchange::imageReceived(const QByteArray& packet) {
    const DeviceType type = m_host.document().deviceType();
    QByteArray& copy = m_host.images().deviceCopy(type);
    // The matcher hands over exactly the armed size; anything else cannot be an image
    // of this family and must not be copied over buffers of another length.
    bool valid = packet.size() == copy.size() + 1;
    quint8 sum = 0;
    for (qsizetype i = 0; valid && i < copy.size(); ++i) {
        copy[i] = packet[i];
        sum = static_cast<quint8>(sum + static_cast<quint8>(packet[i]));
    }
    valid = valid && static_cast<quint8>(packet.back()) == sum;
    if (std::exchange(m_backupRead, false)) {
        // The editor holds what is about to be programmed: the backup stays out of it.
        atRest();
        if (valid && transferred(TransferKind::Backup, copy))
            return writeImage();
        return backupFailed();
    }
    finish();
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
    end(ExchangeResult::Ok);
}

void DeviceExchange::writeAcknowledged(char reply) {
    if (reply != Ack || !lineStaysClean())
        return programmingFailed();
    sendNextWriteStep();
}

bool DeviceExchange::lineStaysClean() {
    // A spare byte taken for an ACK would credit every later ACK one step early, and
    // the device's answer to the checksum would never be read.
    if (m_link.discardInput() > 0)
        m_strayInput = true;
    return !m_strayInput;
}

void DeviceExchange::sendNextWriteStep() {
    if (m_sendCursor < m_sendLimit) {
        const QByteArray& image = m_host.images().working(m_host.document().deviceType());
        arm(1, AckTicks);
        m_record.state = ExchangeState::WriteImage;
        m_link.nextWriteIsPayload();
        m_link.write(QByteArray(1, image.at(m_sendCursor++)));
        return;
    }
    arm(1, ChecksumTicks);
    m_record.state = ExchangeState::AwaitChecksumAck;
    m_link.nextWriteIsPayload();
    m_link.write(QByteArray(1, static_cast<char>(m_host.images().checksum)));
}

void DeviceExchange::checksumAcknowledged(char reply) {
    if (reply != Ack || !lineStaysClean())
        return programmingFailed();
    // The device commits only a checksum it accepted; whether this ACK was its answer
    // shows only if nothing follows it.
    arm(1, QuietTicks);
    m_record.state = ExchangeState::AwaitQuietLine;
}

void DeviceExchange::writeDone() {
    finish();
    transferred(m_record.factoryReset ? TransferKind::FactoryReset : TransferKind::Programmed,
                m_host.images().working(m_host.document().deviceType()));
    m_dialogs.closeTransfer();
    m_dialogs.showMessage(
        MessageDialog::ProgErgebnis, QStringLiteral("Konfiguration Programmieren"),
        {QString(), QStringLiteral("Das Programmieren der Konfiguration war erfolgreich.")});
    end(ExchangeResult::Ok);
}

void DeviceExchange::loaderPrompt(char reply) {
    const DeviceType type = m_host.document().deviceType();
    if (!isDefinedDeviceType(type) || reply != deviceProfile(type).loaderTypeByte)
        return arm(1, LoaderTicks); // the bytes still in may hold it
    ask(ExchangeState::AwaitLoaderReady, "<", 1, LoaderTicks);
}

void DeviceExchange::loaderReady(char reply) {
    if (reply != 'L')
        return arm(1, LoaderTicks);
    m_host.stopFirmwareStartTimer();
    m_link.post(MsgLoaderReady);
    end(ExchangeResult::Ok);
}

bool DeviceExchange::transferred(TransferKind kind, const QByteArray& image) {
    return m_host.imageTransferred(
        {kind, m_host.document().deviceType(), m_record.deviceText, m_record.portInUse, image});
}

void DeviceExchange::backupFailed() {
    if (m_dialogs.askWarningDefaultNo(QStringLiteral("Warnung"), NoBackupQuestion) ==
        DialogResult::Yes)
        return writeImage();
    finish();
    m_link.disarm();
    m_dialogs.closeTransfer();
    end(ExchangeResult::NoBackup);
}

void DeviceExchange::readFailed() {
    m_dialogs.closeTransfer();
    m_dialogs.showMessage(
        MessageDialog::Error, TransferErrorCaption,
        {QStringLiteral("Fehler!"), QStringLiteral("Fehler beim Auslesen der Telefonanlage.")});
    end(ExchangeResult::BadImage);
}

void DeviceExchange::programmingFailed() {
    // The device keeps its configuration: it commits only a checksum it accepted.
    finish();
    m_dialogs.closeTransfer();
    m_dialogs.showMessage(MessageDialog::Error, TransferErrorCaption,
                          {QStringLiteral("Fehler!"),
                           QStringLiteral("Fehler beim Programmieren der Telefonanlage.")});
    end(ExchangeResult::DeviceRefused);
}

void DeviceExchange::notRecognised() {
    // The search closes the port and probes the next one once this event has returned.
    atRest();
    m_link.post(MsgDeviceNotRecognised);
}

void DeviceExchange::timeoutFailed() {
    if (std::exchange(m_backupRead, false)) {
        atRest();
        return backupFailed();
    }
    finish();
    m_dialogs.closeTransfer();
    // A device that stopped answering during the search would otherwise leave the
    // search window up with its buttons disabled and no way to close it.
    m_dialogs.closeSearch();
    m_dialogs.showMessage(MessageDialog::Error, QStringLiteral("Timeout-Fehler"),
                          {QStringLiteral("Zeitüberschreitung!"),
                           QStringLiteral("Fehler bei der Datenübertragung.")});
    end(ExchangeResult::NoAnswer);
}

void DeviceExchange::transferWindowClosed() {
    // The exchange closes the window itself once it has stopped waiting; a close while
    // it waits is the user's.
    const bool underWay = m_record.state != ExchangeState::Idle;
    finish();
    m_link.disarm();
    if (m_link.isOpen()) {
        m_link.discardInput();
        m_link.discardOutput();
    }
    if (underWay)
        end(ExchangeResult::Cancelled);
}

} // namespace talvaro
