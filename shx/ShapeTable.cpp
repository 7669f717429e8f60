// The shape index of plain shape fonts and unifont files.
#include "job/ConversionJob.h"
#include "shx/ShxReasons.h"

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
    const bool unifont = isUnifont(fontKind);
    const qint64 size = dataSize();
    const QString table = QStringLiteral("the shape table");
    const quint32 head = cursor;
    quint16 count = 0;
    if ((!unifont && !skipBytes(kShapeFontSkipped)) || !readU16LE(count))
        return failRead(shx::pastEnd(table, QStringLiteral("its head"), head, size), head);

    bool haveFontInfo = false;
    quint64 fontInfoPos = 0;
    if (unifont) {
        // Records: number, length, definition. The first is the font-info
        // record whatever its number says.
        for (int i = 0; i < count; ++i) {
            const quint32 at = cursor;
            quint16 number = 0;
            quint16 length = 0;
            if (!readU16LE(number) || !readU16LE(length))
                return failRead(shx::pastEnd(table, shx::entry(i), at, size), at);
            if (i == 0 || number == 0) {
                fontInfoPos = cursor;
                haveFontInfo = true;
            } else {
                storeShape(number, toPosition(cursor));
            }
            // The last definition may be cut short; the interpreter stops
            // at the end of the data.
            const quint32 definition = cursor;
            if (!skipBytes(length) && i + 1 < count)
                return failRead(shx::pastEnd(QStringLiteral("the definition of %1, %2 long,")
                                                 .arg(shx::entry(i), shx::byteCount(length)),
                                             QStringLiteral("its start"), definition, size),
                                definition);
        }
    } else {
        // Index entries: number, length; the definitions follow the index in
        // entry order, so a duplicate number still takes up its own bytes.
        quint64 offset = 0;
        for (int i = 0; i < count; ++i) {
            const quint32 at = cursor;
            quint16 number = 0;
            quint16 length = 0;
            if (!readU16LE(number) || !readU16LE(length))
                return failRead(shx::pastEnd(table, shx::entry(i), at, size), at);
            if (number == 0) {
                fontInfoPos = offset;
                haveFontInfo = true;
            }
            storeShape(number, toPosition(offset));
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
        const QString info = QStringLiteral("the font-info record");
        if (fontInfoPos >= quint64(size))
            return failRead(QStringLiteral("%1 starts past the end of the file (at byte %2, file "
                                           "has %3)")
                                .arg(info, shx::grouped(qint64(fontInfoPos)), shx::byteCount(size)),
                            qint64(fontInfoPos));
        cursor = quint32(fontInfoPos);
        if (!skipName())
            return failRead(shx::pastEnd(QStringLiteral("the font name, without its zero byte,"),
                                         QStringLiteral("name"),
                                         qint64(fontInfoPos), size),
                            qint64(fontInfoPos));
        const quint32 heightPos = cursor;
        qint8 height = 0;
        if (!readI8(height))
            return failRead(shx::pastEnd(info, QStringLiteral("its height"), heightPos, size),
                            heightPos);
        above = height;
    }
    if (above == 0)
        above = 1;
    cursor = afterTable;
    return true;
}
