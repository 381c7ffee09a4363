// talvaro-bench-firmware: how long the check of the largest acceptable firmware file
// takes, and how fast our own AES-256-CBC decrypts beside OpenSSL's on the same data.
// The file (393214 bytes of hex text) is made for type 7, so the key sets of types 0
// to 6 are tried and fail first, as they would for a real Quenta 26x file.
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Median milliseconds of `runs` calls.
double timeMs(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    return median(ms);
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

    const double loadMs = timeMs(runs, [&] { decrypt.loadFile(path); });

    // Decryption alone, the whole chain at once, on copies of the same ciphertext.
    QByteArray work;
    AesDecryptor aes;
    aes.setKey(keys.key.data(), FirmwareKeyLength);
    const double oursMs = timeMs(runs, [&] {
        work = file.ciphertext;
        quint8 chain[AesBlockSize];
        std::memcpy(chain, keys.iv.data(), AesBlockSize);
        cbcDecrypt(aes, reinterpret_cast<quint8*>(work.data()), work.size(), chain);
    });
    const QByteArray ours = work;
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    const double opensslMs = timeMs(runs, [&] {
        work = file.ciphertext;
        int written = 0;
        EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, keys.key.data(), keys.iv.data());
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
        EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(work.data()), &written,
                          reinterpret_cast<const unsigned char*>(file.ciphertext.constData()),
                          int(file.ciphertext.size()));
    });

    const qsizetype bytes = file.ciphertext.size();
    out << "firmware file:  " << file.text.size() << " bytes of hex text, " << Records
        << " records, type " << BenchType << " (types 0-6 tried first)\n";
    out << "loadFile:       median " << QString::number(loadMs, 'f', 2) << " ms over " << runs
        << " runs (well under 50 ms expected)\n";
    out << "AES-256-CBC:    ours " << QString::number(megabytesPerSecond(bytes, oursMs), 'f', 1)
        << " MB/s, OpenSSL " << QString::number(megabytesPerSecond(bytes, opensslMs), 'f', 1)
        << " MB/s on " << bytes << " bytes" << (ours == work ? "" : " (results DIFFER)")
        << Qt::endl;
#ifndef NDEBUG
    out << "(a debug build: an optimised build is several times faster)" << Qt::endl;
#endif
    return 0;
}
