// What a person should look at although a font converted.
#pragma once

#include "ConvertTask.h"

namespace cli::convert {

// The warnings for a converted font: missing or too deeply nested subshapes,
// a font that draws nothing, glyphs that reach far outside the font's box, a
// name the FNT name field cannot hold, a forced code page that does nothing. With `exact` the reader worked out
// every glyph's extents and `extents` unites them; otherwise a glyph's own
// are worked out only where the reader's bounds cannot tell whether it
// reaches far, or where it is listed.
QStringList warningsFor(const ConversionJob &job, const fnt::FntFont &font, const QByteArray &image,
                        const Options &options, bool exact, fnt::FntExtents &extents);

// A forced code page on a font that is not a big font, which it does not
// change; empty otherwise.
QString codePageWarning(const ConversionJob &job, const Options &options);

} // namespace cli::convert
