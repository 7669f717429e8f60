// Building the whole FNT image, the baseline fix-up, and the single write.
#include "fnt/FntBytes.h"
#include "io/SafeWrite.h"
#include "job/ConversionJob.h"

#include <QFileInfo>

#include <limits>

bool ConversionJob::buildFnt()
{
    buildFntHeader();
    buildFntGlyphs();
    if (failure.failed())
        return false;

    // Some glyph reaches below the baseline: raise it just enough. Done
    // once; minY is not looked at afterwards.
    if (minY < 0) {
        const qint32 baseline = fntBaseline;
        const qint64 raised = qint64(fntBaseline) - minY;
        fntBaseline = qint32(qMin<qint64>(raised, std::numeric_limits<qint32>::max()));
        fnt::patchU16BE(fntBytes, baselinePos, fntBaseline);
        raiseGlyphRecords(qint64(fntBaseline) - baseline);
    }
    exactHeights = {};
    placeGlyphRecords();
    glyphRecords = {};
    recordEnds = {};
    return !failure.failed();
}

bool ConversionJob::buildAndWriteFnt(const QString &path)
{
    return buildFnt() && writeFntFile(path);
}

bool ConversionJob::writeFntFile(const QString &path)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("fnt"), Qt::CaseInsensitive) != 0)
        return failWrite(QStringLiteral("the output name does not end in .fnt"));
    const io::WriteResult written =
        io::writeFileSafely(path, fntBytes, shxPath, {QStringLiteral("fnt")});
    return written.ok || failWrite(written.reason);
}
