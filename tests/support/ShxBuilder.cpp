// Builds SHX files of all three kinds from readable descriptions.
#include "ShxBuilder.h"

namespace shxtest {

void appendU16LE(QByteArray &out, quint16 value)
{
    out.append(char(value & 0xFF));
    out.append(char(value >> 8));
}

void appendU32LE(QByteArray &out, quint32 value)
{
    appendU16LE(out, quint16(value & 0xFFFF));
    appendU16LE(out, quint16(value >> 16));
}

QByteArray u16s(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        appendU16LE(out, quint16(value));
    return out;
}

ShapeCode &ShapeCode::bigfontSubshape(quint16 number, qint8 originX, qint8 originY, qint8 width,
                                      qint8 height)
{
    return op(7).u8(0).u8(number >> 8).u8(number & 0xFF).i8(originX).i8(originY).i8(width).i8(
        height);
}

ShapeCode &ShapeCode::moves(std::initializer_list<Pair> pairs)
{
    op(9);
    for (const Pair &pair : pairs)
        i8(pair.dx).i8(pair.dy);
    return u8(0).u8(0);
}

ShapeCode &ShapeCode::fractionalArc(quint8 startOffset, quint8 endOffset, quint16 radius,
                                    qint8 spec)
{
    return op(11).u8(startOffset).u8(endOffset).u8(radius >> 8).u8(radius & 0xFF).i8(spec);
}

ShapeCode &ShapeCode::bulgeArcs(std::initializer_list<Bulge> arcs)
{
    op(13);
    for (const Bulge &arc : arcs)
        i8(arc.dx).i8(arc.dy).i8(arc.bulge);
    return u8(0).u8(0);
}

QByteArray definition(const QByteArray &name, const ShapeCode &code)
{
    return name + QByteArray(1, '\0') + code.bytes();
}

QByteArray fontInfo(const QByteArray &name, quint8 above, quint8 below, quint8 modes)
{
    return name + QByteArray(1, '\0') + char(above) + char(below) + char(modes);
}

QByteArray header(const QByteArray &text, int terminatorPos)
{
    return terminatorPos < 0 ? text : text.leftJustified(terminatorPos, ' ') + char(0x1A);
}

QByteArray shapeFont(const QList<Entry> &entries, const QByteArray &headerBytes)
{
    QByteArray out = headerBytes;
    out.append(QByteArray(4, '\0'));
    appendU16LE(out, quint16(entries.size()));
    for (const Entry &entry : entries) {
        appendU16LE(out, entry.number);
        appendU16LE(out, quint16(entry.definition.size()));
    }
    for (const Entry &entry : entries)
        out.append(entry.definition);
    return out;
}

QByteArray shapeFont(quint8 above, const QList<Entry> &entries, const QByteArray &headerBytes)
{
    QList<Entry> all{{0, fontInfo("Varnel test", above)}};
    all.append(entries);
    return shapeFont(all, headerBytes);
}

QByteArray unifont(const QByteArray &fontInfoDefinition, const QList<Entry> &entries,
                   const QByteArray &headerBytes)
{
    QByteArray out = headerBytes;
    appendU16LE(out, quint16(entries.size() + 1));
    appendU16LE(out, 0);
    appendU16LE(out, quint16(fontInfoDefinition.size()));
    out.append(fontInfoDefinition);
    for (const Entry &entry : entries) {
        appendU16LE(out, entry.number);
        appendU16LE(out, quint16(entry.definition.size()));
        out.append(entry.definition);
    }
    return out;
}

QByteArray bigfont(const QList<EscapeRange> &ranges, const QList<Entry> &entries, quint8 height,
                   const QByteArray &fontNameInInfo, const QByteArray &headerBytes)
{
    QByteArray out = headerBytes;
    appendU16LE(out, 0);
    appendU16LE(out, quint16(entries.size()));
    appendU16LE(out, quint16(ranges.size()));
    for (const EscapeRange &range : ranges) {
        appendU16LE(out, range.first);
        appendU16LE(out, range.last);
    }
    const QByteArray info = fontNameInInfo + QByteArray(1, '\0') + char(height) + QByteArray(2, '\0');
    quint32 offset = quint32(out.size() + 8 * entries.size() + info.size());
    for (const Entry &entry : entries) {
        appendU16LE(out, entry.number);
        appendU16LE(out, quint16(entry.definition.size()));
        appendU32LE(out, offset);
        offset += quint32(entry.definition.size());
    }
    out.append(info);
    for (const Entry &entry : entries)
        out.append(entry.definition);
    return out;
}

} // namespace shxtest
