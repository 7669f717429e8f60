// Glyph records: every shape drawn, shifted right when it reaches left of
// x = 0, and encoded behind an offset table.
#include "fnt/FntBytes.h"
#include "job/ConversionJob.h"

namespace {

constexpr qint32 kEmptyAdvance = 128;

void storeCoordinate(char *&p, double value)
{
    fnt::storeU16BE(p, truncToInt(value));
}

} // namespace

qsizetype ConversionJob::glyphRecordSize() const
{
    qsizetype size = fnt::kRecordHeadSize + fnt::kLineSize * lines.size()
                     + fnt::kArcSize * arcs.size();
    for (const GlyphPolyline &polyline : std::as_const(polylines))
        size += fnt::kPolylineHeadSize + fnt::kPointSize * polyline.points.size();
    return size;
}

void ConversionJob::encodeGlyph(qint32 advance)
{
    glyphBytes.resize(glyphRecordSize());
    char *p = glyphBytes.data();

    // Head: advance, the three counts, six reserved zero bytes.
    fnt::storeU16BE(p, advance);
    fnt::storeU16BE(p, qint32(lines.size()));
    fnt::storeU16BE(p, qint32(polylines.size()));
    fnt::storeU16BE(p, qint32(arcs.size()));
    for (int i = 0; i < fnt::kReservedBytes; ++i)
        *p++ = 0;

    for (const GlyphLine &line : std::as_const(lines)) {
        storeCoordinate(p, line.x1);
        storeCoordinate(p, line.y1);
        storeCoordinate(p, line.x2);
        storeCoordinate(p, line.y2);
    }
    for (const GlyphPolyline &polyline : std::as_const(polylines)) {
        fnt::storeU16BE(p, polyline.pointCount);
        for (const QPointF &point : polyline.points) {
            storeCoordinate(p, point.x());
            storeCoordinate(p, point.y());
        }
    }
    for (const GlyphArc &arc : std::as_const(arcs)) {
        storeCoordinate(p, arc.centerX);
        storeCoordinate(p, arc.centerY);
        fnt::storeU16BE(p, arc.radius);
        fnt::storeF32BE(p, arc.startAngle);
        fnt::storeF32BE(p, arc.endAngle);
    }
    Q_ASSERT(p == glyphBytes.constData() + glyphBytes.size());
}

// Runs a glyph's shape afresh. Every run of a glyph (the shifted one, those
// after the baseline fix-up) gets the steps its first run took, so all of
// them draw the same strokes, and only the first run is charged to the font.
void ConversionJob::drawGlyph(quint16 shape, double shift)
{
    resetGlyph();
    xShift = shift;
    glyphInProgress = shape;
    const auto known = glyphSteps.constFind(shape);
    if (known != glyphSteps.cend()) {
        glyphStepsLeft = *known;
        interpretShape(shape);
        return;
    }
    const qint64 granted = qMin(kMaxStepsPerGlyph, fontStepsLeft);
    glyphStepsLeft = granted;
    interpretShape(shape);
    const qint64 used = granted - glyphStepsLeft;
    fontStepsLeft -= used;
    glyphSteps.insert(shape, used);
}

void ConversionJob::buildFntGlyphs()
{
    if (shapeMap.isEmpty())
        return;

    QMap<quint16, QByteArray> glyphTable;
    for (auto it = shapeMap.keyBegin(); it != shapeMap.keyEnd(); ++it) {
        const quint16 shape = *it;
        if (shape == 0)
            continue;
        drawGlyph(shape, 0.0);

        // Move a glyph that reaches left of 0 right by the whole part of its
        // overhang. -256 marks a glyph that drew nothing.
        if (minX < 0 && minX != kEmptyExtent) {
            const double shift = -double(minX);
            drawGlyph(shape, shift);
        }

        qint64 advance = qint64(maxX) - minX;
        if (advance == 0)
            advance = maxX == kEmptyExtent ? kEmptyAdvance : 1;

        encodeGlyph(qint32(advance & 0xFFFF));

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
    fntBytes.reserve(qsizetype(pos));
    for (quint16 code : std::as_const(codeList)) {
        if (code != 0)
            fntBytes.append(glyphTable.value(code));
    }
}
