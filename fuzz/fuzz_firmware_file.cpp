// Firmware files (".efw") of any content: the hex text parser, the record chain, the
// CRC and the decryption under every key set, as the firmware dialog checks a file.
#include "firmware/Decryptfw.h"
#include "firmware/FirmwareRecords.h"
#include "firmware/HexStream.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace talvaro;

namespace {

struct Parsed {
    std::vector<quint8> bytes;
    bool overflow = false;
};

Parsed parse(const QByteArray& text, qsizetype capacity) {
    QBuffer in;
    in.setData(text);
    in.open(QIODevice::ReadOnly);
    Parsed parsed;
    // Every byte takes at least one character, so the buffer can be as short as the text:
    // a parser writing past what it reports then hits the end of the allocation.
    parsed.bytes.resize(static_cast<size_t>(std::min(capacity, text.size())));
    const HexStreamResult result = parseHexStream(in, parsed.bytes.data(), capacity);
    if (result.count < 0 || result.count > capacity)
        __builtin_trap();
    parsed.bytes.resize(static_cast<size_t>(result.count));
    parsed.overflow = result.overflow;
    return parsed;
}

// A smaller buffer stores a prefix of the same bytes and reports what did not fit.
void checkBoundedParse(const QByteArray& text, const Parsed& full) {
    const qsizetype capacity = static_cast<qsizetype>(text.size() % 7);
    const Parsed bounded = parse(text, capacity);
    const bool fits = static_cast<qsizetype>(full.bytes.size()) <= capacity;
    if (bounded.overflow == fits)
        __builtin_trap();
    if (!std::equal(bounded.bytes.begin(), bounded.bytes.end(), full.bytes.begin()))
        __builtin_trap();
    if (fits && bounded.bytes != full.bytes)
        __builtin_trap();
}

bool loadThroughFile(TDecryptFirmware& decrypt, const QByteArray& text) {
    // loadFile reads a named file; one scratch file serves every run, in memory where
    // the system offers it.
    static QTemporaryFile scratch(
        QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/fuzz_firmware_file")
            : QDir::temp().filePath(QStringLiteral("fuzz_firmware_file")));
    if (!scratch.isOpen() && !scratch.open())
        __builtin_trap();
    scratch.resize(0);
    scratch.seek(0);
    if (scratch.write(text) != text.size() || !scratch.flush())
        __builtin_trap();
    return decrypt.loadFile(scratch.fileName());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const Parsed full = parse(text, TDecryptFirmware::StreamCapacity);
    checkBoundedParse(text, full);
    const bool wellFormed =
        isWellFormedStream(full.bytes.data(), static_cast<qsizetype>(full.bytes.size()));

    // The dialog keeps one checker for all its files: what came before must not matter.
    // Checking the named file and checking its content must agree.
    static TDecryptFirmware reused;
    const bool accepted = loadThroughFile(reused, text);
    TDecryptFirmware fresh;
    if (fresh.loadContent(text) != accepted)
        __builtin_trap();
    if (accepted) {
        if (reused.fileDeviceType() != fresh.fileDeviceType())
            __builtin_trap();
        if (reused.fileDeviceType() < 0 || reused.fileDeviceType() > int(HighestDeviceType))
            __builtin_trap();
        // The transfer sends only well-formed streams; an accepted file must be one.
        if (!wellFormed || full.overflow)
            __builtin_trap();
    }
    return 0;
}
