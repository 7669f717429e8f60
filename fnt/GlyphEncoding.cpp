// Glyph records: every shape drawn, shifted right when it reaches left of
// x = 0, and encoded behind an offset table.
#include "fnt/FntBytes.h"
#include "job/ConversionJob.h"

namespace {

constexpr qint32 kEmptyExtent = -256;
constexpr qint32 kEmptyAdvance = 128;

void putCoordinate(QByteArray &out, double value)
{
    fnt::putU16BE(out, truncToInt(value));
}

} // namespace

void ConversionJob::buildFntGlyphs()
{
    if (shapeMap.isEmpty())
        return;

    QMap<quint16, QByteArray> glyphTable;
    for (auto it = shapeMap.keyBegin(); it != shapeMap.keyEnd(); ++it) {
        const quint16 shape = *it;
        if (shape == 0)
            continue;
        resetGlyph();
        interpretShape(shape);

        // Move a glyph that reaches left of 0 right by the whole part of its
        // overhang. -256 marks a glyph that drew nothing.
        if (minX < 0 && minX != kEmptyExtent) {
            const double shift = -double(minX);
            resetGlyph();
            xShift = shift;
            interpretShape(shape);
        }

        qint64 advance = qint64(maxX) - minX;
        if (advance == 0)
            advance = maxX == kEmptyExtent ? kEmptyAdvance : 1;

        // Record head: advance, the three counts, six reserved zero bytes.
        fnt::putU16BE(glyphBytes, qint32(advance & 0xFFFF));
        fnt::putU16BE(glyphBytes, qint32(lines.size()));
        fnt::putU16BE(glyphBytes, qint32(polylines.size()));
        fnt::putU16BE(glyphBytes, qint32(arcs.size()));
        glyphBytes.append(fnt::kReservedBytes, '\0');

        for (const GlyphLine &line : std::as_const(lines)) {
            putCoordinate(glyphBytes, line.x1);
            putCoordinate(glyphBytes, line.y1);
            putCoordinate(glyphBytes, line.x2);
            putCoordinate(glyphBytes, line.y2);
        }
        for (const GlyphPolyline &polyline : std::as_const(polylines)) {
            fnt::putU16BE(glyphBytes, polyline.pointCount);
            for (qint32 i = 0; i < polyline.pointCount && i < polyline.points.size(); ++i) {
                putCoordinate(glyphBytes, polyline.points.at(i).x());
                putCoordinate(glyphBytes, polyline.points.at(i).y());
            }
        }
        for (const GlyphArc &arc : std::as_const(arcs)) {
            putCoordinate(glyphBytes, arc.centerX);
            putCoordinate(glyphBytes, arc.centerY);
            fnt::putU16BE(glyphBytes, arc.radius);
            fnt::putF32BE(glyphBytes, arc.startAngle);
            fnt::putF32BE(glyphBytes, arc.endAngle);
        }

        // When two shapes share a code, the higher shape number wins.
        glyphTable.insert(mapCharCode(shape), glyphBytes);
    }

    // Offset table: absolute positions of the records, which follow it back
    // to back. A code listed twice gets two entries and two copies.
    const qsizetype glyphCount = codeList.size() - (codeList.contains(0) ? 1 : 0);
    quint64 pos = quint64(fntBytes.size()) + quint64(glyphCount) * fnt::kOffsetEntrySize;
    for (quint16 code : std::as_const(codeList)) {
        if (code == 0)
            continue;
        fnt::putU32BE(fntBytes, quint32(pos));
        pos += quint64(glyphTable.value(code).size());
    }
    for (quint16 code : std::as_const(codeList)) {
        if (code != 0)
            fntBytes.append(glyphTable.value(code));
    }
}
