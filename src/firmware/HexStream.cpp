#include "HexStream.h"

#include <QIODevice>

namespace talvaro {
namespace {

// The white space that scanf skips.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

HexStreamResult parseHexStream(QIODevice& in, quint8* out, qsizetype capacity) {
    HexStreamResult result;
    char c = 0;
    for (;;) {
        do {
            if (!in.getChar(&c))
                return result;
        } while (isSpace(c));
        const int high = hexValue(c);
        if (high < 0)
            return result;

        int value = high;
        bool more = in.getChar(&c);
        if (more) {
            const int low = hexValue(c);
            if (low >= 0)
                value = high * 16 + low;
            else
                more = isSpace(c); // a stray character ends the text after this byte
        }
        if (result.count == capacity) {
            result.overflow = true;
            return result;
        }
        out[result.count++] = static_cast<quint8>(value);
        if (!more)
            return result;
    }
}

} // namespace talvaro
