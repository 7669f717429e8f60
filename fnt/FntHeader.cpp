// The FNT header: font name, header words, glyph count and code ranges.
#include "fnt/CodeOrder.h"
#include "fnt/FntBytes.h"
#include "job/ConversionJob.h"

void ConversionJob::buildFntHeader()
{
    // The name field is 36 bytes: a longer base name is cut, so that every
    // later field stays where readers look for it. Characters beyond
    // Latin-1 become '?'.
    const QString name = fontName.left(fnt::kNameLength).leftJustified(fnt::kNameLength, u' ');
    fntBytes.append(name.toLatin1());

    fnt::putU16BE(fntBytes, fntWordA);
    fnt::putU16BE(fntBytes, fntWordB);
    fnt::putU16BE(fntBytes, fntHeight);
    baselinePos = qint32(fntBytes.size());
    Q_ASSERT(baselinePos == fnt::kBaselinePos);
    fnt::putU16BE(fntBytes, fntBaseline);
    fnt::putU16BE(fntBytes, fntWidth);

    // Shape 0 holds the font information and is never a glyph.
    const qint32 glyphCount = qint32(shapeMap.size()) - (shapeMap.contains(0) ? 1 : 0);
    fnt::putU16BE(fntBytes, glyphCount);

    // Each shape's code is mapped once here; the glyph records use the same.
    mapShapeCodes();
    codeList = mappedCodes;
    if (CodePage(codePageKind) != CodePage::None)
        fnt::sortByCode(codeList, [](quint16 code) { return code; });

    if (glyphCount == 0)
        return;

    // Runs of consecutive codes; a code that stands twice starts a new run.
    QList<quint16> ranges;
    auto code = codeList.cbegin();
    if (*code == 0) // after sorting a 0 can only stand first
        ++code;
    quint16 start = *code;
    quint16 prev = *code;
    for (++code; code != codeList.cend(); ++code) {
        if (*code == prev + 1) {
            prev = *code;
        } else {
            ranges << start << prev;
            start = prev = *code;
        }
    }
    ranges << start << prev;

    fnt::putU16BE(fntBytes, qint32(ranges.size() / 2));
    for (quint16 value : std::as_const(ranges))
        fnt::putU16BE(fntBytes, value);
}
