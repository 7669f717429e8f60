// Reads an FNT file back and checks it against the format.
//
// Our own reader, independent of the writer: it parses the header, the code
// ranges, the offset table and every glyph record, and reports each broken
// rule with the byte position where it shows. It reads through one bounds-
// checked cursor, so no input, however damaged, is read past its end.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QString>

#include <algorithm>

namespace fnt {

struct FntRange
{
    quint16 firstCode = 0;
    quint16 lastCode = 0;
};

struct FntLine
{
    qint16 x1 = 0;
    qint16 y1 = 0;
    qint16 x2 = 0;
    qint16 y2 = 0;
};

struct FntPolyline
{
    QList<QPoint> points;
};

// Counter-clockwise from startAngle to endAngle, degrees, not reduced to one turn.
struct FntArc
{
    qint16 centerX = 0;
    qint16 centerY = 0;
    qint16 radius = 0;
    float startAngle = 0.0f;
    float endAngle = 0.0f;
};

// Smallest box holding a set of points; `empty` until the first point.
struct FntExtents
{
    bool empty = true;
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;

    void add(double x, double y);
    void unite(const FntExtents &other);
};

// Inline: the reader adds every point of every glyph.
inline void FntExtents::add(double x, double y)
{
    if (empty) {
        minX = maxX = x;
        minY = maxY = y;
        empty = false;
        return;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
}

struct FntGlyph
{
    quint16 code = 0;
    qint64 position = 0; // where the record starts in the file
    qint64 size = 0;     // record length in bytes
    qint16 advance = 0;
    QList<FntLine> lines;
    QList<FntPolyline> polylines;
    QList<FntArc> arcs;
    // What extents() gives, worked out while the record is read: there even
    // when the strokes are not kept. Without exact extents only the lines
    // and polyline points count, which extents() holds too.
    FntExtents box;
    // Every stroke, each arc as its whole circle: holds extents(), and is
    // empty exactly when extents() is.
    FntExtents bounds;

    // Every stroke, arcs as drawn (not their whole circles).
    FntExtents extents() const;
};

struct FntFont
{
    QByteArray nameField; // the 36 name bytes as stored
    qint16 wordA = 0;
    qint16 wordB = 0;
    qint16 height = 0;
    qint16 baseline = 0;
    qint16 width = 0;
    quint16 glyphCount = 0;
    quint16 rangeCount = 0;
    QList<FntRange> ranges;
    QList<quint32> offsets;
    QList<FntGlyph> glyphs; // those records that could be read, in file order
    qint64 fileSize = 0;

    // The name without its padding, each byte read as Latin-1.
    QString name() const;
    FntExtents extents() const;
};

struct FntViolation
{
    qint64 position = 0; // byte position in the file where the problem shows
    QString message;
};

class FntReader
{
public:
    // Parses `bytes` and checks every rule of the format. Returns true when
    // the file broke none. Whatever could be read is kept in font().
    bool read(const QByteArray &bytes);
    bool readFile(const QString &path, QString *errorString = nullptr);
    // Off: each glyph keeps its code, position, size, advance and box but
    // not its strokes, which makes checking a large file much cheaper.
    void setKeepStrokes(bool keep) { m_keepStrokes = keep; }
    // Off: arcs are left out of each glyph's box (no trigonometry); bounds
    // still hold them, and extentsOf() gives the exact extents where needed.
    void setExactExtents(bool exact) { m_exactExtents = exact; }
    // The extents of a glyph of `bytes` read without its strokes: its record
    // is read again. The same values as extents() of the glyph read whole.
    static FntExtents extentsOf(const QByteArray &bytes, const FntGlyph &glyph);

    const FntFont &font() const { return m_font; }
    const QList<FntViolation> &violations() const { return m_violations; }
    bool isValid() const { return m_violations.isEmpty(); }

private:
    class Cursor;

    bool readHeader(Cursor &in);
    bool readRanges(Cursor &in);
    void checkRanges(qint64 rangesPos);
    bool readOffsets(Cursor &in);
    bool readGlyph(Cursor &in, int index, quint16 code);
    bool readStrokes(Cursor &in, FntGlyph &glyph, quint16 lineCount, quint16 polylineCount,
                     quint16 arcCount);
    bool readPolylines(Cursor &in, FntGlyph &glyph, quint16 count);
    bool readArcs(Cursor &in, FntGlyph &glyph, quint16 count);
    void checkArcAngles(const FntArc &arc, qint64 pos, int index);
    bool truncated(const Cursor &in, const QString &what, qint64 start);
    void violation(qint64 position, const QString &message);

    FntFont m_font;
    QList<quint16> m_codes; // the codes the ranges enumerate, capped at N
    QList<FntViolation> m_violations;
    bool m_keepStrokes = true;
    bool m_exactExtents = true;
};

} // namespace fnt
