// The tables of a big font: escape ranges, index and font-info record.
#include "job/ConversionJob.h"

#include <QList>

namespace {

constexpr quint32 kBigfontSkipped = 2;
constexpr int kCodePageCount = 5;
// A character height of 0 in the file stands for 8.
constexpr quint8 kDefaultHeight = 8;

// The code page that a font's escape ranges (lead byte ranges) point to.
// Bounds are read as signed 16-bit numbers.
qint32 detectCodePage(const QList<qint16> &escapeRanges)
{
    if (escapeRanges.isEmpty())
        return 0;
    bool containsC9 = false;
    bool contains80 = false;
    bool boundInA1toDF = false;
    for (qsizetype i = 0; i + 1 < escapeRanges.size(); i += 2) {
        const qint16 first = escapeRanges.at(i);
        const qint16 last = escapeRanges.at(i + 1);
        containsC9 = containsC9 || (first <= 0xC9 && 0xC9 <= last);
        contains80 = contains80 || (first <= 0x80 && 0x80 <= last);
        boundInA1toDF = boundInA1toDF || (first >= 0xA1 && first <= 0xDF)
                        || (last >= 0xA1 && last <= 0xDF);
    }
    if (containsC9)
        return contains80 ? 2 : 3; // Big5 : GBC
    return boundInA1toDF ? 1 : 4;  // EUC_KR : Shift-JIS
}

} // namespace

bool ConversionJob::readBigfontTable()
{
    quint16 entryCount = 0;
    quint16 escapeCount = 0;
    if (!skipBytes(kBigfontSkipped) || !readU16LE(entryCount) || !readU16LE(escapeCount))
        return false;

    QList<qint16> escapeRanges;
    escapeRanges.reserve(2 * escapeCount);
    for (int i = 0; i < escapeCount; ++i) {
        quint16 first = 0;
        quint16 last = 0;
        if (!readU16LE(first) || !readU16LE(last))
            return false;
        escapeRanges << qint16(first) << qint16(last);
    }

    if (useCodePage)
        codePageKind = (codePageIndex >= 0 && codePageIndex < kCodePageCount) ? codePageIndex : 0;
    else
        codePageKind = detectCodePage(escapeRanges);

    // Index entries: code, length (unused), offset from the start of the file.
    // An offset outside the file can never start a shape: leave it out.
    const quint32 size = dataSize();
    for (int i = 0; i < entryCount; ++i) {
        quint16 code = 0;
        quint32 offset = 0;
        if (!readU16LE(code) || !skipBytes(2) || !readU32LE(offset))
            return false;
        if (offset < size)
            shapeMap[code] = qint32(offset);
    }

    // The font-info record follows the index: name, then the height.
    quint8 height = 0;
    if (!skipName() || !readU8(height))
        return false;
    bigfontHeight = height != 0 ? height : kDefaultHeight;
    above = bigfontHeight;
    return true;
}
