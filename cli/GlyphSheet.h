// A sheet of glyphs drawn from an FNT font: one cell per glyph with its
// code, baseline, origin and advance, and the strokes exactly as stored.
// Cells are sized from the glyphs that lie near the font's box; a glyph
// reaching far outside it is drawn clipped to its cell and marked in red.
#pragma once

#include "fnt/FntReader.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>

class QPainter;

namespace cli {

class GlyphSheet
{
public:
    // Draws font.glyphs at the given indexes, all at one scale; `names`
    // gives a name to show beside a glyph's code, where the font has one.
    GlyphSheet(const fnt::FntFont &font, const QList<int> &glyphIndexes,
               const QHash<quint16, QString> &names = {});

    int clippedCount() const { return int(m_clipped.count(true)); }

    QSize size() const { return m_size; }
    void paint(QPainter &painter) const;

private:
    void paintCell(QPainter &painter, int cell, const fnt::FntGlyph &glyph, bool clipped) const;
    void paintStrokes(QPainter &painter, const QRectF &box, const fnt::FntGlyph &glyph) const;
    QRectF glyphBox(int cell) const;
    // FNT units (y up) to sheet pixels (y down) inside a cell's glyph box.
    QPointF toSheet(const QRectF &box, double x, double y) const;

    const fnt::FntFont &m_font;
    QList<int> m_indexes;
    QString m_title;
    QHash<quint16, QString> m_names;
    QList<bool> m_clipped; // per cell: the glyph reaches past the frame
    // The part of the FNT plane every cell shows, and pixels per unit.
    double m_left = 0.0;
    double m_bottom = 0.0;
    double m_scale = 1.0;
    QSizeF m_boxSize;
    QSizeF m_cellSize;
    int m_columns = 1;
    QSize m_size;
};

} // namespace cli
