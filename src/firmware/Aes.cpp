#include "Aes.h"

#include <algorithm>
#include <cstring>

namespace talvaro {
namespace {

quint8 xtime(quint8 a) {
    return static_cast<quint8>((a << 1) ^ ((a & 0x80) ? 0x1b : 0x00));
}

// Multiplication in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
quint8 gmul(quint8 a, quint8 b) {
    quint8 product = 0;
    while (b) {
        if (b & 1)
            product ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return product;
}

// a^254 is the multiplicative inverse of a (and maps 0 to 0, as AES requires).
quint8 inverse(quint8 a) {
    quint8 result = 1;
    quint8 power = a;
    for (int e = 254; e; e >>= 1) {
        if (e & 1)
            result = gmul(result, power);
        power = gmul(power, power);
    }
    return result;
}

quint8 rotl8(quint8 x, int n) {
    return static_cast<quint8>((x << n) | (x >> (8 - n)));
}

constexpr std::array<quint8, 4> InvMixCoefficients = {0x09, 0x0b, 0x0d, 0x0e};

// Row r of the InvMixColumns matrix, as indices into InvMixCoefficients.
constexpr int InvMixMatrix[4][4] = {
    {3, 1, 2, 0}, // 0e 0b 0d 09
    {0, 3, 1, 2}, // 09 0e 0b 0d
    {2, 0, 3, 1}, // 0d 09 0e 0b
    {1, 2, 0, 3}, // 0b 0d 09 0e
};

} // namespace

AesDecryptor::AesDecryptor() {
    for (int x = 0; x < 256; ++x) {
        const quint8 b = inverse(static_cast<quint8>(x));
        const quint8 s = b ^ rotl8(b, 1) ^ rotl8(b, 2) ^ rotl8(b, 3) ^ rotl8(b, 4) ^ 0x63;
        m_sbox[x] = s;
        m_invSbox[s] = static_cast<quint8>(x);
        for (size_t c = 0; c < InvMixCoefficients.size(); ++c)
            m_mul[c][x] = gmul(static_cast<quint8>(x), InvMixCoefficients[c]);
    }
}

bool AesDecryptor::setKey(const quint8* key, int keyLength) {
    if (keyLength != 16 && keyLength != 24 && keyLength != 32)
        return false;
    const int nk = keyLength / 4;
    m_rounds = nk + 6;
    const int words = 4 * (m_rounds + 1);
    quint8* w = m_roundKeys.data();
    std::memcpy(w, key, keyLength);
    quint8 rcon = 0x01;
    for (int i = nk; i < words; ++i) {
        quint8 temp[4];
        std::memcpy(temp, w + 4 * (i - 1), 4);
        if (i % nk == 0) {
            std::rotate(temp, temp + 1, temp + 4);
            for (quint8& b : temp)
                b = m_sbox[b];
            temp[0] ^= rcon;
            rcon = xtime(rcon);
        } else if (nk > 6 && i % nk == 4) {
            for (quint8& b : temp)
                b = m_sbox[b];
        }
        for (int j = 0; j < 4; ++j)
            w[4 * i + j] = w[4 * (i - nk) + j] ^ temp[j];
    }
    return true;
}

void AesDecryptor::decryptBlock(quint8* block) const {
    // The state is column-major: byte r + 4c is row r, column c.
    auto addRoundKey = [&](int round) {
        for (int i = 0; i < AesBlockSize; ++i)
            block[i] ^= m_roundKeys[16 * round + i];
    };
    auto invShiftRowsSubBytes = [&] {
        quint8 old[AesBlockSize];
        std::memcpy(old, block, AesBlockSize);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                block[r + 4 * c] = m_invSbox[old[r + 4 * ((c - r + 4) % 4)]];
    };
    auto invMixColumns = [&] {
        for (int c = 0; c < 4; ++c) {
            quint8* column = block + 4 * c;
            quint8 mixed[4] = {};
            for (int r = 0; r < 4; ++r)
                for (int k = 0; k < 4; ++k)
                    mixed[r] ^= m_mul[InvMixMatrix[r][k]][column[k]];
            std::memcpy(column, mixed, 4);
        }
    };

    addRoundKey(m_rounds);
    for (int round = m_rounds - 1; round > 0; --round) {
        invShiftRowsSubBytes();
        addRoundKey(round);
        invMixColumns();
    }
    invShiftRowsSubBytes();
    addRoundKey(0);
}

void cbcDecrypt(const AesDecryptor& aes, quint8* data, qsizetype count, quint8* chain) {
    for (qsizetype offset = 0; offset + AesBlockSize <= count; offset += AesBlockSize) {
        quint8* block = data + offset;
        quint8 cipher[AesBlockSize];
        std::memcpy(cipher, block, AesBlockSize);
        aes.decryptBlock(block);
        for (int i = 0; i < AesBlockSize; ++i)
            block[i] ^= chain[i];
        std::memcpy(chain, cipher, AesBlockSize);
    }
}

} // namespace talvaro
