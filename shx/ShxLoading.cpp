// Reading an SHX file whole and recognising its kind from the header text.
#include "job/ConversionJob.h"
#include "io/FileAccess.h"
#include "shx/ShxReasons.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {

constexpr quint8 kHeaderTerminator = 0x1A;
// The terminator is looked for from this position on...
constexpr quint32 kFirstTerminatorPos = 22;
// ...and a header without one ends here.
constexpr quint32 kLongestHeader = 40;

} // namespace

bool ConversionJob::loadShx(const QString &path)
{
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("shx"), Qt::CaseInsensitive) != 0)
        return failRead(QStringLiteral("not an .shx file"));
    io::ReadResult read = io::readRegularFile(path, io::kMaxFontFileBytes);
    if (!read.ok)
        return failRead(read.reason);
    fontName = info.baseName();
    return loadShxBytes(read.bytes);
}

bool ConversionJob::loadShxBytes(const QByteArray &bytes)
{
    shxBytes = bytes;
    shxData = reinterpret_cast<const quint8 *>(shxBytes.constData());
    if (shxBytes.isEmpty())
        return failRead(QStringLiteral("the file is empty"), 0);
    // Positions in an SHX file are 32-bit; nothing larger is one.
    if (shxBytes.size() > std::numeric_limits<qint32>::max())
        return failRead(QStringLiteral("the file has %1 bytes, more than 32-bit positions reach")
                            .arg(shx::grouped(shxBytes.size())));
    if (detectFontKind() == qint32(FontKind::Unrecognised))
        return false;
    if (isBigfont(fontKind))
        return readBigfontTable();
    return readShapeTable();
}

int ConversionJob::detectFontKind()
{
    fontKind = qint32(FontKind::Unrecognised);
    const quint32 size = dataSize();
    // A file that ends before its header does is not an SHX file.
    if (size <= kFirstTerminatorPos) {
        failRead(QStringLiteral("the file has %1, too few for an SHX header (%2 or more)")
                     .arg(shx::byteCount(size))
                     .arg(kFirstTerminatorPos + 1),
                 size);
        return 0;
    }
    cursor = kFirstTerminatorPos + 1;
    if (shxData[kFirstTerminatorPos] != kHeaderTerminator) {
        for (;;) {
            if (cursor >= size) {
                failRead(QStringLiteral("the file ends at byte %1, inside the header text")
                             .arg(shx::grouped(size)),
                         size);
                return 0;
            }
            const quint8 byte = shxData[cursor++];
            if (byte == kHeaderTerminator || cursor >= kLongestHeader)
                break;
        }
    }

    shxHeaderSize = cursor;
    const QByteArray header = shxBytes.left(int(cursor));
    for (const FontKindMark &mark : kFontKindMarks) {
        if (header.contains(mark.text)) {
            fontKind = qint32(mark.kind);
            break;
        }
    }
    if (fontKind == qint32(FontKind::Unrecognised)) {
        // Shown without its end mark and padding; control bytes escaped.
        QByteArray text = header;
        while (text.endsWith(char(kHeaderTerminator)) || text.endsWith(' '))
            text.chop(1);
        failRead(QStringLiteral("unknown header text \"%1\"")
                     .arg(io::printableBytes(text)),
                 0);
    }
    return fontKind;
}
