// talvaro-bench-firmware: how long the check of the largest acceptable firmware file
// takes, and how fast our own AES-256-CBC decrypts beside OpenSSL's on the same data.
// The file (393214 bytes of hex text) is made for type 7, so the key sets of types 0
// to 6 are tried and fail first, as they would for a real Quenta 26x file.
#include "BenchStats.h"
#include "firmware/Aes.h"
#include "firmware/Crc16.h"
#include "firmware/Decryptfw.h"
#include "firmware/FirmwareKeys.h"
#include "firmware/FirmwareRecords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using namespace talvaro;

namespace {

constexpr DeviceType BenchType = 7;
constexpr int CipherPerRecord = RecordBufferSize - RecordHeaderSize - RecordCrcSize; // 272
constexpr int Records = 711;
constexpr int CrLfLines = 31; // 711 lines of 553 characters fall 31 short of the limit

QTextStream out(stdout);

struct BenchFile {
    QByteArray text;
    QByteArray plaintext;
    QByteArray ciphertext; // all records' ciphertext, one CBC stream
};

// Encrypts with OpenSSL, chained over the whole file.
BenchFile makeFile(const FirmwareKeySet& keys) {
    QRandomGenerator random(7);
    QByteArray plain(qsizetype(Records) * CipherPerRecord, Qt::Uninitialized);
    for (int r = 0; r < Records; ++r) {
        char* record = plain.data() + qsizetype(r) * CipherPerRecord;
        std::memcpy(record, keys.signature.data(), keys.signature.size());
        for (int i = int(keys.signature.size()); i < CipherPerRecord; ++i)
            record[i] = static_cast<char>(random.bounded(256));
    }
    BenchFile file;
    file.plaintext = plain;
    file.ciphertext.resize(plain.size());
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    int written = 0;
    EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, keys.key.data(), keys.iv.data());
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(file.ciphertext.data()), &written,
                      reinterpret_cast<const unsigned char*>(plain.constData()), int(plain.size()));

    for (int r = 0; r < Records; ++r) {
        const QByteArray cipher =
            file.ciphertext.mid(qsizetype(r) * CipherPerRecord, CipherPerRecord);
        const quint16 length = CipherPerRecord + RecordCrcSize;
        const quint16 crc =
            crc16Umts(reinterpret_cast<const quint8*>(cipher.constData()), cipher.size());
        QByteArray record;
        record.append(char(length >> 8)).append(char(length)).append(cipher);
        record.append(char(crc >> 8)).append(char(crc));
        file.text += record.toHex().toUpper() + (r < CrLfLines ? "\r\n" : "\n");
    }
    return file;
}

// Milliseconds of each of `runs` calls of `work`; `prepare` runs untimed before each.
std::vector<double> timeMs(
    int runs, const std::function<void()>& work, const std::function<void()>& prepare = [] {}) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer clock;
        clock.start();
        work();
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    return ms;
}

double megabytesPerSecond(qsizetype bytes, double ms) {
    return ms > 0 ? bytes / 1e6 / (ms / 1e3) : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    args.setApplicationDescription(
        QStringLiteral("Times the check of the largest firmware file and the decryption."));
    args.addHelpOption();
    args.addOption({{QStringLiteral("n"), QStringLiteral("runs")},
                    QStringLiteral("Runs per measurement."),
                    QStringLiteral("N"),
                    QStringLiteral("21")});
    args.process(app);
    const int runs = std::max(1, args.value(QStringLiteral("runs")).toInt());

    const FirmwareKeySet keys = *firmwareKeySet(BenchType);
    const BenchFile file = makeFile(keys);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("largest.efw"));
    QFile efw(path);
    if (!efw.open(QIODevice::WriteOnly) || efw.write(file.text) != file.text.size())
        return out << "cannot write " << path << Qt::endl, 1;
    efw.close();

    TDecryptFirmware decrypt;
    if (file.text.size() != TDecryptFirmware::MaxFileSize || !decrypt.loadFile(path) ||
        decrypt.fileDeviceType() != int(BenchType))
        return out << "the bench file is not the largest acceptable type-7 file" << Qt::endl, 1;

    const std::vector<double> loadMs = timeMs(runs, [&] { decrypt.loadFile(path); });

    // Decryption alone: the same ciphertext, key and IV for both, the whole chain at once,
    // key set-up included. Ours decrypts in place, so each run starts from a fresh copy
    // made outside the timed part; OpenSSL writes to a buffer of its own.
    const qsizetype bytes = file.ciphertext.size();
    QByteArray ours(bytes, Qt::Uninitialized);
    AesDecryptor aes;
    const std::vector<double> oursMs = timeMs(
        runs,
        [&] {
            aes.setKey(keys.key.data(), FirmwareKeyLength);
            quint8 chain[AesBlockSize];
            std::memcpy(chain, keys.iv.data(), AesBlockSize);
            cbcDecrypt(aes, reinterpret_cast<quint8*>(ours.data()), bytes, chain);
        },
        [&] { std::memcpy(ours.data(), file.ciphertext.constData(), bytes); });

    QByteArray openssl(bytes, Qt::Uninitialized);
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    const std::vector<double> opensslMs = timeMs(runs, [&] {
        int written = 0;
        EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, keys.key.data(), keys.iv.data());
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
        EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(openssl.data()), &written,
                          reinterpret_cast<const unsigned char*>(file.ciphertext.constData()),
                          int(bytes));
    });
    if (ours != file.plaintext || openssl != file.plaintext)
        return out << "a decryption gave the wrong plaintext" << Qt::endl, 1;

    const double oursRate = megabytesPerSecond(bytes, bench::median(oursMs));
    const double opensslRate = megabytesPerSecond(bytes, bench::median(opensslMs));
    const QByteArray cpuMask = qgetenv("OPENSSL_ia32cap");
    out << "firmware file:  " << file.text.size() << " bytes of hex text, " << Records
        << " records, type " << BenchType << " (types 0-6 tried first)\n";
    out << "loadFile:       median " << QString::number(bench::median(loadMs), 'f', 2)
        << " ms, p90 " << QString::number(bench::percentile90(loadMs), 'f', 2) << " ms over "
        << runs << " runs\n";
    out << "AES-256-CBC:    " << bytes << " bytes, same key, IV and ciphertext, " << runs
        << " runs; both results equal the plaintext\n";
    out << "  ours          " << QString::number(oursRate, 'f', 1) << " MB/s (median "
        << QString::number(bench::median(oursMs), 'f', 3) << " ms)\n";
    out << "  OpenSSL       " << QString::number(opensslRate, 'f', 1) << " MB/s (median "
        << QString::number(bench::median(opensslMs), 'f', 3) << " ms)"
        << (cpuMask.isEmpty() ? QString() : QStringLiteral(", OPENSSL_ia32cap=") + cpuMask) << "\n";
    out << "  OpenSSL/ours  " << QString::number(oursRate > 0 ? opensslRate / oursRate : 0, 'f', 1)
        << " x" << Qt::endl;
#ifndef NDEBUG
    out << "(a debug build: an optimised build is several times faster)" << Qt::endl;
#endif
    return 0;
}
