// Reads an FNT file back and checks it against the format.
#include "fnt/FntReader.h"

#include "fnt/CodeText.h"
#include "fnt/FntBytes.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fnt {

namespace {

// The words every file carries, with their positions.
struct FixedWord
{
    qint64 position;
    qint16 FntFont::*field;
    qint16 expected;
    const char *name;
};
constexpr FixedWord kFixedWords[] = {
    {kWordAPos, &FntFont::wordA, kWordA, "first header word"},
    {kWordBPos, &FntFont::wordB, kWordB, "second header word"},
    {kHeightPos, &FntFont::height, kHeight, "height"},
    {kWidthPos, &FntFont::width, kWidth, "width"},
};

void addArc(FntExtents &box, const FntArc &arc);

QString describeGlyph(int index, quint16 code)
{
    return QStringLiteral("glyph %1 (code %2)").arg(index).arg(codeText(code));
}

} // namespace

// Big-endian reads over the file. Each checks that the value is all there
// before touching it and leaves the position unchanged when it is not.
class FntReader::Cursor
{
public:
    explicit Cursor(const QByteArray &bytes)
        : m_data(reinterpret_cast<const uchar *>(bytes.constData())), m_size(bytes.size())
    {
    }

    qint64 pos() const { return m_pos; }
    qint64 size() const { return m_size; }
    qint64 remaining() const { return m_size - m_pos; }
    bool has(qint64 count) const { return count >= 0 && count <= m_size - m_pos; }

    bool readBytes(qint64 count, QByteArray &out)
    {
        if (!has(count))
            return false;
        out = QByteArray(reinterpret_cast<const char *>(m_data + m_pos), count);
        m_pos += count;
        return true;
    }
    // The next `count` bytes, passed over; nullptr when they are not all there.
    const uchar *take(qint64 count)
    {
        if (!has(count))
            return nullptr;
        const uchar *start = m_data + m_pos;
        m_pos += count;
        return start;
    }
    bool readU16BE(quint16 &out)
    {
        if (!has(2))
            return false;
        out = qFromBigEndian<quint16>(m_data + m_pos);
        m_pos += 2;
        return true;
    }
    bool readI16BE(qint16 &out)
    {
        quint16 raw = 0;
        if (!readU16BE(raw))
            return false;
        out = qint16(raw);
        return true;
    }
    bool readU32BE(quint32 &out)
    {
        if (!has(4))
            return false;
        out = qFromBigEndian<quint32>(m_data + m_pos);
        m_pos += 4;
        return true;
    }
    bool readF32BE(float &out)
    {
        quint32 bits = 0;
        if (!readU32BE(bits))
            return false;
        std::memcpy(&out, &bits, sizeof out);
        return true;
    }

private:
    const uchar *m_data;
    qint64 m_size;
    qint64 m_pos = 0;
};

bool FntReader::readFile(const QString &path, QString *errorString)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorString)
            *errorString = file.errorString();
        return false;
    }
    read(file.readAll());
    return true;
}

bool FntReader::read(const QByteArray &bytes)
{
    m_font = FntFont();
    m_codes.clear();
    m_violations.clear();
    m_font.fileSize = bytes.size();

    Cursor in(bytes);
    if (!readHeader(in))
        return false;
    if (m_font.glyphCount == 0) {
        // Without glyphs the file stops after the glyph count.
        if (in.remaining() > 0)
            violation(in.pos(), QStringLiteral("the glyph count is 0, so the file should end here, "
                                               "but %1 more bytes follow")
                                    .arg(in.remaining()));
        return isValid();
    }
    if (!readRanges(in) || !readOffsets(in))
        return false;
    m_font.glyphs.reserve(m_font.glyphCount);
    for (int k = 0; k < m_font.glyphCount; ++k) {
        if (!readGlyph(in, k, k < m_codes.size() ? m_codes.at(k) : 0))
            return false;
    }
    if (in.remaining() > 0)
        violation(in.pos(), QStringLiteral("the file should end with the last glyph record, "
                                           "but %1 more bytes follow")
                                .arg(in.remaining()));
    return isValid();
}

bool FntReader::readHeader(Cursor &in)
{
    FntFont &f = m_font;
    if (!in.readBytes(kNameLength, f.nameField) || !in.readI16BE(f.wordA)
        || !in.readI16BE(f.wordB) || !in.readI16BE(f.height) || !in.readI16BE(f.baseline)
        || !in.readI16BE(f.width) || !in.readU16BE(f.glyphCount))
        return truncated(in, QStringLiteral("the %1-byte header").arg(kHeaderWithoutRanges), 0);

    for (const FixedWord &word : kFixedWords) {
        const qint16 value = f.*word.field;
        if (value != word.expected)
            violation(word.position, QStringLiteral("the %1 is %2, not %3")
                                         .arg(QLatin1String(word.name))
                                         .arg(value)
                                         .arg(word.expected));
    }
    return true;
}

bool FntReader::readRanges(Cursor &in)
{
    if (!in.readU16BE(m_font.rangeCount))
        return truncated(in, QStringLiteral("the range count"), kRangeCountPos);
    // Checked up front so that a huge count costs nothing before it fails.
    if (!in.has(qint64(m_font.rangeCount) * kRangeEntrySize))
        return truncated(in, QStringLiteral("the table of %1 code ranges").arg(m_font.rangeCount),
                         in.pos());
    m_font.ranges.reserve(m_font.rangeCount);
    for (int i = 0; i < m_font.rangeCount; ++i) {
        FntRange range;
        in.readU16BE(range.firstCode);
        in.readU16BE(range.lastCode);
        m_font.ranges.append(range);
    }
    checkRanges(kRangesPos);
    return true;
}

void FntReader::checkRanges(qint64 rangesPos)
{
    const int glyphCount = m_font.glyphCount;
    qint64 enumerated = 0;
    for (int i = 0; i < m_font.ranges.size(); ++i) {
        const FntRange range = m_font.ranges.at(i);
        const qint64 pos = rangesPos + qint64(i) * kRangeEntrySize;
        if (range.firstCode == 0)
            violation(pos, QStringLiteral("range %1 starts at code 0x0000, which is never a glyph").arg(i));
        if (range.lastCode < range.firstCode) {
            violation(pos + 2, QStringLiteral("range %1 ends at code %2, before its first code %3")
                                   .arg(i)
                                   .arg(codeText(range.lastCode), codeText(range.firstCode)));
            continue;
        }
        if (i > 0) {
            // Codes ascend; a code can repeat (two shapes mapped to one
            // character), but two runs that meet would have been one range.
            const quint16 previousLast = m_font.ranges.at(i - 1).lastCode;
            if (range.firstCode < previousLast)
                violation(pos, QStringLiteral("range %1 starts at code %2, below the end %3 of "
                                              "the range before: ranges must ascend")
                                   .arg(i)
                                   .arg(codeText(range.firstCode), codeText(previousLast)));
            else if (range.firstCode == previousLast + 1)
                violation(pos, QStringLiteral("range %1 continues the range before (%2 follows %3): "
                                              "one run of codes is one range")
                                   .arg(i)
                                   .arg(codeText(range.firstCode), codeText(previousLast)));
        }
        enumerated += qint64(range.lastCode) - range.firstCode + 1;
        for (int code = range.firstCode; code <= range.lastCode && m_codes.size() < glyphCount;
             ++code)
            m_codes.append(quint16(code));
    }
    if (enumerated != glyphCount)
        violation(kGlyphCountPos, QStringLiteral("the glyph count is %1, but the ranges enumerate "
                                                 "%2 codes")
                                      .arg(glyphCount)
                                      .arg(enumerated));
}

bool FntReader::readOffsets(Cursor &in)
{
    if (!in.has(qint64(m_font.glyphCount) * kOffsetEntrySize))
        return truncated(in, QStringLiteral("the table of %1 glyph offsets").arg(m_font.glyphCount),
                         in.pos());
    m_font.offsets.reserve(m_font.glyphCount);
    for (int k = 0; k < m_font.glyphCount; ++k) {
        quint32 offset = 0;
        in.readU32BE(offset);
        m_font.offsets.append(offset);
    }
    return true;
}

bool FntReader::readGlyph(Cursor &in, int index, quint16 code)
{
    FntGlyph glyph;
    glyph.code = code;
    glyph.position = in.pos();

    // Records sit back to back, so each offset must be where the record
    // before it ended.
    const quint32 offset = m_font.offsets.at(index);
    if (offset != glyph.position) {
        const qint64 entryPos = kRangesPos + qint64(m_font.rangeCount) * kRangeEntrySize
                                + qint64(index) * kOffsetEntrySize;
        violation(entryPos,
                  QStringLiteral("the offset of %1 is %2, but its record starts at byte %3%4")
                      .arg(describeGlyph(index, code))
                      .arg(offset)
                      .arg(glyph.position)
                      .arg(index == 0 ? QStringLiteral(", right after the offset table")
                                      : QStringLiteral(", where the record before ends")));
    }

    quint16 lineCount = 0;
    quint16 polylineCount = 0;
    quint16 arcCount = 0;
    const uchar *reserved = nullptr;
    if (!in.readI16BE(glyph.advance) || !in.readU16BE(lineCount) || !in.readU16BE(polylineCount)
        || !in.readU16BE(arcCount) || !(reserved = in.take(kReservedBytes)))
        return truncated(in, QStringLiteral("the record of %1").arg(describeGlyph(index, code)),
                         glyph.position);
    if (std::any_of(reserved, reserved + kReservedBytes, [](uchar byte) { return byte != 0; }))
        violation(glyph.position + kRecordHeadSize - kReservedBytes,
                  QStringLiteral("the six reserved bytes of %1 are not all zero")
                      .arg(describeGlyph(index, code)));

    if (!readStrokes(in, glyph, lineCount, polylineCount, arcCount))
        return truncated(in, QStringLiteral("the record of %1").arg(describeGlyph(index, code)),
                         glyph.position);
    glyph.size = in.pos() - glyph.position;
    m_font.glyphs.append(std::move(glyph));
    return true;
}

// The lines, polylines and arcs of a record whose head has been read.
bool FntReader::readStrokes(Cursor &in, FntGlyph &glyph, quint16 lineCount,
                            quint16 polylineCount, quint16 arcCount)
{
    if (!in.has(qint64(lineCount) * kLineSize))
        return false;
    if (m_keepStrokes)
        glyph.lines.reserve(lineCount);
    for (int i = 0; i < lineCount; ++i) {
        FntLine line;
        in.readI16BE(line.x1);
        in.readI16BE(line.y1);
        in.readI16BE(line.x2);
        in.readI16BE(line.y2);
        glyph.box.add(line.x1, line.y1);
        glyph.box.add(line.x2, line.y2);
        if (m_keepStrokes)
            glyph.lines.append(line);
    }
    if (!readPolylines(in, glyph, polylineCount) || !readArcs(in, glyph, arcCount))
        return false;
    glyph.bounds.unite(glyph.box);
    return true;
}

FntExtents FntReader::extentsOf(const QByteArray &bytes, const FntGlyph &glyph)
{
    FntReader again; // its findings are not wanted: read() made them
    FntGlyph whole;
    Cursor in(bytes);
    quint16 lineCount = 0;
    quint16 polylineCount = 0;
    quint16 arcCount = 0;
    if (!in.take(glyph.position) || !in.take(2) || !in.readU16BE(lineCount)
        || !in.readU16BE(polylineCount) || !in.readU16BE(arcCount) || !in.take(kReservedBytes))
        return {};
    again.setKeepStrokes(false);
    again.readStrokes(in, whole, lineCount, polylineCount, arcCount);
    return whole.box;
}

bool FntReader::readPolylines(Cursor &in, FntGlyph &glyph, quint16 count)
{
    for (int i = 0; i < count; ++i) {
        const qint64 pos = in.pos();
        quint16 pointCount = 0;
        if (!in.readU16BE(pointCount) || !in.has(qint64(pointCount) * kPointSize))
            return false;
        if (pointCount < kMinPolylinePoints)
            violation(pos, QStringLiteral("polyline %1 of glyph %2 has %3 points; a polyline has "
                                          "three or more")
                               .arg(i)
                               .arg(m_font.glyphs.size())
                               .arg(pointCount));
        FntPolyline polyline;
        if (m_keepStrokes)
            polyline.points.reserve(pointCount);
        for (int p = 0; p < pointCount; ++p) {
            qint16 x = 0;
            qint16 y = 0;
            in.readI16BE(x);
            in.readI16BE(y);
            glyph.box.add(x, y);
            if (m_keepStrokes)
                polyline.points.append(QPoint(x, y));
        }
        if (m_keepStrokes)
            glyph.polylines.append(std::move(polyline));
    }
    return true;
}

bool FntReader::readArcs(Cursor &in, FntGlyph &glyph, quint16 count)
{
    if (!in.has(qint64(count) * kArcSize))
        return false;
    for (int i = 0; i < count; ++i) {
        const qint64 pos = in.pos();
        FntArc arc;
        in.readI16BE(arc.centerX);
        in.readI16BE(arc.centerY);
        in.readI16BE(arc.radius);
        in.readF32BE(arc.startAngle);
        in.readF32BE(arc.endAngle);
        checkArcAngles(arc, pos, i);
        // Only an arc that extents() draws widens the bounds, so both are
        // empty together.
        if (std::isfinite(arc.startAngle) && std::isfinite(arc.endAngle)
            && arc.endAngle >= arc.startAngle) {
            const double reach = std::fabs(double(arc.radius));
            glyph.bounds.add(arc.centerX - reach, arc.centerY - reach);
            glyph.bounds.add(arc.centerX + reach, arc.centerY + reach);
            if (m_exactExtents)
                addArc(glyph.box, arc);
        }
        if (m_keepStrokes)
            glyph.arcs.append(arc);
    }
    return true;
}

// Angles are floats: past a million degrees they step by a sixteenth of a
// degree and more, and no drawing turns an arc round more than four times.
// The converter writes angles below 810 degrees and spans of one turn at
// most, so these bounds only catch damaged or hostile values.
namespace {
constexpr double kLargestAngle = 1e6;
constexpr double kLongestSpan = 4 * 360.0;
} // namespace

void FntReader::checkArcAngles(const FntArc &arc, qint64 pos, int index)
{
    const qint64 startPos = pos + kArcStartAngleOffset;
    const qint64 endPos = pos + kArcEndAngleOffset;
    const double start = arc.startAngle;
    const double end = arc.endAngle;
    // Made only for a message: every arc of a large font passes through here.
    const auto which = [&] {
        return QStringLiteral("arc %1 of glyph %2").arg(index).arg(m_font.glyphs.size());
    };
    if (std::isnan(start) || std::isnan(end)) {
        violation(std::isnan(start) ? startPos : endPos,
                  QStringLiteral("%1 has an angle that is not a number, so it has no start or end")
                      .arg(which()));
    } else if (!std::isfinite(start) || !std::isfinite(end)) {
        violation(std::isfinite(start) ? endPos : startPos,
                  QStringLiteral("%1 runs from %2 to %3 degrees: an infinite angle has no "
                                 "direction")
                      .arg(which())
                      .arg(start)
                      .arg(end));
    } else if (end < start) {
        violation(endPos, QStringLiteral("%1 ends at %2 degrees, which is below its start angle %3")
                              .arg(which())
                              .arg(end)
                              .arg(start));
    } else if (std::fabs(start) > kLargestAngle || std::fabs(end) > kLargestAngle) {
        violation(std::fabs(start) > kLargestAngle ? startPos : endPos,
                  QStringLiteral("%1 runs from %2 to %3 degrees, beyond a million degrees "
                                 "either way")
                      .arg(which())
                      .arg(start)
                      .arg(end));
    } else if (end - start > kLongestSpan) {
        violation(endPos, QStringLiteral("%1 runs from %2 to %3 degrees, more than four turns")
                              .arg(which())
                              .arg(start)
                              .arg(end));
    }
}

bool FntReader::truncated(const Cursor &in, const QString &what, qint64 start)
{
    violation(in.size(), QStringLiteral("the file ends at byte %1, inside %2, which starts at "
                                        "byte %3")
                             .arg(in.size())
                             .arg(what)
                             .arg(start));
    return false;
}

void FntReader::violation(qint64 position, const QString &message)
{
    m_violations.append({position, message});
}

void FntExtents::unite(const FntExtents &other)
{
    if (other.empty)
        return;
    add(other.minX, other.minY);
    add(other.maxX, other.maxY);
}

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// An arc's extremes lie at its ends and wherever it passes one of the four
// axis directions. Worked out on the start reduced to one turn, never by
// stepping along the arc, so any angle takes the same few operations.
void addArc(FntExtents &box, const FntArc &arc)
{
    const double start = arc.startAngle;
    const double end = arc.endAngle;
    if (!std::isfinite(start) || !std::isfinite(end) || end < start)
        return;
    const auto addAt = [&](double degrees) {
        const double radians = degrees * kRadiansPerDegree;
        box.add(arc.centerX + arc.radius * std::cos(radians),
                arc.centerY + arc.radius * std::sin(radians));
    };
    const double span = end - start;
    if (span >= 360.0) {
        for (int quarter = 0; quarter < 4; ++quarter)
            addAt(quarter * 90.0);
        return;
    }
    // fmod is exact, so even a huge start keeps its direction.
    double from = std::fmod(start, 360.0);
    if (from < 0.0)
        from += 360.0;
    const double to = from + span;
    addAt(from);
    addAt(to);
    for (int quarter = 0; quarter < 8; ++quarter) {
        const double axis = quarter * 90.0;
        if (axis > from && axis < to)
            addAt(axis);
    }
}

} // namespace

FntExtents FntGlyph::extents() const
{
    FntExtents box;
    for (const FntLine &line : lines) {
        box.add(line.x1, line.y1);
        box.add(line.x2, line.y2);
    }
    for (const FntPolyline &polyline : polylines) {
        for (const QPoint &point : polyline.points)
            box.add(point.x(), point.y());
    }
    for (const FntArc &arc : arcs)
        addArc(box, arc);
    return box;
}

QString FntFont::name() const
{
    QByteArray trimmed = nameField;
    while (trimmed.endsWith(' '))
        trimmed.chop(1);
    return QString::fromLatin1(trimmed);
}

FntExtents FntFont::extents() const
{
    FntExtents box;
    for (const FntGlyph &glyph : glyphs)
        box.unite(glyph.extents());
    return box;
}

} // namespace fnt
