#pragma once

#include <QtGlobal>

#include <optional>

namespace talvaro {

// A firmware stream is a chain of records: a 16-bit big-endian length L, then L bytes of
// which the first L - 2 are ciphertext (whole AES blocks) and the last two the CRC.
constexpr qsizetype RecordBufferSize = 276;
constexpr qsizetype CipherBlockSize = 16;
constexpr qsizetype RecordHeaderSize = 2;
constexpr qsizetype RecordCrcSize = 2;

// L of the record at `pos`, or nothing when no well-formed record starts there: the
// length field or the record runs past the end, the ciphertext is empty or not whole
// blocks, or the record does not fit the record buffer.
std::optional<quint16> recordLength(const quint8* stream, qsizetype count, qsizetype pos);

// True when the whole stream is one or more well-formed records end to end.
bool isWellFormedStream(const quint8* stream, qsizetype count);

} // namespace talvaro
