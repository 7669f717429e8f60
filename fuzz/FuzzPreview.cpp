// libFuzzer target: any bytes, converted in memory as an SHX file and drawn
// as a glyph sheet the way `varnel-cli preview` draws a PNG, within the same
// bounds on glyphs and strokes. fuzz/run.sh gives every input a time limit,
// so a font whose sheet takes long to draw is a finding like a crash.
#include "GlyphSheet.h"

#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The sheet's labels need fonts, and fonts need an application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray shx = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                   qsizetype(size));
    ConversionJob job;
    if (job.convertBytes(shx, QStringLiteral("fuzz")) != ConversionOutcome::Converted)
        return 0;
    fnt::FntReader reader;
    if (!reader.read(job.fntBytes))
        return 0;
    // As many glyphs as one sheet takes: what preview draws of this font
    // with the right --codes.
    QList<int> indexes;
    qint64 strokes = 0;
    const QList<fnt::FntGlyph> &glyphs = reader.font().glyphs;
    for (int i = 0; i < glyphs.size() && indexes.size() < cli::kMaxGlyphsPerSheet; ++i) {
        strokes += cli::strokeCount(glyphs.at(i));
        if (strokes > cli::kMaxStrokesPerSheet)
            break;
        indexes.append(i);
    }
    const cli::GlyphSheet sheet(reader.font(), indexes);
    if (qint64(sheet.size().width()) * sheet.size().height() > cli::kMaxPngPixels)
        return 0;
    QImage image(sheet.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    sheet.paint(painter);
    return 0;
}
