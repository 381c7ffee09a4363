// The exchange state machine driven by hand through a fake link and host.
#include "LinkFakes.h"
#include "link/DeviceExchange.h"
#include "link/DeviceText.h"

#include <QTest>

#include <algorithm>

using namespace talvaro;

namespace {

const QString Timeout = QStringLiteral("Timeout-Fehler");
const QString TransferError = QStringLiteral("Übertragungsfehler");

QByteArray line(const QByteArray& text) {
    return text + "\r\n";
}

QByteArray withSum(const QByteArray& image, int offset = 0) {
    return image + static_cast<char>(imageChecksum(image) + offset);
}

} // namespace

class TestDeviceExchange : public QObject {
    Q_OBJECT

    struct Rig {
        explicit Rig(DeviceType type = 5)
            : host(type), dialogs(host.calls), exchange(link, host, dialogs) {
            link.setPortNumber(3);
            link.present.insert(3);
            link.open();
            link.log.clear();
        }
        // The state a search leaves behind once it has asked "T\r" on the port.
        void identifying(ExchangeOperation op = ExchangeOperation::Read) {
            exchange.beginSearch(op);
            exchange.beginIdentification();
            forget();
        }
        void acks(int n) {
            for (int i = 0; i < n; ++i)
                exchange.DataPacket1Packet(QByteArray(1, Ack));
        }
        // As the matcher hands a packet over: the immediate hook first, then the queue.
        void deliver(const QByteArray& packet) {
            if (!exchange.DataPacket1Immediate(packet))
                exchange.DataPacket1Packet(packet);
        }
        // Drives the exchange into `state` the way the program does, then forgets the
        // traffic on the way. False when the state was not reached.
        bool reach(ExchangeState state) {
            using S = ExchangeState;
            if (state >= S::Identify && state <= S::AwaitVersion)
                identifying();
            if (state == S::AwaitName || state == S::AwaitVersion)
                exchange.DataPacket1Packet(line("Mirello 16"));
            if (state == S::AwaitVersion)
                exchange.DataPacket1Packet(line("Name"));
            if (state == S::ReadImage)
                exchange.beginRead();
            const int imageAcks = int(host.doc.imageLength()) + 1;
            if ((state >= S::AwaitWriteAck && state <= S::AwaitChecksumAck) ||
                state == S::AwaitQuietLine)
                exchange.beginWrite();
            if (state == S::WriteImage)
                acks(1);
            if (state == S::AwaitChecksumAck || state == S::AwaitQuietLine)
                acks(state == S::AwaitChecksumAck ? imageAcks : imageAcks + 1);
            if (state == S::AwaitLoaderPrompt || state == S::AwaitLoaderReady)
                exchange.beginLoaderHandshake();
            if (state == S::AwaitLoaderReady)
                exchange.DataPacket1Packet(
                    QByteArray(1, deviceProfile(host.doc.deviceType()).loaderTypeByte));
            forget();
            return exchange.record().state == state;
        }
        void forget() {
            link.log.clear();
            link.written.clear();
            host.calls.clear();
        }
        FakeLink link;
        FakeHost host;
        RecordingDialogs dialogs;
        DeviceExchange exchange;
    };

private slots:
    void answerTextKeepsPrintableBytesOnly();
    void identityComparison_data();
    void identityComparison();
    void siblingSwitchesTypeBeforeNameQuestion();
    void nameVersionAndStatusBar();
    void noiseAsNameIsShownCut();
    void missingNameStillIdentifies();
    void readImage_data();
    void readImage();
    void programSendsEveryByteThenChecksum();
    void refusalEndsWriteAtThatByte_data();
    void refusalEndsWriteAtThatByte();
    void answersAtEachStep_data();
    void answersAtEachStep();
    void loaderHandshake();
    void loaderIgnoresOtherBytes_data();
    void loaderIgnoresOtherBytes();
    void packetWhileIdleIsIgnored();
    void closingTransferWindowStopsExchange();
    void immediateTakesOnlyImageByteAcks_data();
    void immediateTakesOnlyImageByteAcks();
};

void TestDeviceExchange::answerTextKeepsPrintableBytesOnly() {
    QCOMPARE(DeviceExchange::answerText(QByteArray("Mi\x00rel\x7Flo\x80 16\xff\r\n", 15)),
             QStringLiteral("Mirello 16"));
    QCOMPARE(DeviceExchange::answerText(" ~\x1f"), QStringLiteral(" ~"));
}

void TestDeviceExchange::identityComparison_data() {
    QTest::addColumn<uint>("edited");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("becomes"); // -1: not recognised

    QTest::newRow("own identity") << 5u << line("Mirello 16") << 5;
    QTest::newRow("NUL inside") << 5u << QByteArray("Mirello\0 16\r\n", 13) << 5;
    QTest::newRow("trailing blank") << 5u << line("Mirello 16 ") << -1;
    QTest::newRow("other case") << 5u << line("mirello 16") << -1;
    QTest::newRow("sibling 26x") << 5u << line("Quenta 26x") << 7;
    QTest::newRow("sibling 16 from 7") << 7u << line("Mirello 16") << 5;
    QTest::newRow("14TS from 14") << 2u << line("Mirello 14TS") << 3;
    QTest::newRow("other family") << 5u << line("Mirello 14") << -1;
    QTest::newRow("0 stands alone") << 0u << line("Quenta 14") << -1;
    QTest::newRow("undefined type") << 9u << line("Vorda 12") << -1;
}

void TestDeviceExchange::identityComparison() {
    QFETCH(uint, edited);
    QFETCH(QByteArray, answer);
    QFETCH(int, becomes);
    Rig rig(edited);
    rig.identifying();
    rig.exchange.DataPacket1Packet(answer);
    if (becomes < 0) {
        QCOMPARE(rig.link.posted, QList<QEvent::Type>{MsgDeviceNotRecognised});
        QCOMPARE(rig.exchange.record().state, ExchangeState::Idle);
        QVERIFY(rig.link.logged("write").isEmpty());
        QCOMPARE(rig.host.doc.deviceType(), DeviceType(edited));
    } else {
        QVERIFY(rig.link.posted.isEmpty());
        QCOMPARE(rig.host.doc.deviceType(), DeviceType(becomes));
        QCOMPARE(rig.link.log, (QStringList{"discard input", "arm line 12", "write C%0D"}));
        QCOMPARE(rig.exchange.record().state, ExchangeState::AwaitName);
        QCOMPARE(rig.exchange.record().deviceText, DeviceExchange::answerText(answer));
    }
}

void TestDeviceExchange::siblingSwitchesTypeBeforeNameQuestion() {
    Rig rig(5);
    rig.identifying();
    rig.link.log.clear();
    rig.exchange.DataPacket1Packet(line("Quenta 26x"));
    QCOMPARE(rig.host.calls, QStringList{"setDeviceType 7"});
    rig.exchange.DataPacket1Packet(line("Name"));
    rig.exchange.DataPacket1Packet(line("1.0"));
    QCOMPARE(rig.link.logged("write").last(), QStringLiteral("write R0000,4c%0D"));
    QCOMPARE(rig.link.armedCount(), 77);
    QCOMPARE(rig.link.armedTicks(), 18);
}

void TestDeviceExchange::nameVersionAndStatusBar() {
    Rig rig(6);
    rig.identifying();
    rig.dialogs.searchShowing = true;
    rig.exchange.DataPacket1Packet(line("Quenta 26"));
    rig.exchange.DataPacket1Packet(line("Anlage\x01 Nord"));
    QCOMPARE(rig.exchange.record().deviceText, QStringLiteral("Anlage Nord"));
    QVERIFY(rig.host.status[0].isEmpty()); // shown only once the version is known
    rig.exchange.DataPacket1Packet(line("3.1b"));
    QCOMPARE(rig.host.status[0], QStringLiteral("Anlage Nord - Firmware 3.1b"));
    QCOMPARE(rig.host.status[1], QStringLiteral("Verwendeter COM-Port: COM3"));
    QCOMPARE(rig.exchange.record().portInUse, quint16(3));
    QVERIFY(!rig.dialogs.searchShowing);
    QCOMPARE(rig.link.log.mid(6),
             (QStringList{"discard input", "arm bytes 77 18", "write R0000,4c%0D"}));
    QCOMPARE(rig.exchange.record().state, ExchangeState::ReadImage);
}

void TestDeviceExchange::noiseAsNameIsShownCut() {
    Rig rig(5);
    rig.identifying();
    rig.exchange.DataPacket1Packet("Mirello 16\r\n");
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 256);
    rig.exchange.DataPacket1Packet(noise);
    rig.exchange.DataPacket1Packet(line("2.04"));
    const QString name = DeviceExchange::answerText(noise);
    QCOMPARE(rig.exchange.record().deviceText, name + " - Firmware 2.04"); // kept whole
    const QString shown = rig.host.status[0];
    QCOMPARE(shown, name.left(ShownDeviceTextLength - 1) + QChar(0x2026) + " - Firmware 2.04");
    QVERIFY(std::all_of(shown.begin(), shown.end(), [](QChar c) { return c.isPrint(); }));
}

void TestDeviceExchange::missingNameStillIdentifies() {
    Rig rig(5);
    rig.identifying(ExchangeOperation::Program);
    rig.exchange.DataPacket1Packet(line("Mirello 16"));
    rig.link.log.clear();
    rig.exchange.DataPacket1Timeout();
    QCOMPARE(rig.link.log, (QStringList{"discard input", "arm line 12", "write V%0D"}));
    rig.exchange.DataPacket1Packet(line("2.0"));
    QCOMPARE(rig.host.status[0], QStringLiteral("Mirello 16 - Firmware 2.0"));
    // Program after identification: the editor is encoded, then the write command goes.
    QCOMPARE(rig.host.calls, QStringList{"encodeImage"});
    QCOMPARE(rig.link.logged("write").last(), QStringLiteral("write W0000,4c%0D"));
    QCOMPARE(rig.exchange.record().state, ExchangeState::AwaitWriteAck);
}

void TestDeviceExchange::readImage_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("sumOffset");

    QTest::newRow("six") << 5u << sim::SimDevice::patternImage(76) << 0;
    QTest::newRow("sum wraps: 60 x 0xFF") << 0u << QByteArray(60, '\xff') << 0;
    QTest::newRow("sum off by one") << 5u << sim::SimDevice::patternImage(76) << 1;
    QTest::newRow("sum off by minus one") << 2u << QByteArray(60, '\xff') << -1;
}

void TestDeviceExchange::readImage() {
    QFETCH(uint, type);
    QFETCH(QByteArray, image);
    QFETCH(int, sumOffset);
    Rig rig(type);
    const QByteArray before = rig.host.buffers.working(type);
    rig.exchange.beginRead();
    if (type == 0)
        QCOMPARE(withSum(image).back(), '\xc4');
    if (sumOffset == 0)
        rig.dialogs.expect(QStringLiteral("ErgebnisDialog"), DialogResult::Ok);
    else
        rig.dialogs.expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    rig.exchange.DataPacket1Packet(withSum(image, sumOffset));
    QVERIFY(rig.dialogs.allAnswered());
    QCOMPARE(rig.host.buffers.deviceCopy(type), image);
    if (sumOffset == 0) {
        QCOMPARE(rig.host.buffers.working(type), image);
        QCOMPARE(rig.host.calls,
                 (QStringList{"dialog Konfiguration Auslesen", "decodeImage", "updateTitle"}));
        QCOMPARE(rig.host.decodedImage, image);
        QCOMPARE(rig.dialogs.shown.last().lines,
                 (QStringList{"", "Das Auslesen der Konfiguration war erfolgreich."}));
    } else {
        QCOMPARE(rig.host.buffers.working(type), before);
        QCOMPARE(rig.host.calls, QStringList{"dialog " + TransferError});
        QCOMPARE(rig.dialogs.shown.last().lines,
                 (QStringList{"Fehler!", "Fehler beim Auslesen der Telefonanlage."}));
    }
    QCOMPARE(rig.exchange.record().state, ExchangeState::Idle);
}

void TestDeviceExchange::programSendsEveryByteThenChecksum() {
    Rig rig(0);
    rig.host.editorImage = sim::SimDevice::patternImage(60);
    rig.exchange.beginWrite();
    QCOMPARE(rig.link.log, (QStringList{"discard input", "arm bytes 1 6", "write W0000,3c%0D"}));
    rig.link.written.clear();
    rig.acks(60);
    QCOMPARE(rig.link.written, rig.host.editorImage);
    QCOMPARE(rig.link.armedTicks(), 6);
    rig.acks(1);
    QCOMPARE(rig.link.written.back(), static_cast<char>(imageChecksum(rig.host.editorImage)));
    QCOMPARE(rig.link.armedTicks(), 36);
    QCOMPARE(rig.exchange.record().state, ExchangeState::AwaitChecksumAck);
    rig.dialogs.transferShowing = true;
    rig.acks(1);
    // Done only once the line has stayed quiet for a tick after the last ACK.
    QCOMPARE(rig.link.armedTicks(), 1);
    QVERIFY(rig.dialogs.shown.isEmpty());
    rig.dialogs.expect(QStringLiteral("ProgErgebnisDialog"), DialogResult::Ok);
    rig.exchange.DataPacket1Timeout();
    QVERIFY(rig.dialogs.allAnswered());
    QVERIFY(!rig.dialogs.transferShowing);
    QCOMPARE(rig.dialogs.shown.last().caption, QStringLiteral("Konfiguration Programmieren"));
    QCOMPARE(rig.dialogs.shown.last().lines,
             (QStringList{"", "Das Programmieren der Konfiguration war erfolgreich."}));
    QCOMPARE(rig.link.written.size(), 61);
    QCOMPARE(rig.exchange.record().state, ExchangeState::Idle);
}

void TestDeviceExchange::refusalEndsWriteAtThatByte_data() {
    QTest::addColumn<int>("acksBefore");
    QTest::newRow("write command") << 0;
    QTest::newRow("third image byte") << 3;
    QTest::newRow("checksum") << 77;
}

void TestDeviceExchange::refusalEndsWriteAtThatByte() {
    QFETCH(int, acksBefore);
    Rig rig(5);
    rig.exchange.beginWrite();
    rig.acks(acksBefore);
    const QByteArray sent = rig.link.written;
    rig.dialogs.expect(QStringLiteral("ErrorDialog"), DialogResult::Ok);
    rig.exchange.DataPacket1Packet(QByteArray(1, '\x15'));
    QVERIFY(rig.dialogs.allAnswered());
    QCOMPARE(rig.dialogs.shown.last().caption, TransferError);
    QCOMPARE(rig.dialogs.shown.last().lines,
             (QStringList{"Fehler!", "Fehler beim Programmieren der Telefonanlage."}));
    QCOMPARE(rig.link.written, sent); // nothing after the refusal
    QVERIFY(!rig.link.armed());
    QCOMPARE(rig.exchange.record().state, ExchangeState::Idle);
}

// Each step's answer with a spare byte behind it, after its time-out, or not at all. Only
// a clean answer goes on; during a write a spare byte ends it as refused; after a
// time-out nothing goes out unless the step waits on.
void TestDeviceExchange::answersAtEachStep_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("fault");  // "spare", "late" or "missing"
    QTest::addColumn<QString>("dialog"); // caption, empty: none
    QTest::addColumn<int>("after");
    QTest::addColumn<QByteArray>("sent");

    using S = ExchangeState;
    const QString read = QStringLiteral("Konfiguration Auslesen");
    const QString programmed = QStringLiteral("Konfiguration Programmieren");
    const auto row = [](S state, const char* fault, const QString& dialog, S after,
                        const QByteArray& sent) {
        QTest::addRow("%d %s", int(state), fault)
            << int(state) << QString::fromLatin1(fault) << dialog << int(after) << sent;
    };
    row(S::Identify, "spare", {}, S::AwaitName, "C\r");
    row(S::Identify, "late", {}, S::Idle, {});
    row(S::Identify, "missing", {}, S::Idle, {});
    row(S::AwaitName, "spare", {}, S::AwaitVersion, "V\r");
    // A name later than its time-out answers the version question; it is only shown.
    row(S::AwaitName, "late", {}, S::ReadImage, "V\rR0000,4c\r");
    row(S::AwaitName, "missing", {}, S::AwaitVersion, "V\r");
    row(S::AwaitVersion, "spare", {}, S::ReadImage, "R0000,4c\r");
    row(S::AwaitVersion, "late", Timeout, S::Idle, {});
    row(S::AwaitVersion, "missing", Timeout, S::Idle, {});
    row(S::ReadImage, "spare", read, S::Idle, {});
    row(S::ReadImage, "late", Timeout, S::Idle, {});
    row(S::ReadImage, "missing", Timeout, S::Idle, {});
    for (const S write : {S::AwaitWriteAck, S::WriteImage, S::AwaitChecksumAck}) {
        row(write, "spare", TransferError, S::Idle, {});
        row(write, "late", Timeout, S::Idle, {});
        row(write, "missing", Timeout, S::Idle, {});
    }
    row(S::AwaitQuietLine, "spare", TransferError, S::Idle, {}); // the byte itself is spare
    row(S::AwaitQuietLine, "missing", programmed, S::Idle, {});
    row(S::AwaitLoaderPrompt, "spare", {}, S::AwaitLoaderReady, "<");
    row(S::AwaitLoaderPrompt, "late", {}, S::AwaitLoaderReady, "<"); // it still listens
    row(S::AwaitLoaderPrompt, "missing", {}, S::AwaitLoaderPrompt, {});
    row(S::AwaitLoaderReady, "spare", {}, S::Idle, {});
    row(S::AwaitLoaderReady, "late", {}, S::Idle, {});
    row(S::AwaitLoaderReady, "missing", {}, S::AwaitLoaderReady, {});
    row(S::Idle, "late", {}, S::Idle, {});
}

void TestDeviceExchange::answersAtEachStep() {
    QFETCH(int, state);
    QFETCH(QString, fault);
    QFETCH(QString, dialog);
    QFETCH(int, after);
    QFETCH(QByteArray, sent);
    Rig rig(5);
    rig.exchange.deviceFoundOn(2);
    QVERIFY(rig.reach(static_cast<ExchangeState>(state)));
    rig.dialogs.searchShowing = true;
    rig.dialogs.transferShowing = true;
    rig.dialogs.answerAnyWith(DialogResult::Ok);
    // What a device of type 5 answers, by state.
    const QByteArray ack(1, Ack);
    QByteArrayList answers{{}, line("Mirello 16"), line("Name"), line("2.04")};
    answers << withSum(sim::SimDevice::patternImage(76)) << ack << ack << ack << "!"
            << "L" << ack;
    const QByteArray answer = answers[state];
    if (fault == QLatin1String("spare")) {
        if (state != int(ExchangeState::AwaitQuietLine))
            rig.link.arrive(ack); // in the same read, behind the answer
        rig.deliver(answer);
    } else {
        rig.exchange.DataPacket1Timeout();
        // A late answer completes what the time-out armed again, or waits unasked.
        if (fault == QLatin1String("late") && rig.link.armed())
            rig.deliver(answer);
        else if (fault == QLatin1String("late"))
            rig.link.arrive(answer);
    }
    QCOMPARE(rig.dialogs.shown.size(), dialog.isEmpty() ? 0 : 1);
    if (!dialog.isEmpty())
        QCOMPARE(rig.dialogs.shown.last().caption, dialog);
    if (dialog == Timeout) {
        QCOMPARE(rig.dialogs.shown.last().lines,
                 (QStringList{"Zeitüberschreitung!", "Fehler bei der Datenübertragung."}));
        QVERIFY(!rig.dialogs.searchShowing);
        QCOMPARE(rig.exchange.record().portInUse, quint16(2)); // the next command tries again
    }
    if (dialog == Timeout || dialog == TransferError)
        QVERIFY(!rig.dialogs.transferShowing);
    QCOMPARE(rig.exchange.record().state, static_cast<ExchangeState>(after));
    QCOMPARE(rig.exchange.running(),
             after != int(ExchangeState::Idle) || state == int(ExchangeState::Identify));
    QCOMPARE(rig.link.written, sent);
}

void TestDeviceExchange::loaderHandshake() {
    Rig rig(6);
    rig.exchange.beginLoaderHandshake();
    QCOMPARE(rig.link.log, (QStringList{"discard input", "arm bytes 1 18", "write U%0D"}));
    rig.exchange.DataPacket1Packet(QByteArray(1, '\xa7'));
    QCOMPARE(rig.link.logged("write").last(), QStringLiteral("write <"));
    QCOMPARE(rig.exchange.record().state, ExchangeState::AwaitLoaderReady);
    rig.link.log.clear();
    rig.exchange.DataPacket1Packet("L");
    QCOMPARE(rig.host.calls, QStringList{"stopFirmwareStartTimer"});
    QCOMPARE(rig.link.posted, QList<QEvent::Type>{MsgLoaderReady});
    QCOMPARE(rig.link.log, QStringList{"post 1025"}); // stays disarmed
    QCOMPARE(rig.exchange.record().state, ExchangeState::Idle);
}

void TestDeviceExchange::loaderIgnoresOtherBytes_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<int>("state");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("byte of type 5 to type 6") << 6u << 8 << QByteArray("!");
    QTest::newRow("undefined type never matches") << 8u << 8 << QByteArray(">");
    QTest::newRow("not L") << 6u << 9 << QByteArray("l");
}

void TestDeviceExchange::loaderIgnoresOtherBytes() {
    QFETCH(uint, type);
    QFETCH(int, state);
    QFETCH(QByteArray, reply);
    Rig rig(type);
    QVERIFY(rig.reach(static_cast<ExchangeState>(state)));
    rig.exchange.DataPacket1Packet(reply);
    QCOMPARE(rig.link.log, QStringList{"arm bytes 1 18"});
    QCOMPARE(rig.exchange.record().state, static_cast<ExchangeState>(state));
    QVERIFY(rig.link.posted.isEmpty());
    QVERIFY(rig.dialogs.shown.isEmpty());
}

void TestDeviceExchange::packetWhileIdleIsIgnored() {
    Rig rig(5);
    rig.exchange.DataPacket1Packet(line("Mirello 16"));
    QVERIFY(rig.link.log.isEmpty());
    QVERIFY(rig.host.calls.isEmpty());
}

void TestDeviceExchange::closingTransferWindowStopsExchange() {
    Rig rig(5);
    rig.exchange.beginWrite();
    rig.link.log.clear();
    rig.dialogs.closeTransfer();
    QCOMPARE(rig.link.log, (QStringList{"disarm", "discard input", "discard output"}));
    rig.link.close();
    rig.link.log.clear();
    rig.dialogs.closeTransfer();
    QCOMPARE(rig.link.log, QStringList{"disarm"});
}

void TestDeviceExchange::immediateTakesOnlyImageByteAcks_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("acksBefore");
    QTest::addColumn<char>("reply");
    QTest::addColumn<int>("after"); // -1: not taken

    const auto write = int(ExchangeState::WriteImage);
    QTest::newRow("image byte: next byte") << write << 0 << Ack << write;
    QTest::newRow("last image byte: checksum")
        << write << 75 << Ack << int(ExchangeState::AwaitChecksumAck);
    QTest::newRow("image byte refused") << write << 0 << '\x15' << -1;
    QTest::newRow("write command") << int(ExchangeState::AwaitWriteAck) << 0 << Ack << -1;
    QTest::newRow("checksum") << int(ExchangeState::AwaitChecksumAck) << 0 << Ack << -1;
    QTest::newRow("idle") << int(ExchangeState::Idle) << 0 << Ack << -1;
}

// What the immediate hook takes sends on at once; the rest, which may end in a
// message window, is left for the queue untouched.
void TestDeviceExchange::immediateTakesOnlyImageByteAcks() {
    QFETCH(int, from);
    QFETCH(int, acksBefore);
    QFETCH(char, reply);
    QFETCH(int, after);
    Rig rig(5);
    QVERIFY(rig.reach(static_cast<ExchangeState>(from)));
    rig.acks(acksBefore);
    const QByteArray working = rig.host.buffers.working(5);
    rig.link.written.clear();
    const bool taken = rig.exchange.DataPacket1Immediate(QByteArray(1, reply));
    QCOMPARE(taken, after >= 0);
    QCOMPARE(rig.exchange.record().state, static_cast<ExchangeState>(taken ? after : from));
    QVERIFY(rig.dialogs.shown.isEmpty());
    const QByteArray next = after == from ? working.mid(acksBefore + 1, 1)
                                          : QByteArray(1, char(rig.host.buffers.checksum));
    QCOMPARE(rig.link.written, taken ? next : QByteArray());
}

QTEST_GUILESS_MAIN(TestDeviceExchange)
#include "test_device_exchange.moc"
