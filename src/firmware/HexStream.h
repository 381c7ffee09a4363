#pragma once

#include <QtGlobal>

class QIODevice;

namespace talvaro {

struct HexStreamResult {
    qsizetype count = 0;   // bytes stored
    bool overflow = false; // the text held more bytes than fit
};

// Reads hexadecimal text the way the C conversion "%2X" does when applied until it
// fails: white space is skipped, then one or two hex digits (either case) make a byte.
// Reading ends at the end of the input or at the first character that is neither white
// space nor a hex digit; an odd run of digits pairs off from its start ("ABC" gives
// 0xAB, 0x0C). Stores at most `capacity` bytes.
HexStreamResult parseHexStream(QIODevice& in, quint8* out, qsizetype capacity);

} // namespace talvaro
