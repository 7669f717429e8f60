// The shape index of plain shape fonts and unifont files.
#include "job/ConversionJob.h"

#include <limits>

namespace {

// A shape font's table starts with four bytes that carry nothing we use.
constexpr quint32 kShapeFontSkipped = 4;

// Shape positions are 32-bit signed; a sum of 16-bit lengths can pass that,
// and such a position lies past the data anyway.
qint32 toPosition(quint64 position)
{
    return qint32(qMin<quint64>(position, std::numeric_limits<qint32>::max()));
}

} // namespace

bool ConversionJob::readShapeTable()
{
    const bool unifont = fontKind & kUnifontKind;
    if (!unifont && !skipBytes(kShapeFontSkipped))
        return false;
    quint16 count = 0;
    if (!readU16LE(count))
        return false;

    bool haveFontInfo = false;
    quint64 fontInfoPos = 0;
    if (unifont) {
        // Records: number, length, definition. The first is the font-info
        // record whatever its number says.
        for (int i = 0; i < count; ++i) {
            quint16 number = 0;
            quint16 length = 0;
            if (!readU16LE(number) || !readU16LE(length))
                return false;
            if (i == 0 || number == 0) {
                fontInfoPos = cursor;
                haveFontInfo = true;
            } else {
                shapeMap[number] = toPosition(cursor);
            }
            // The last definition may be cut short; the interpreter stops
            // at the end of the data.
            if (!skipBytes(length) && i + 1 < count)
                return false;
        }
    } else {
        // Index entries: number, length; the definitions follow the index in
        // entry order, so a duplicate number still takes up its own bytes.
        quint64 offset = 0;
        for (int i = 0; i < count; ++i) {
            quint16 number = 0;
            quint16 length = 0;
            if (!readU16LE(number) || !readU16LE(length))
                return false;
            if (number == 0) {
                fontInfoPos = offset;
                haveFontInfo = true;
            }
            shapeMap[number] = toPosition(offset);
            offset += length;
        }
        const quint64 definitions = cursor;
        for (auto it = shapeMap.begin(); it != shapeMap.end(); ++it)
            it.value() = toPosition(definitions + quint64(it.value()));
        fontInfoPos += definitions;
    }

    const quint32 afterTable = cursor;
    if (haveFontInfo) {
        // Font info: name, then above (signed), below and modes.
        if (fontInfoPos >= dataSize())
            return false;
        cursor = quint32(fontInfoPos);
        qint8 height = 0;
        if (!skipName() || !readI8(height))
            return false;
        above = height;
    }
    if (above == 0)
        above = 1;
    cursor = afterTable;
    return true;
}
