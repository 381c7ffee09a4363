#include "firmware/Aes.h"
#include "firmware/Crc16.h"

#include <QTest>

using namespace talvaro;

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

quint8* bytes(QByteArray& data) {
    return reinterpret_cast<quint8*>(data.data());
}

} // namespace

class TestFirmwareCipher : public QObject {
    Q_OBJECT
private slots:
    void fipsInverseCipher_data();
    void fipsInverseCipher();
    void cbcChainCarriesAcrossCalls();
    void keyLengthsOtherThanAesAreRefused();
    void crcCheckValueAndResidue();
};

// FIPS-197 appendix C: the same plaintext under 128-, 192- and 256-bit keys.
void TestFirmwareCipher::fipsInverseCipher_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("cipher");
    QTest::newRow("AES-128") << hex("000102030405060708090a0b0c0d0e0f")
                             << hex("69c4e0d86a7b0430d8cdb78070b4c55a");
    QTest::newRow("AES-192") << hex("000102030405060708090a0b0c0d0e0f1011121314151617")
                             << hex("dda97ca4864cdfe06eaf70a0ec0d7191");
    QTest::newRow("AES-256")
        << hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f")
        << hex("8ea2b7ca516745bfeafc49904b496089");
}

void TestFirmwareCipher::fipsInverseCipher() {
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, cipher);
    AesDecryptor aes;
    QVERIFY(aes.setKey(bytes(key), static_cast<int>(key.size())));
    aes.decryptBlock(bytes(cipher));
    QCOMPARE(cipher.toHex(), QByteArray("00112233445566778899aabbccddeeff"));
}

// NIST SP 800-38A F.2.6 (CBC-AES256.Decrypt), decrypted in two calls.
void TestFirmwareCipher::cbcChainCarriesAcrossCalls() {
    QByteArray key = hex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
    QByteArray chain = hex("000102030405060708090a0b0c0d0e0f");
    QByteArray data = hex("f58c4c04d6e5f1ba779eabfb5f7bfbd6"
                          "9cfc4e967edb808d679f777bc6702c7d"
                          "39f23369a9d9bacfa530e26304231461"
                          "b2eb05e2c39be9fcda6c19078c6a9d1b");
    AesDecryptor aes;
    QVERIFY(aes.setKey(bytes(key), 32));
    cbcDecrypt(aes, bytes(data), 16, bytes(chain));
    cbcDecrypt(aes, bytes(data) + 16, 48, bytes(chain));
    QCOMPARE(data.toHex(), QByteArray("6bc1bee22e409f96e93d7e117393172a"
                                      "ae2d8a571e03ac9c9eb76fac45af8e51"
                                      "30c81c46a35ce411e5fbc1191a0a52ef"
                                      "f69f2445df4f9b17ad2b417be66c3710"));
    QCOMPARE(chain.toHex(), QByteArray("b2eb05e2c39be9fcda6c19078c6a9d1b"));
}

void TestFirmwareCipher::keyLengthsOtherThanAesAreRefused() {
    const quint8 key[33] = {};
    AesDecryptor aes;
    QVERIFY(!aes.setKey(key, 0));
    QVERIFY(!aes.setKey(key, 20));
    QVERIFY(!aes.setKey(key, 33));
}

void TestFirmwareCipher::crcCheckValueAndResidue() {
    QByteArray data("123456789");
    QCOMPARE(crc16Umts(bytes(data), data.size()), quint16(0xFEE8));
    QCOMPARE(crc16Umts(nullptr, 0), quint16(0));
    // Data followed by its CRC, high byte first, leaves the register at 0; any flipped
    // bit does not.
    data.append(char(0xFE)).append(char(0xE8));
    QCOMPARE(crc16Umts(bytes(data), data.size()), quint16(0));
    data[4] = static_cast<char>(data[4] ^ 0x01);
    QVERIFY(crc16Umts(bytes(data), data.size()) != 0);
}

QTEST_GUILESS_MAIN(TestFirmwareCipher)
#include "test_firmware_cipher.moc"
