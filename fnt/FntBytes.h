// The FNT layout, and the big-endian stores that write it.
//
// The writer, the reader, `inspect` and the fuzzer all take field positions,
// sizes and the fixed header values from here. Nothing else in the writer
// shifts bytes by hand. Every 16-bit field holds the low 16 bits of a 32-bit
// value: out-of-range values wrap, as the format has it.
#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstring>

namespace fnt {

// The file, in order: the header, then (only when there are glyphs) the
// range count, the code ranges, the offset table and the glyph records back
// to back. No padding, no trailer.

// Header: the font name (Latin-1, padded with spaces, no terminator), five
// 16-bit words and the glyph count.
constexpr int kNameLength = 36;
constexpr int kWordAPos = 36;
constexpr int kWordBPos = 38;
constexpr int kHeightPos = 40;
constexpr int kBaselinePos = 42;
constexpr int kWidthPos = 44;
constexpr int kGlyphCountPos = 46;
constexpr int kHeaderWithoutRanges = 48; // a file without glyphs ends here
constexpr int kRangeCountPos = 48;
constexpr int kRangesPos = 50;

// The header words' values. Every file carries these, except the baseline:
// it is raised when a glyph reaches below it.
constexpr qint32 kWordA = 3;
constexpr qint32 kWordB = 0;
constexpr qint32 kHeight = 128; // units per font height, vertically
constexpr qint32 kBaseline = 63;
constexpr qint32 kWidth = 128;  // units per font height, horizontally

// A range: first and last code of a run. An offset: the absolute position
// of a glyph record, 32 bits.
constexpr int kRangeEntrySize = 4;
constexpr int kOffsetEntrySize = 4;

// A glyph record: advance, line count, polyline count, arc count, six zero
// bytes; then the lines, the polylines and the arcs.
constexpr int kRecordHeadSize = 14;
constexpr int kReservedBytes = 6;
constexpr int kLineSize = 8;          // x1, y1, x2, y2
constexpr int kPolylineHeadSize = 2;  // point count, then the points
constexpr int kPointSize = 4;         // x, y
constexpr int kMinPolylinePoints = 3; // two points are stored as a line
constexpr int kArcSize = 14;          // center x, y, radius, start and end angle
constexpr int kArcStartAngleOffset = 6;
constexpr int kArcEndAngleOffset = 10;

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

inline void storeU32BE(char *&p, quint32 value)
{
    qToBigEndian<quint32>(value, p);
    p += 4;
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
