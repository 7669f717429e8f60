// A sheet of glyphs drawn from an FNT font: one cell per glyph with its
// code, baseline, origin and advance, and the strokes exactly as stored.
#pragma once

#include "fnt/FntReader.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>

class QPainter;

namespace cli {

class GlyphSheet
{
public:
    // Draws font.glyphs at the given indexes, all at one scale.
    GlyphSheet(const fnt::FntFont &font, const QList<int> &glyphIndexes);

    QSize size() const { return m_size; }
    void paint(QPainter &painter) const;

private:
    void paintCell(QPainter &painter, int cell, const fnt::FntGlyph &glyph) const;
    void paintStrokes(QPainter &painter, const QRectF &box, const fnt::FntGlyph &glyph) const;
    QRectF glyphBox(int cell) const;
    // FNT units (y up) to sheet pixels (y down) inside a cell's glyph box.
    QPointF toSheet(const QRectF &box, double x, double y) const;

    const fnt::FntFont &m_font;
    QList<int> m_indexes;
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
