#pragma once

#include <QtGlobal>

#include <array>

namespace talvaro {

constexpr int AesBlockSize = 16;

// The AES inverse cipher (FIPS-197) for 128-, 192- and 256-bit keys. The substitution
// tables and the field products of InvMixColumns are computed from GF(2^8) arithmetic
// when the object is made, not copied from the standard.
class AesDecryptor {
public:
    AesDecryptor();

    // Key length 16, 24 or 32 bytes (10, 12 or 14 rounds). False for any other length.
    bool setKey(const quint8* key, int keyLength);
    void decryptBlock(quint8* block) const;

private:
    std::array<quint8, 256> m_sbox{};
    std::array<quint8, 256> m_invSbox{};
    // Products with the InvMixColumns coefficients 0x09, 0x0b, 0x0d, 0x0e.
    std::array<std::array<quint8, 256>, 4> m_mul{};
    std::array<quint8, 240> m_roundKeys{};
    int m_rounds = 0;
};

// CBC decryption in place of `count` bytes (whole blocks). `chain` holds the previous
// ciphertext block (the IV at the start) and is left at the last ciphertext block, so
// that consecutive calls form one CBC stream.
void cbcDecrypt(const AesDecryptor& aes, quint8* data, qsizetype count, quint8* chain);

} // namespace talvaro
