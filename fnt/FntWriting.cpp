// Building the whole FNT image, the baseline fix-up, and the single write.
#include "fnt/FntBytes.h"
#include "job/ConversionJob.h"

#include <QFileInfo>
#include <QSaveFile>

#include <limits>

bool ConversionJob::buildFnt()
{
    buildFntHeader();
    const qsizetype headerLength = fntBytes.size();
    buildFntGlyphs();

    // Some glyph reaches below the baseline: raise it just enough and draw
    // every glyph again. Done once; minY is not looked at afterwards.
    if (minY < 0) {
        const qint64 raised = qint64(fntBaseline) - minY;
        fntBaseline = qint32(qMin<qint64>(raised, std::numeric_limits<qint32>::max()));
        fntBytes.truncate(headerLength);
        fnt::patchU16BE(fntBytes, baselinePos, fntBaseline);
        buildFntGlyphs();
    }
    return true;
}

bool ConversionJob::buildAndWriteFnt(const QString &path)
{
    return buildFnt() && writeFntFile(path);
}

bool ConversionJob::writeFntFile(const QString &path)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("fnt"), Qt::CaseInsensitive) != 0)
        return false;
    // Written beside the target and moved over it in one step, so a failed
    // or interrupted write never leaves an existing file half written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // write() only fills the device's buffer; a full disk shows when it is
    // flushed, and commit() would move the short file into place regardless.
    if (file.write(fntBytes) != fntBytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
