// Glyph records: every shape drawn, shifted right when it reaches left of
// x = 0, and encoded behind an offset table.
#include "fnt/CodeOrder.h"
#include "fnt/CodeText.h"
#include "fnt/FntBytes.h"
#include "job/ConversionJob.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr qint32 kEmptyAdvance = 128;

void storeCoordinate(char *&p, double value)
{
    fnt::storeU16BE(p, truncToInt(value));
}

// Whether a y field written as `raised` (= height + baseline) becomes its
// value plus the rise when the baseline rises by a whole number: then the
// raise need not keep the height. Two kinds qualify, both far inside 16 bits
// so the field itself gives back the truncated value:
// - a whole height: the sums are whole numbers, added exactly;
// - a raised value of at least 1 whose fraction keeps 2^-20 from either
//   whole number: the rounding of any sum (below 2^-21 up to 2^33) cannot
//   carry it across one, so truncation adds the rise unchanged.
bool raisesExactly(double height, double raised)
{
    constexpr double kLimit = 32768.0;
    constexpr double kMargin = 1.0 / (1 << 20);
    if (!(raised > -kLimit && raised < kLimit))
        return false; // also NaN
    // Integer conversions truncate in one instruction; std::floor and
    // std::trunc are calls on the baseline x86-64 instruction set.
    if (raised >= 1.0) {
        const double fraction = raised - double(qint32(raised));
        if (fraction >= kMargin && fraction <= 1.0 - kMargin)
            return true;
    }
    // The height is within 2^32 of `raised`, so it converts exactly.
    return height == double(qint64(height));
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

// Out of line: most heights need not be kept, and the encoder's loop stays
// small enough to have the store inlined.
void ConversionJob::keepExactHeight(qsizetype position, double height)
{
    exactHeights.append(ExactHeight{position, height});
}

// Writes the record of the current glyph to the end of glyphRecords. The
// geometry is held unshifted; the shift is added here, as the last addition
// toFntPoint would have made, so every value is the same double.
void ConversionJob::encodeGlyph(qint32 advance, double shift)
{
    const qsizetype size = glyphRecordSize();
    // Room for the records grows to an estimate of the whole, taken from the
    // glyphs so far, rather than by doubling: each doubling copies the lot
    // into fresh memory, and fresh pages are what a conversion waits on.
    const qsizetype needed = glyphRecords.size() + size;
    if (needed > glyphRecords.capacity()) {
        const qsizetype whole = needed / (recordEnds.size() + 1) * shapeMap.size() * 9 / 8;
        const qsizetype room = qMin(qMax(whole, glyphRecords.capacity() * 5 / 4), kMaxFntBytes);
        glyphRecords.reserve(qMax(needed, room));
    }
    glyphBytes.resize(size);
    char *const start = glyphBytes.data();
    char *p = start;
    const double baseline = double(fntBaseline);
    const qsizetype recordStart = glyphRecords.size();
    auto storeY = [&](double height) {
        const double raised = height + baseline;
        if (Q_UNLIKELY(!raisesExactly(height, raised)))
            keepExactHeight(recordStart + (p - start), height);
        storeCoordinate(p, raised);
    };

    // Head: advance, the three counts, six reserved zero bytes.
    fnt::storeU16BE(p, advance);
    fnt::storeU16BE(p, qint32(lines.size()));
    fnt::storeU16BE(p, qint32(polylines.size()));
    fnt::storeU16BE(p, qint32(arcs.size()));
    for (int i = 0; i < fnt::kReservedBytes; ++i)
        *p++ = 0;

    for (const GlyphLine &line : std::as_const(lines)) {
        storeCoordinate(p, line.x1 + shift);
        storeY(line.y1);
        storeCoordinate(p, line.x2 + shift);
        storeY(line.y2);
    }
    for (const GlyphPolyline &polyline : std::as_const(polylines)) {
        fnt::storeU16BE(p, polyline.pointCount);
        for (const QPointF &point : polyline.points) {
            storeCoordinate(p, point.x() + shift);
            storeY(point.y());
        }
    }
    for (const GlyphArc &arc : std::as_const(arcs)) {
        storeCoordinate(p, arc.centerX + shift);
        storeY(arc.centerY);
        fnt::storeU16BE(p, arc.radius);
        fnt::storeF32BE(p, arc.startAngle);
        fnt::storeF32BE(p, arc.endAngle);
    }
    Q_ASSERT(p == glyphBytes.constData() + glyphBytes.size());
    glyphRecords.append(glyphBytes);
}

// The baseline rose by `rise` after every glyph was encoded. Each y field is
// written again as the value encodeGlyph would have written with the raised
// baseline: its own value plus the rise, or, where raisesExactly said no,
// from its height.
void ConversionJob::raiseGlyphRecords(qint64 rise)
{
    char *data = glyphRecords.data();
    auto countAt = [](const char *field) {
        return int(qFromBigEndian<quint16>(reinterpret_cast<const uchar *>(field)));
    };
    auto rewrite = [&](char *field) {
        const qint64 raised = qint16(countAt(field)) + rise;
        fnt::storeU16BE(field, qint32(qMin<qint64>(raised, std::numeric_limits<qint32>::max())));
    };
    qsizetype begin = 0;
    for (const qsizetype end : std::as_const(recordEnds)) {
        // Counts are read back from the record; the walk stays inside it
        // whatever they say.
        char *q = data + begin + fnt::kRecordHeadSize;
        char *const recordEnd = data + end;
        if (end - begin >= fnt::kRecordHeadSize) {
            const int lineCount = countAt(data + begin + 2);
            const int polylineCount = countAt(data + begin + 4);
            const int arcCount = countAt(data + begin + 6);
            for (int i = 0; i < lineCount && recordEnd - q >= fnt::kLineSize; ++i) {
                rewrite(q + 2);
                rewrite(q + 6);
                q += fnt::kLineSize;
            }
            for (int i = 0; i < polylineCount && recordEnd - q >= fnt::kPolylineHeadSize; ++i) {
                const int points = countAt(q);
                q += fnt::kPolylineHeadSize;
                for (int k = 0; k < points && recordEnd - q >= fnt::kPointSize; ++k) {
                    rewrite(q + 2);
                    q += fnt::kPointSize;
                }
            }
            for (int i = 0; i < arcCount && recordEnd - q >= fnt::kArcSize; ++i) {
                rewrite(q + 2);
                q += fnt::kArcSize;
            }
            Q_ASSERT(q == recordEnd);
        }
        begin = end;
    }
    const double baseline = double(fntBaseline);
    for (const ExactHeight &field : std::as_const(exactHeights)) {
        char *p = data + field.position;
        storeCoordinate(p, field.height + baseline);
    }
}

// Runs a glyph's shape. A second run of the same glyph (drawn again
// shifted) gets the steps its first run took, so both draw the same strokes,
// and only the first run is charged to the font.
void ConversionJob::drawGlyph(quint16 shape, double shift, bool again)
{
    resetGlyph();
    xShift = shift;
    glyphInProgress = shape;
    if (again) {
        glyphStepsLeft = firstRunSteps;
        interpretShape(shape);
        return;
    }
    const qint64 granted = qMin(kMaxStepsPerGlyph, fontStepsLeft);
    glyphStepsLeft = granted;
    // A glyph stops early at a subshape that is missing (noted where it is
    // called) or nested too deeply.
    if (!interpretShape(shape) && !missingSubshapes.contains(shape))
        tooDeepGlyphs.append(shape);
    firstRunSteps = granted - glyphStepsLeft;
    fontStepsLeft -= firstRunSteps;
}

void ConversionJob::failImageTooLarge(quint16 code)
{
    failRead(QStringLiteral("the FNT file would be larger than %1 MiB from code %2 on; no real "
                            "font comes near that")
                 .arg(kMaxFntBytes >> 20)
                 .arg(fnt::codeText(code)));
}

void ConversionJob::buildFntGlyphs()
{
    if (shapeMap.isEmpty())
        return;

    if (mappedCodes.size() != shapeMap.size()) // the header was not built first
        mapShapeCodes();
    glyphRecords.resize(0);
    recordEnds.resize(0);
    exactHeights.resize(0);
    recordEnds.reserve(shapeMap.size());
    for (auto it = shapeMap.keyBegin(); it != shapeMap.keyEnd(); ++it) {
        const quint16 shape = *it;
        if (shape == 0) {
            recordEnds.append(glyphRecords.size());
            continue;
        }
        drawGlyph(shape, 0.0);

        // Move a glyph that reaches left of 0 right by the whole part of its
        // overhang. -256 marks a glyph that drew nothing.
        double shift = 0.0;
        if (minX < 0 && minX != kEmptyExtent) {
            shift = -double(minX);
            if (extentRestarted) {
                // Rare: the extents cannot be worked out from the geometry.
                drawGlyph(shape, shift, true);
                shift = 0.0;
            } else {
                shiftExtents(shift);
            }
        }

        qint64 advance = qint64(maxX) - minX;
        if (advance == 0)
            advance = maxX == kEmptyExtent ? kEmptyAdvance : 1;

        encodeGlyph(qint32(advance & 0xFFFF), shift);
        recordEnds.append(glyphRecords.size());
        if (fntBytes.size() + glyphRecords.size() > kMaxFntBytes) {
            failImageTooLarge(shape);
            return;
        }
    }
}

// The offset table and the records behind it, appended to fntBytes.
void ConversionJob::placeGlyphRecords()
{
    if (shapeMap.isEmpty())
        return;

    // Which shape's record each code gets: when two shapes share a code, the
    // higher shape number wins. Codes that are shape numbers come sorted.
    struct Owner
    {
        quint16 code;
        qsizetype index;
        bool operator<(const Owner &other) const
        {
            return code != other.code ? code < other.code : index < other.index;
        }
    };
    std::vector<Owner> owners;
    owners.reserve(size_t(shapeMap.size()));
    qsizetype index = 0;
    for (auto it = shapeMap.keyBegin(); it != shapeMap.keyEnd(); ++it, ++index) {
        if (*it != 0)
            owners.push_back(Owner{mappedCodes.at(index), index});
    }
    // Indices ascend already, so an order by code that keeps equal codes in
    // place is the order by code and index.
    if (!std::is_sorted(owners.begin(), owners.end()))
        fnt::sortByCode(owners, [](const Owner &owner) { return owner.code; });

    // The record a code gets, empty when no shape has it.
    auto recordOf = [&](quint16 code, size_t &next) -> std::pair<qsizetype, qsizetype> {
        while (next < owners.size() && owners[next].code < code)
            ++next;
        size_t last = next;
        while (last < owners.size() && owners[last].code == code)
            ++last;
        if (last == next)
            return {0, 0};
        const qsizetype i = owners[last - 1].index;
        const qsizetype begin = i == 0 ? 0 : recordEnds.at(i - 1);
        return {begin, recordEnds.at(i) - begin};
    };

    // Offset table: absolute positions of the records, which follow it back
    // to back. A code listed twice gets two entries and two copies.
    const qsizetype glyphCount = codeList.size() - (codeList.contains(0) ? 1 : 0);
    quint64 pos = quint64(fntBytes.size()) + quint64(glyphCount) * fnt::kOffsetEntrySize;
    size_t next = 0;
    QList<std::pair<qsizetype, qsizetype>> placed;
    placed.reserve(glyphCount);
    for (quint16 code : std::as_const(codeList)) {
        if (code == 0)
            continue;
        placed.append(recordOf(code, next));
        pos += quint64(placed.last().second);
        // Shapes that map to one code are each given a copy.
        if (pos > quint64(kMaxFntBytes)) {
            failImageTooLarge(code);
            return;
        }
    }
    // Sized once and written in place: appending four bytes at a time goes
    // through the general insertion for every glyph.
    const qsizetype tableStart = fntBytes.size();
    fntBytes.resize(qsizetype(pos));
    char *p = fntBytes.data() + tableStart;
    quint64 offset = quint64(tableStart) + quint64(glyphCount) * fnt::kOffsetEntrySize;
    for (const auto &record : std::as_const(placed)) {
        fnt::storeU32BE(p, quint32(offset));
        offset += quint64(record.second);
    }
    for (const auto &record : std::as_const(placed)) {
        std::memcpy(p, glyphRecords.constData() + record.first, size_t(record.second));
        p += record.second;
    }
    Q_ASSERT(p == fntBytes.constData() + fntBytes.size());
}
