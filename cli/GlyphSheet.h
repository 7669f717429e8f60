// A sheet of glyphs drawn from an FNT font: one cell per glyph with its
// code, baseline, origin and advance, and the strokes exactly as stored.
// Cells are sized from the glyphs that lie near the font's box and drawn at
// one scale; a glyph reaching far outside it (the glyphs conversion warns
// about) is framed in red and drawn at a scale of its own that fits it into
// its cell, so that it shows whole and one stray glyph shrinks no other.
#pragma once

#include "fnt/FntReader.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>

class QPainter;

namespace cli {

// Bounds that keep a sheet within a couple of seconds and some 200 MB
// whatever the font: a bigger picture, more glyphs or more strokes than
// these are refused with advice to draw a part (--codes).
constexpr qint64 kMaxPngPixels = qint64(32) * 1000 * 1000;
constexpr int kMaxGlyphsPerSheet = 2048;
// A stroke (line, polyline point or arc) costs some 10 microseconds to draw
// and 150 bytes of SVG.
constexpr qint64 kMaxStrokesPerSheet = 100000;

// What kMaxStrokesPerSheet counts of a glyph: lines, polyline points, arcs.
qint64 strokeCount(const fnt::FntGlyph &glyph);

class GlyphSheet
{
public:
    // Draws font.glyphs at the given indexes, all at one scale; `names`
    // gives a name to show beside a glyph's code, where the font has one.
    GlyphSheet(const fnt::FntFont &font, const QList<int> &glyphIndexes,
               const QHash<quint16, QString> &names = {});

    int framedCount() const { return int(m_framed.count(true)); }

    QSize size() const { return m_size; }
    void paint(QPainter &painter) const;

private:
    // The part of the FNT plane a cell shows: its lower left corner, and
    // pixels per unit.
    struct View
    {
        double left = 0.0;
        double bottom = 0.0;
        double scale = 1.0;
    };

    void paintCell(QPainter &painter, int cell, const fnt::FntGlyph &glyph) const;
    void paintStrokes(QPainter &painter, const QRectF &box, const View &view,
                      const fnt::FntGlyph &glyph) const;
    QRectF glyphBox(int cell) const;
    // FNT units (y up) to sheet pixels (y down) inside a cell's glyph box.
    static QPointF toSheet(const QRectF &box, const View &view, double x, double y);

    const fnt::FntFont &m_font;
    QList<int> m_indexes;
    QString m_title;
    QHash<quint16, QString> m_names;
    QList<bool> m_framed; // per cell: the glyph reaches far outside the font's box
    QHash<int, View> m_framedViews; // by cell
    View m_view; // every other cell's
    QSizeF m_boxSize;
    QSizeF m_cellSize;
    int m_columns = 1;
    QSize m_size;
};

} // namespace cli
