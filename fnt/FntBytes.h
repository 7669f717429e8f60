// Big-endian stores for the FNT image, and the format's fixed sizes.
//
// Nothing else in the writer shifts bytes by hand. Every 16-bit field holds
// the low 16 bits of a 32-bit value: out-of-range values wrap, as the format
// has it.
#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstring>

namespace fnt {

constexpr int kNameLength = 36;
constexpr int kHeaderWithoutRanges = 48; // name, five words, glyph count
constexpr int kRangeEntrySize = 4;
constexpr int kOffsetEntrySize = 4;
constexpr int kRecordHeadSize = 14;
constexpr int kReservedBytes = 6;
constexpr int kLineSize = 8;
constexpr int kArcSize = 14;
constexpr int kPolylineHeadSize = 2;
constexpr int kPointSize = 4;

inline void putU16BE(QByteArray &out, qint32 value)
{
    const char bytes[2] = {char((value >> 8) & 0xFF), char(value & 0xFF)};
    out.append(bytes, 2);
}

inline void putU32BE(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian<quint32>(value, bytes);
    out.append(bytes, 4);
}

inline void putF32BE(QByteArray &out, float value)
{
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putU32BE(out, bits);
}

// Stores into a buffer the caller has already sized, advancing `p`: the hot
// path of glyph encoding, where appending two bytes at a time is too slow.
inline void storeU16BE(char *&p, qint32 value)
{
    *p++ = char((value >> 8) & 0xFF);
    *p++ = char(value & 0xFF);
}

inline void storeF32BE(char *&p, float value)
{
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    qToBigEndian<quint32>(bits, p);
    p += 4;
}

// Overwrites a 16-bit field whose value became known after it was written.
inline void patchU16BE(QByteArray &out, qsizetype pos, qint32 value)
{
    out[pos] = char((value >> 8) & 0xFF);
    out[pos + 1] = char(value & 0xFF);
}

} // namespace fnt
