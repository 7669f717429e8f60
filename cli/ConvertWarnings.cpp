// Warnings about fonts that convert: subshapes the font lacks or nests too
// deeply, a font that draws nothing, glyphs far outside the box, a name the
// FNT file cannot hold.
#include "ConvertWarnings.h"

#include "fnt/CodeText.h"
#include "fnt/FntBytes.h"
#include "fnt/FontBox.h"
#include "io/FileAccess.h"

namespace cli::convert {

namespace {

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

// Where a listed glyph reaches: its strokes, and its advance when that is
// what reaches far.
QString reachText(const fnt::FntFont &font, const fnt::FntGlyph &glyph, const fnt::FntExtents &box)
{
    QStringList parts;
    if (!box.empty)
        parts << QStringLiteral("x %L1 to %L2, y %L3 to %L4")
                     .arg(box.minX, 0, 'f', 0)
                     .arg(box.maxX, 0, 'f', 0)
                     .arg(box.minY, 0, 'f', 0)
                     .arg(box.maxY, 0, 'f', 0);
    if (fnt::reachesFar(font, {}, glyph.advance))
        parts << QStringLiteral("advance %L1").arg(glyph.advance);
    return parts.join(QStringLiteral(", "));
}

// The glyphs' reach, looked at once for "draws nothing" and "reaches far".
// Far is what a glyph sheet frames in red: fnt::reachesFar, from the box the
// file's baseline and height put the glyphs in.
void addDrawingWarnings(QStringList &warnings, const fnt::FntFont &font, const QByteArray &image,
                        bool exact, fnt::FntExtents &extents)
{
    QStringList far;
    int farCount = 0;
    bool drawsSomething = false;
    for (const fnt::FntGlyph &glyph : font.glyphs) {
        drawsSomething = drawsSomething || !glyph.bounds.empty;
        const auto reachesFar = [&](const fnt::FntExtents &box) {
            return fnt::reachesFar(font, box, glyph.advance);
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
                far << QStringLiteral("%1 (%2)").arg(fnt::codeText(glyph.code), reachText(font, glyph, box));
            ++farCount;
        }
    }
    if (font.glyphCount > 0 && !drawsSomething)
        warnings << QStringLiteral("the font draws nothing: none of its %L1 glyphs has a stroke")
                        .arg(font.glyphCount);
    if (farCount > 0) {
        const fnt::FontBox home = fnt::fontBox(font);
        warnings << QStringLiteral("%1 %2 more than %3 font heights outside the font's box "
                                   "(x %L4 to %L5, y %L6 to %L7): %8")
                        .arg(farCount)
                        .arg(farCount == 1 ? QStringLiteral("glyph reaches") : QStringLiteral("glyphs reach"))
                        .arg(fnt::kFarHeights)
                        .arg(home.left)
                        .arg(home.right)
                        .arg(home.bottom)
                        .arg(home.top)
                        .arg(glyphList(far, farCount));
    }
}

// The FNT name field holds one Latin-1 byte per character, 36 at most.
QString nameWarning(const ConversionJob &job, const fnt::FntFont &font)
{
    QString wanted = job.fontName;
    while (wanted.endsWith(u' '))
        wanted.chop(1);
    if (font.name() == wanted)
        return {};
    return QStringLiteral("the FNT name field holds at most %1 Latin-1 characters: the name "
                          "\"%2\" is stored as \"%3\"")
        .arg(fnt::kNameLength)
        .arg(io::printableName(job.fontName), io::printableName(font.name()));
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
    const QString name = nameWarning(job, font);
    if (!name.isEmpty())
        warnings << name;
    const QString codePage = codePageWarning(job, options);
    if (!codePage.isEmpty())
        warnings << codePage;
    return warnings;
}

QString codePageWarning(const ConversionJob &job, const Options &options)
{
    return options.useCodePage && !(job.fontKind & ConversionJob::kBigfontKind)
               ? QStringLiteral("--code-page has no effect: this is not a big font")
               : QString();
}

} // namespace cli::convert
