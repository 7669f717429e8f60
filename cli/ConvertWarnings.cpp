// Warnings about fonts that convert: subshapes the font lacks or nests too
// deeply, a font that draws nothing, glyphs far outside the box.
#include "ConvertWarnings.h"

#include "fnt/CodeText.h"

namespace cli::convert {

namespace {

// A glyph reaching further than this many font heights beyond its own box
// would shrink every other glyph of a sheet drawn to hold it.
constexpr int kFarHeights = 4;
// Warnings that list glyphs name at most this many.
constexpr int kListedGlyphs = 5;

QString glyphList(const QStringList &items, int total)
{
    QString text = items.join(QStringLiteral(", "));
    if (total > items.size())
        text += QStringLiteral(" and %1 more").arg(total - items.size());
    return text;
}

QString missingSubshapesWarning(const ConversionJob &job)
{
    QStringList items;
    for (auto it = job.missingSubshapes.cbegin();
         it != job.missingSubshapes.cend() && items.size() < kListedGlyphs; ++it) {
        QStringList numbers;
        for (const quint16 number : it.value())
            numbers << fnt::codeText(number);
        items << QStringLiteral("%1 (calls %2)").arg(fnt::codeText(it.key()), numbers.join(QStringLiteral(", ")));
    }
    const int total = int(job.missingSubshapes.size());
    return QStringLiteral("%1 %2 subshapes the font does not have: %3")
        .arg(total)
        .arg(total == 1 ? QStringLiteral("glyph calls") : QStringLiteral("glyphs call"),
             glyphList(items, total));
}

QString tooDeepWarning(const ConversionJob &job)
{
    QStringList items;
    for (const quint16 glyph : job.tooDeepGlyphs.mid(0, kListedGlyphs))
        items << fnt::codeText(glyph);
    const int total = int(job.tooDeepGlyphs.size());
    return QStringLiteral("%1 %2 where subshapes nest more than four levels deep: %3")
        .arg(total)
        .arg(total == 1 ? QStringLiteral("glyph stops") : QStringLiteral("glyphs stop"),
             glyphList(items, total));
}

// The glyphs' reach, looked at once for "draws nothing" and "reaches far".
void addDrawingWarnings(QStringList &warnings, const fnt::FntFont &font, const QByteArray &image,
                        bool exact, fnt::FntExtents &extents)
{
    const double reach = double(kFarHeights) * qMax<qint16>(1, font.height);
    QStringList far;
    int farCount = 0;
    bool drawsSomething = false;
    for (const fnt::FntGlyph &glyph : font.glyphs) {
        if (glyph.bounds.empty)
            continue;
        drawsSomething = true;
        const double right = qMax<double>(glyph.advance, font.width);
        const auto reachesFar = [&](const fnt::FntExtents &box) {
            return !box.empty
                   && (box.minX < -reach || box.maxX > right + reach || box.minY < -reach
                       || box.maxY > font.height + reach);
        };
        fnt::FntExtents box;
        if (exact) {
            box = glyph.box;
            extents.unite(box);
        } else if (!reachesFar(glyph.bounds)) {
            continue; // the bounds hold the extents
        } else if (reachesFar(glyph.box) && far.size() >= kListedGlyphs) {
            ++farCount; // its lines and points alone reach far, and it is not listed
            continue;
        } else {
            box = fnt::FntReader::extentsOf(image, glyph);
        }
        if (reachesFar(box)) {
            if (far.size() < kListedGlyphs)
                far << QStringLiteral("%1 (x %L2 to %L3, y %L4 to %L5)")
                           .arg(fnt::codeText(glyph.code))
                           .arg(box.minX, 0, 'f', 0)
                           .arg(box.maxX, 0, 'f', 0)
                           .arg(box.minY, 0, 'f', 0)
                           .arg(box.maxY, 0, 'f', 0);
            ++farCount;
        }
    }
    if (font.glyphCount > 0 && !drawsSomething)
        warnings << QStringLiteral("the font draws nothing: none of its %L1 glyphs has a stroke")
                        .arg(font.glyphCount);
    if (farCount > 0)
        warnings << QStringLiteral("%1 %2 more than %3 font heights outside the font's box of "
                                   "height %4: %5")
                        .arg(farCount)
                        .arg(farCount == 1 ? QStringLiteral("glyph reaches") : QStringLiteral("glyphs reach"))
                        .arg(kFarHeights)
                        .arg(font.height)
                        .arg(glyphList(far, farCount));
}

} // namespace

QStringList warningsFor(const ConversionJob &job, const fnt::FntFont &font, const QByteArray &image,
                        const Options &options, bool exact, fnt::FntExtents &extents)
{
    QStringList warnings;
    if (!job.missingSubshapes.isEmpty())
        warnings << missingSubshapesWarning(job);
    if (!job.tooDeepGlyphs.isEmpty())
        warnings << tooDeepWarning(job);
    addDrawingWarnings(warnings, font, image, exact, extents);
    if (options.useCodePage && !(job.fontKind & ConversionJob::kBigfontKind))
        warnings << QStringLiteral("--code-page has no effect: this is not a big font");
    return warnings;
}

} // namespace cli::convert
