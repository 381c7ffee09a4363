// talvaro-efwgen: makes a firmware file (.efw) for one device type.
//
// Every record holds, encrypted with AES-256-CBC (one chain over the whole file), the
// type's signature and one loader command that writes a piece of the payload (command 3,
// 3-byte address, 2-byte count, data), ended by a zero byte and zero-filled to whole
// blocks. Each record is written as one line of hex: length, ciphertext, CRC-16.

#include "firmware/Crc16.h"
#include "firmware/FirmwareKeys.h"
#include "firmware/FirmwareRecords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>

#include <openssl/evp.h>

#include <cstdlib>
#include <memory>

using namespace talvaro;

namespace {

constexpr quint8 WriteCommand = 3;
constexpr int CommandHeaderSize = 6; // command, 3-byte address, 2-byte count
constexpr int MaxCipherSize = 272;   // 17 blocks fill the loader's record buffer
constexpr int MaxChunk = MaxCipherSize - FirmwareSignatureLength - CommandHeaderSize - 1;

[[noreturn]] void fail(const QString& message) {
    QTextStream(stderr) << "talvaro-efwgen: " << message << Qt::endl;
    std::exit(2);
}

QByteArray hexOption(const QCommandLineParser& args, const QString& name, int bytes) {
    const QByteArray text = args.value(name).toLatin1();
    const QByteArray value = QByteArray::fromHex(text);
    if (value.size() != bytes || value.toHex().compare(text, Qt::CaseInsensitive) != 0)
        fail(QStringLiteral("--%1 needs %2 hex digits").arg(name).arg(bytes * 2));
    return value;
}

QByteArray payload(const QCommandLineParser& args) {
    if (args.isSet(QStringLiteral("input"))) {
        QFile in(args.value(QStringLiteral("input")));
        if (!in.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot read %1").arg(in.fileName()));
        return in.readAll();
    }
    QByteArray data(args.value(QStringLiteral("size")).toInt(), Qt::Uninitialized);
    QRandomGenerator random(args.value(QStringLiteral("seed")).toUInt());
    for (char& c : data)
        c = static_cast<char>(random.bounded(256));
    return data;
}

// Plaintext of one record: signature, one write command, terminator, zero fill.
QByteArray recordPlaintext(const QByteArray& signature, quint32 address, const QByteArray& data) {
    QByteArray plain = signature;
    plain.append(static_cast<char>(WriteCommand));
    for (int shift : {16, 8, 0})
        plain.append(static_cast<char>(address >> shift));
    plain.append(static_cast<char>(data.size() >> 8));
    plain.append(static_cast<char>(data.size()));
    plain.append(data);
    plain.append('\0');
    const int blocks = (plain.size() + 15) / 16;
    plain.append(QByteArray(blocks * 16 - plain.size(), '\0'));
    return plain;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    args.setApplicationDescription(
        QStringLiteral("Writes a firmware file (.efw) for a device type. Without --key, --iv "
                       "and --signature the key set the program was built with is used."));
    args.addHelpOption();
    args.addOptions({
        {{QStringLiteral("t"), QStringLiteral("type")},
         QStringLiteral("Device type 0-7."),
         QStringLiteral("type")},
        {QStringLiteral("key"), QStringLiteral("AES-256 key, 64 hex digits."),
         QStringLiteral("hex")},
        {QStringLiteral("iv"), QStringLiteral("Initialisation vector, 32 hex digits."),
         QStringLiteral("hex")},
        {QStringLiteral("signature"), QStringLiteral("Signature, 8 hex digits."),
         QStringLiteral("hex")},
        {QStringLiteral("input"), QStringLiteral("Payload file (binary)."), QStringLiteral("file")},
        {QStringLiteral("size"), QStringLiteral("Random payload of this many bytes."),
         QStringLiteral("bytes"), QStringLiteral("1024")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the random payload."), QStringLiteral("n"),
         QStringLiteral("1")},
        {QStringLiteral("address"), QStringLiteral("Load address of the payload."),
         QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("chunk"), QStringLiteral("Payload bytes per record, 1-%1.").arg(MaxChunk),
         QStringLiteral("bytes"), QStringLiteral("256")},
        {QStringLiteral("lowercase"), QStringLiteral("Write lower-case hex digits.")},
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("Output file."),
         QStringLiteral("file")},
    });
    args.process(app);

    bool ok = false;
    const uint type = args.value(QStringLiteral("type")).toUInt(&ok);
    if (!ok || type > HighestDeviceType)
        fail(QStringLiteral("--type must be 0 to 7"));
    const int chunk = args.value(QStringLiteral("chunk")).toInt(&ok);
    if (!ok || chunk < 1 || chunk > MaxChunk)
        fail(QStringLiteral("--chunk must be 1 to %1").arg(MaxChunk));
    if (!args.isSet(QStringLiteral("output")))
        fail(QStringLiteral("--output is required"));

    const FirmwareKeySet built = *firmwareKeySet(type);
    auto fromTable = [](const auto& bytes) {
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    auto keyPart = [&](const QString& name, const auto& builtIn) {
        return args.isSet(name) ? hexOption(args, name, static_cast<int>(builtIn.size()))
                                : fromTable(builtIn);
    };
    const QByteArray key = keyPart(QStringLiteral("key"), built.key);
    const QByteArray iv = keyPart(QStringLiteral("iv"), built.iv);
    const QByteArray signature = keyPart(QStringLiteral("signature"), built.signature);

    const QByteArray data = payload(args);
    if (data.isEmpty())
        fail(QStringLiteral("the payload is empty"));
    quint32 address = args.value(QStringLiteral("address")).toUInt(&ok, 0);
    if (!ok)
        fail(QStringLiteral("--address is not a number"));

    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    if (!ctx ||
        EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr,
                           reinterpret_cast<const unsigned char*>(key.constData()),
                           reinterpret_cast<const unsigned char*>(iv.constData())) != 1 ||
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
        fail(QStringLiteral("cannot set up the cipher"));

    QFile out(args.value(QStringLiteral("output")));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("cannot write %1").arg(out.fileName()));
    for (qsizetype offset = 0; offset < data.size(); offset += chunk) {
        const QByteArray plain = recordPlaintext(signature, address, data.mid(offset, chunk));
        address += static_cast<quint32>(chunk);
        QByteArray record(RecordHeaderSize + plain.size() + RecordCrcSize, '\0');
        auto* bytes = reinterpret_cast<unsigned char*>(record.data());
        int written = 0;
        // The context keeps the chain from the last block: one CBC stream over the file.
        if (EVP_EncryptUpdate(ctx.get(), bytes + RecordHeaderSize, &written,
                              reinterpret_cast<const unsigned char*>(plain.constData()),
                              static_cast<int>(plain.size())) != 1 ||
            written != plain.size())
            fail(QStringLiteral("encryption failed"));
        const qsizetype length = plain.size() + RecordCrcSize;
        const quint16 crc = crc16Umts(bytes + RecordHeaderSize, plain.size());
        bytes[0] = static_cast<unsigned char>(length >> 8);
        bytes[1] = static_cast<unsigned char>(length);
        bytes[RecordHeaderSize + plain.size()] = static_cast<unsigned char>(crc >> 8);
        bytes[RecordHeaderSize + plain.size() + 1] = static_cast<unsigned char>(crc);
        QByteArray line = record.toHex();
        if (!args.isSet(QStringLiteral("lowercase")))
            line = line.toUpper();
        out.write(line + '\n');
    }
    if (!out.flush())
        fail(QStringLiteral("cannot write %1").arg(out.fileName()));
    return 0;
}
