// The exchange with the telephone system, driven by a script: user commands (read,
// program, factory reset, firmware start), then answers, broken answers, refusals, spare
// bytes, late answers and time-outs in whatever state the exchange is in. Nothing may
// crash, no window may be left waiting for an exchange that has stopped, an exchange
// that has ended is back at Idle, no question goes out before what came earlier was
// discarded, and a write with bytes nobody asked for never ends in success.
#include "ExchangeRig.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

using namespace talvaro;

namespace {

enum class Step {
    Read,
    Program,
    FactoryReset,
    FirmwareStart,
    FirmwareTimer,
    FirmwareDialogClosed,
    RawAnswer,
    FittingAnswer,
    FittingAnswers,
    Timeout,
    SpareBytes,
    LateAnswer,
    kMaxValue = LateAnswer
};

constexpr size_t LongestLine = 40;
constexpr int MostSpareBytes = 80; // more than an image and its checksum
constexpr char Nak = '\x15';

const QString ReadCaption = QStringLiteral("Konfiguration Auslesen");
const QString ProgramCaption = QStringLiteral("Konfiguration Programmieren");

class Run {
public:
    explicit Run(FuzzedDataProvider& input) : m_input(input) {
        m_rig.dialogs.answer = [this](int count) {
            return m_input.ConsumeIntegralInRange(0, count - 1);
        };
        m_rig.dialogs.onMessage = [this](MessageDialog which, const QString& caption) {
            messageShown(which, caption);
        };
        m_rig.link.immediate = [this](const QByteArray& packet) {
            noteDelivery(packet);
            m_immediate = true;
            const bool taken = m_rig.exchange.DataPacket1Immediate(packet);
            m_immediate = false;
            return taken;
        };
        m_rig.link.presentPorts = m_input.ConsumeIntegral<quint8>();
        m_rig.host.setDeviceType(m_input.ConsumeIntegralInRange<DeviceType>(0, HighestDeviceType));
        m_rig.host.document().updateTitle();
    }

    void step(Step step) {
        m_stateBefore = ExchangeState::Idle;
        if (!m_rig.exchange.running())
            m_strayInWrite = false;
        switch (step) {
        case Step::Read:
        case Step::Program:
            if (userCanClick())
                m_rig.commands.UpDownloadExecute(step == Step::Read ? ExchangeOperation::Read
                                                                    : ExchangeOperation::Program);
            break;
        case Step::FactoryReset:
            if (userCanClick())
                m_rig.commands.WerkseinstellungExecute();
            break;
        case Step::FirmwareStart:
            firmwareStart();
            break;
        case Step::FirmwareTimer: // what the firmware update does when its timer runs out
            if (m_rig.firmwareTimerRunning) {
                m_rig.firmwareTimerRunning = m_awaitingLoader = false;
                m_rig.exchange.abandonLoaderHandshake(ExchangeResult::NoAnswer);
                m_firmwareMessage = true;
                m_rig.dialogs.showMessage(MessageDialog::Error, QStringLiteral("Fehler"), {});
                m_firmwareMessage = false;
            }
            break;
        case Step::FirmwareDialogClosed: // the user gives up waiting for the loader
            if (m_awaitingLoader) {
                m_rig.firmwareTimerRunning = m_awaitingLoader = false;
                m_rig.exchange.abandonLoaderHandshake(ExchangeResult::Cancelled);
            }
            m_firmwareDialog = false;
            break;
        case Step::RawAnswer:
        case Step::FittingAnswer:
            if (m_rig.link.armed && m_rig.link.isOpen())
                arrive(step == Step::FittingAnswer ? fittingAnswer() : rawAnswer());
            break;
        case Step::FittingAnswers:
            // A device that keeps answering as asked, e.g. through a whole write.
            for (int n = m_input.ConsumeIntegralInRange(1, 200); n > 0; --n) {
                if (!m_rig.link.armed || !m_rig.link.isOpen())
                    break;
                arrive(fittingAnswer(true));
                settle();
            }
            break;
        case Step::Timeout:
            if (m_rig.link.armed) {
                m_rig.link.expire();
                m_rig.exchange.DataPacket1Timeout();
            }
            break;
        case Step::SpareBytes:
            // An echo, a glitch or a burst behind an answer, or on a line nobody asked.
            if (m_rig.link.isOpen())
                spareBytes();
            break;
        case Step::LateAnswer:
            // The answer comes after its time-out.
            if (m_rig.link.armed && m_rig.link.isOpen()) {
                const QByteArray answer = fittingAnswer();
                m_rig.link.expire();
                m_rig.exchange.DataPacket1Timeout();
                arrive(answer);
            }
            break;
        }
        settle();
        checkWindows();
    }

private:
    // The main window takes commands only while no modal window is up.
    bool userCanClick() const {
        return !m_rig.dialogs.searchShowing && !m_rig.dialogs.transferShowing && !m_firmwareDialog;
    }

    void firmwareStart() {
        if (!(userCanClick() || (m_firmwareDialog && !m_awaitingLoader)))
            return;
        m_firmwareDialog = true;
        if (!m_rig.link.isOpen() && !m_rig.link.open())
            return;
        m_awaitingLoader = m_rig.firmwareTimerRunning = m_rig.exchange.beginLoaderHandshake();
    }

    // Whatever bytes, in the shape the matcher delivers for the armed request.
    QByteArray rawAnswer() {
        const int count = m_rig.link.armedCount;
        if (count > 0) {
            QByteArray bytes = QByteArray::fromStdString(m_input.ConsumeBytesAsString(count));
            return bytes.leftJustified(count, '\0');
        }
        QByteArray line = QByteArray::fromStdString(m_input.ConsumeRandomLengthString(LongestLine));
        const qsizetype crlf = line.indexOf("\r\n");
        return (crlf < 0 ? line : line.left(crlf)) + "\r\n";
    }

    // What a device of some model would answer: its identity, ACK or NAK, the loader
    // bytes, or an image with a correct sum. `asked`: the one byte the step waits for.
    QByteArray fittingAnswer(bool asked = false) {
        const int count = m_rig.link.armedCount;
        if (count == 0) {
            const auto type = m_input.ConsumeIntegralInRange<DeviceType>(0, HighestDeviceType);
            return deviceProfile(type).identity.toLatin1() + "\r\n";
        }
        const char typeByte = deviceProfile(m_rig.host.document().deviceType()).loaderTypeByte;
        if (count == 1 && asked) {
            const ExchangeState state = m_rig.exchange.record().state;
            return QByteArray(1, state == ExchangeState::AwaitLoaderPrompt  ? typeByte
                                 : state == ExchangeState::AwaitLoaderReady ? 'L'
                                                                            : Ack);
        }
        if (count == 1) {
            const char replies[] = {Ack, Nak, 'L', typeByte};
            return QByteArray(1, m_input.PickValueInArray(replies));
        }
        QByteArray image = rawAnswer().left(count - 1);
        return image + char(imageChecksum(image));
    }

    void spareBytes() {
        const char spare = m_input.ConsumeBool() ? Ack : m_input.ConsumeIntegral<char>();
        const QByteArray bytes(m_input.ConsumeIntegralInRange(1, MostSpareBytes), spare);
        // Spare bytes behind a write's answer, or while the write waits for nothing, are
        // bytes the write never asked for.
        m_strayInWrite |= writing();
        arrive(m_rig.link.armed ? fittingAnswer() + bytes : bytes);
    }

    bool writing() const {
        const ExchangeState state = m_rig.exchange.record().state;
        return state == ExchangeState::AwaitWriteAck || state == ExchangeState::WriteImage ||
               state == ExchangeState::AwaitChecksumAck || state == ExchangeState::AwaitQuietLine;
    }

    // As one serial read brings them: the armed request takes its answer, through the
    // immediate hook first, the queue for what it declines.
    void arrive(const QByteArray& bytes) { m_rig.link.arrive(bytes); }

    void noteDelivery(const QByteArray& packet) {
        m_lastPacket = packet;
        m_workingBefore = m_rig.host.images().working(m_rig.host.document().deviceType());
        m_stateBefore = m_rig.exchange.record().state;
    }

    // The event loop runs: queued packets, then the window's notifications, until
    // neither is left.
    void settle() {
        while (!m_rig.link.queued.isEmpty() || !m_rig.link.posted.isEmpty()) {
            if (!m_rig.link.queued.isEmpty()) {
                const FuzzLink::Queued next = m_rig.link.queued.takeFirst();
                if (m_rig.link.current(next)) {
                    noteDelivery(next.packet);
                    m_rig.exchange.DataPacket1Packet(next.packet);
                }
                continue;
            }
            handlePosted();
        }
    }

    // The window handles its notifications once the event has returned.
    void handlePosted() {
        while (!m_rig.link.posted.isEmpty()) {
            const QEvent::Type message = m_rig.link.posted.takeFirst();
            if (message == MsgDeviceNotRecognised) {
                m_rig.search.deviceNotRecognised();
            } else if (message == MsgLoaderReady && m_awaitingLoader) {
                m_awaitingLoader = m_firmwareDialog = false;
                m_rig.link.close();
                m_rig.search.startSearch(ExchangeOperation::Read);
            }
        }
    }

    // A window waiting for the exchange must have a request under way that ends it.
    void checkWindows() {
        if (m_rig.dialogs.searchShowing && !m_rig.link.armed)
            __builtin_trap();
        if (m_rig.dialogs.transferShowing && !m_rig.link.armed)
            __builtin_trap();
        const ImageBuffers& b = m_rig.host.images();
        if (b.fourWorking.size() != 60 || b.fourDeviceCopy.size() != 60 ||
            b.sixWorking.size() != 76 || b.sixDeviceCopy.size() != 76)
            __builtin_trap();
    }

    void messageShown(MessageDialog which, const QString& caption) {
        // Modal windows open with the matcher at rest and the progress window closed,
        // never from inside the serial read.
        if (m_rig.link.armed || m_rig.dialogs.transferShowing || m_rig.dialogs.searchShowing ||
            m_immediate)
            __builtin_trap();
        const ExchangeState state = m_rig.exchange.record().state;
        // The results and errors of an exchange show once it has ended.
        const bool ending = which == MessageDialog::Ergebnis ||
                            which == MessageDialog::ProgErgebnis ||
                            (which == MessageDialog::Error && !m_firmwareMessage);
        if (ending && state != ExchangeState::Idle)
            __builtin_trap();
        const bool loader =
            state == ExchangeState::AwaitLoaderPrompt || state == ExchangeState::AwaitLoaderReady;
        if (loader && !m_firmwareMessage)
            __builtin_trap(); // only the firmware start timer ends the handshake
        const DeviceType type = m_rig.host.document().deviceType();
        const QByteArray& working = m_rig.host.images().working(type);
        if (which == MessageDialog::Ergebnis && caption == ReadCaption) {
            // What the device sent, with its sum, is now the working image.
            if (m_lastPacket != working + char(imageChecksum(working)))
                __builtin_trap();
        }
        if (which == MessageDialog::Error && m_stateBefore == ExchangeState::ReadImage &&
            working != m_workingBefore)
            __builtin_trap(); // a failed read keeps the image
        if (which == MessageDialog::ProgErgebnis && caption == ProgramCaption) {
            if (m_strayInWrite)
                __builtin_trap(); // some ACK may have answered nothing the program sent
            // The device got the write command, every image byte and their sum.
            const QByteArray sent =
                m_rig.host.document().writeCommand() + working + char(imageChecksum(working));
            if (!m_rig.link.written.endsWith(sent) ||
                m_rig.host.images().checksum != imageChecksum(working))
                __builtin_trap();
        }
    }

    FuzzedDataProvider& m_input;
    ExchangeRig m_rig;
    bool m_firmwareDialog = false;
    bool m_awaitingLoader = false;
    bool m_firmwareMessage = false;
    bool m_immediate = false;    // inside the matcher's immediate hook
    bool m_strayInWrite = false; // bytes nobody asked for came during the running write
    QByteArray m_lastPacket;
    QByteArray m_workingBefore;
    ExchangeState m_stateBefore = ExchangeState::Idle; // of a packet delivered in this step
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    Run run(input);
    while (input.remaining_bytes() > 0)
        run.step(input.ConsumeEnum<Step>());
    return 0;
}
