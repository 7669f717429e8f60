// The box an FNT font's glyphs are made for, where its header puts it: from
// the origin to the font's width, and from the baseline up by the font's
// height. The baseline is where the file says, 63 or raised far above it by a
// glyph that reaches low. A glyph whose strokes or advance reach more than
// kFarHeights font heights past this box is one a person should look at: the
// conversion warns about it and a glyph sheet frames it in red, both by
// reachesFar(), so that they always name the same glyphs.
#pragma once

#include "fnt/FntReader.h"

#include <algorithm>

namespace fnt {

constexpr int kFarHeights = 4;

struct FontBox
{
    double left = 0.0;
    double bottom = 0.0;
    double right = 0.0;
    double top = 0.0;
};

// A damaged file may give a negative height or width: the box still spans it.
inline FontBox fontBox(const FntFont &font)
{
    const double baseline = font.baseline;
    const double top = baseline + font.height;
    return {std::min(0.0, double(font.width)), std::min(baseline, top),
            std::max(0.0, double(font.width)), std::max(baseline, top)};
}

// `strokes` are the glyph's extents (arcs as drawn), `advance` its advance.
inline bool reachesFar(const FntFont &font, const FntExtents &strokes, double advance)
{
    const FontBox box = fontBox(font);
    const double reach = kFarHeights * std::max(1.0, box.top - box.bottom);
    const double left = box.left - reach;
    const double right = box.right + reach;
    return advance < left || advance > right
           || (!strokes.empty
               && (strokes.minX < left || strokes.maxX > right || strokes.minY < box.bottom - reach
                   || strokes.maxY > box.top + reach));
}

} // namespace fnt
