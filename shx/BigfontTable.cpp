// The tables of a big font: escape ranges, index and font-info record.
#include "job/ConversionJob.h"
#include "shx/ShxReasons.h"

#include <QList>

namespace {

constexpr quint32 kBigfontSkipped = 2;
// A character height of 0 in the file stands for 8.
constexpr quint8 kDefaultHeight = 8;

// The code page that a font's escape ranges (lead byte ranges) point to.
// Bounds are compared as signed 16-bit numbers.
CodePage detectCodePage(const QList<quint16> &escapeRanges)
{
    if (escapeRanges.isEmpty())
        return CodePage::None;
    bool containsC9 = false;
    bool contains80 = false;
    bool boundInA1toDF = false;
    for (qsizetype i = 0; i + 1 < escapeRanges.size(); i += 2) {
        const qint16 first = qint16(escapeRanges.at(i));
        const qint16 last = qint16(escapeRanges.at(i + 1));
        containsC9 = containsC9 || (first <= 0xC9 && 0xC9 <= last);
        contains80 = contains80 || (first <= 0x80 && 0x80 <= last);
        boundInA1toDF = boundInA1toDF || (first >= 0xA1 && first <= 0xDF)
                        || (last >= 0xA1 && last <= 0xDF);
    }
    if (containsC9)
        return contains80 ? CodePage::Big5 : CodePage::Gbc;
    return boundInA1toDF ? CodePage::EucKr : CodePage::ShiftJis;
}

} // namespace

bool ConversionJob::readBigfontTable()
{
    const qint64 size = dataSize();
    const quint32 head = cursor;
    quint16 entryCount = 0;
    quint16 escapeCount = 0;
    if (!skipBytes(kBigfontSkipped) || !readU16LE(entryCount) || !readU16LE(escapeCount))
        return failRead(shx::pastEnd(QStringLiteral("the big font table"),
                                     QStringLiteral("its head"), head, size),
                        head);

    escapeRanges.reserve(2 * escapeCount);
    for (int i = 0; i < escapeCount; ++i) {
        const quint32 at = cursor;
        quint16 first = 0;
        quint16 last = 0;
        if (!readU16LE(first) || !readU16LE(last))
            return failRead(shx::pastEnd(QStringLiteral("the table of escape ranges"),
                                         QStringLiteral("range %1").arg(shx::grouped(i)), at,
                                         size),
                            at);
        escapeRanges << first << last;
    }

    codePageKind = qint32(useCodePage ? codePageFromIndex(codePageIndex)
                                      : detectCodePage(escapeRanges));

    // Index entries: code, length (unused), offset from the start of the file.
    // An offset outside the file can never start a shape: leave it out.
    for (int i = 0; i < entryCount; ++i) {
        const quint32 at = cursor;
        quint16 code = 0;
        quint32 offset = 0;
        if (!readU16LE(code) || !skipBytes(2) || !readU32LE(offset))
            return failRead(shx::pastEnd(QStringLiteral("the big font index"), shx::entry(i), at,
                                         size),
                            at);
        if (offset < size)
            storeShape(code, qint32(offset));
    }

    // The font-info record follows the index: name, then the height.
    const quint32 info = cursor;
    if (!skipName())
        return failRead(shx::pastEnd(QStringLiteral("the font name, without its zero byte,"),
                                     QStringLiteral("name"), info, size),
                        info);
    const quint32 heightPos = cursor;
    quint8 height = 0;
    if (!readU8(height))
        return failRead(shx::pastEnd(QStringLiteral("the font-info record"),
                                     QStringLiteral("its height"), heightPos, size),
                        heightPos);
    bigfontHeight = height != 0 ? height : kDefaultHeight;
    above = bigfontHeight;
    return true;
}
