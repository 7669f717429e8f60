// Builds SHX files of all three kinds from readable descriptions, so every
// test font is made here and reads as what it draws.
#pragma once

#include <QByteArray>
#include <QList>

#include <initializer_list>

namespace shxtest {

// Shape byte code, one command per call:
//     ShapeCode().penUp().vector(4, 0).penDown().vector(1, 4)
// bytes() ends it with the end byte unless withoutEnd() was called.
class ShapeCode
{
public:
    struct Pair { qint8 dx; qint8 dy; };
    struct Bulge { qint8 dx; qint8 dy; qint8 bulge; };

    ShapeCode &penDown() { return op(1); }
    ShapeCode &penUp() { return op(2); }
    ShapeCode &divide(quint8 n) { return op(3).u8(n); }
    ShapeCode &multiply(quint8 n) { return op(4).u8(n); }
    ShapeCode &push() { return op(5); }
    ShapeCode &pop() { return op(6); }
    // Code 7 in its three forms.
    ShapeCode &subshape(quint8 number) { return op(7).u8(number); }
    ShapeCode &unifontSubshape(quint16 number) { return op(7).u8(number >> 8).u8(number & 0xFF); }
    ShapeCode &bigfontSubshape(quint16 number, qint8 originX, qint8 originY, qint8 width,
                               qint8 height);
    ShapeCode &move(qint8 dx, qint8 dy) { return op(8).i8(dx).i8(dy); }
    // Code 9; the closing pair 0,0 is added.
    ShapeCode &moves(std::initializer_list<Pair> pairs);
    ShapeCode &octantArc(quint8 radius, qint8 spec) { return op(10).u8(radius).i8(spec); }
    ShapeCode &fractionalArc(quint8 startOffset, quint8 endOffset, quint16 radius, qint8 spec);
    ShapeCode &bulgeArc(qint8 dx, qint8 dy, qint8 bulge) { return op(12).i8(dx).i8(dy).i8(bulge); }
    // Code 13; the closing pair 0,0 is added.
    ShapeCode &bulgeArcs(std::initializer_list<Bulge> arcs);
    ShapeCode &verticalOnly() { return op(14); }
    // A vector byte: length 0 to 15, direction 0 to 15.
    ShapeCode &vector(int length, int direction) { return op(quint8(length << 4 | direction)); }
    ShapeCode &withoutEnd() { m_end = false; return *this; }

    QByteArray bytes() const { return m_end ? m_bytes + QByteArray(1, '\0') : m_bytes; }

private:
    ShapeCode &op(quint8 byte) { return u8(byte); }
    ShapeCode &u8(quint8 byte) { m_bytes.append(char(byte)); return *this; }
    ShapeCode &i8(qint8 byte) { return u8(quint8(byte)); }

    QByteArray m_bytes;
    bool m_end = true;
};

// A shape definition: zero-terminated name, then the byte code.
QByteArray definition(const QByteArray &name, const ShapeCode &code);
// The font-info definition of shape fonts and unifont files.
QByteArray fontInfo(const QByteArray &name, quint8 above, quint8 below = 0, quint8 modes = 0);

// The header: `text`, padded with spaces, then 0x1A at terminatorPos (so the
// header is terminatorPos + 1 bytes long). terminatorPos < 0 writes exactly
// `text` with no terminator.
QByteArray header(const QByteArray &text, int terminatorPos = 23);

struct Entry
{
    quint16 number;
    QByteArray definition;
};

// Plain shape font: header, 4 unused bytes, count, index (number, length),
// then the definitions in index order.
QByteArray shapeFont(const QList<Entry> &entries,
                     const QByteArray &headerBytes = header("Varnel shapes 1.0"));
// Same, with a font-info record for shape 0 listed first.
QByteArray shapeFont(quint8 above, const QList<Entry> &entries,
                     const QByteArray &headerBytes = header("Varnel shapes 1.0"));

// Unifont: header, count, then records (number, length, definition); the
// first record is the font-info record.
QByteArray unifont(const QByteArray &fontInfoDefinition, const QList<Entry> &entries,
                   const QByteArray &headerBytes = header("Varnel unifont 1.0"));

struct EscapeRange
{
    quint16 first;
    quint16 last;
};

// Big font: header, 2 unused bytes, entry count, escape count, ranges,
// index (code, length, offset), font-info record (name, height, two more
// bytes), then the definitions in entry order.
QByteArray bigfont(const QList<EscapeRange> &ranges, const QList<Entry> &entries,
                   quint8 height = 8, const QByteArray &fontNameInInfo = "Varnel",
                   const QByteArray &headerBytes = header("Varnel bigfont 1.0"));

// Little-endian helpers for hand-made tables.
void appendU16LE(QByteArray &out, quint16 value);
void appendU32LE(QByteArray &out, quint32 value);
QByteArray u16s(std::initializer_list<int> values); // one 16-bit field each

} // namespace shxtest
