// Previewing: draws a sheet of glyphs from an FNT file, or from an SHX file
// (or the one an SHP source compiles to) converted in memory, into a PNG or
// SVG picture.
#include "Codes.h"
#include "Commands.h"
#include "GlyphSheet.h"
#include "ShxInput.h"

#include "fnt/CodePageDecoder.h"
#include "fnt/FntReader.h"
#include "io/FileAccess.h"
#include "io/SafeWrite.h"
#include "io/TemporaryFiles.h"
#include "job/CodePage.h"
#include "job/ConversionJob.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QTextStream>

namespace cli {

namespace {

// PNG quality 80 is zlib level 1 to the toolkit.
constexpr int kPngQuality = 80;
// Shape names are short words; anything longer is not meant as a label.
constexpr int kMaxNameBytes = 64;

const QString kPartAdvice = QStringLiteral("draw a part with --codes FIRST-LAST");

int fail(const QString &message)
{
    QTextStream(stderr) << "varnel-cli: " << message << "\n";
    return Failure;
}

// The name at the start of each shape definition, by the code its glyph
// gets in the FNT file; shapes without a name are left out.
QHash<quint16, QString> shapeNames(ConversionJob &job)
{
    // A big font's names are written in the code page of its codes, the one
    // conversion detected or was given.
    CodePageDecoder decoder;
    if (job.fontKind & ConversionJob::kBigfontKind)
        decoder.setCodePage(codePageInfo(CodePage(job.codePageKind)).windowsCodePage);
    QHash<quint16, QString> names;
    for (auto it = job.shapeMap.cbegin(); it != job.shapeMap.cend(); ++it) {
        if (it.key() == 0)
            continue;
        const QByteArray tail = job.loadedShx().mid(it.value(), kMaxNameBytes);
        const qsizetype end = tail.indexOf('\0');
        if (end <= 0)
            continue;
        const quint16 code = job.fontKind & ConversionJob::kBigfontKind ? job.mapCharCode(it.key())
                                                                          : it.key();
        names.insert(code, io::printableName(decoder.decodeText(tail.left(end))));
    }
    return names;
}

// The FNT image to draw: the file itself, or what converting it would write.
// A source's faults and warnings are printed as a compiler words them; its
// faults leave `error` empty.
bool loadFnt(const QString &path, int codePage, QByteArray &fntBytes,
             QHash<quint16, QString> &names, QString &error)
{
    if (!isShxPath(path) && !isShpPath(path)) {
        const io::ReadResult read = io::readRegularFile(path, io::kMaxFontFileBytes);
        if (!read.ok)
            error = QStringLiteral("%1: %2").arg(io::printablePath(path), read.reason);
        fntBytes = read.bytes;
        return read.ok;
    }
    const ShxInput input = readShxInput(path);
    const QString shown = io::printablePath(path);
    QTextStream err(stderr);
    for (const QString &line : input.errors.lines(shown) + input.warnings.lines(shown, QStringLiteral("warning: ")))
        err << line << "\n";
    if (!input.ok) {
        if (input.errors.isEmpty())
            error = QStringLiteral("%1: %2").arg(shown, input.reason());
        return false;
    }
    ConversionJob job;
    job.useCodePage = codePage >= 0;
    job.codePageIndex = qMax(codePage, 0);
    const ConversionOutcome outcome = job.convertBytes(input.shx, QFileInfo(path).baseName());
    if (outcome != ConversionOutcome::Converted) {
        error = QStringLiteral("%1: %2: %3")
                    .arg(io::printablePath(path), outcomeText(outcome), job.failure.reason);
        return false;
    }
    fntBytes = job.fntBytes;
    names = shapeNames(job);
    return true;
}

// Every sheet goes through the one safe way of writing: never onto the
// font, a link followed only to a picture of the same kind, replaced in one
// step.
bool writeSheet(const QByteArray &bytes, const QString &path, const QString &fontPath,
                const QString &suffix, QString &error)
{
    const io::WriteResult written = io::writeFileSafely(path, bytes, fontPath, {suffix});
    if (!written.ok)
        error = QStringLiteral("cannot write %1: %2").arg(io::printablePath(path), written.reason);
    return written.ok;
}

bool writePng(const GlyphSheet &sheet, const QString &path, const QString &fontPath, QString &error)
{
    if (qint64(sheet.size().width()) * sheet.size().height() > kMaxPngPixels) {
        error = QStringLiteral("a sheet of %1 x %2 pixels is too large for a PNG picture; %3, "
                               "or write SVG")
                    .arg(sheet.size().width())
                    .arg(sheet.size().height())
                    .arg(kPartAdvice);
        return false;
    }
    QImage image(sheet.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    sheet.paint(painter);
    painter.end();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    // The fastest compression: sheets are flat colours, and at the default
    // level encoding took most of the time of a large sheet.
    if (!image.save(&buffer, "PNG", kPngQuality)) {
        error = QStringLiteral("cannot write %1: the picture could not be encoded as PNG")
                    .arg(io::printablePath(path));
        return false;
    }
    return writeSheet(buffer.data(), path, fontPath, QStringLiteral("png"), error);
}

bool writeSvg(const GlyphSheet &sheet, const QString &path, const QString &fontPath,
              const QString &title, QString &error)
{
    // Held in memory whole, as every file is before it is written: a sheet
    // is bounded to some 15 MB of SVG by its stroke count.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(sheet.size());
    generator.setViewBox(QRect(QPoint(0, 0), sheet.size()));
    generator.setTitle(title);
    QPainter painter(&generator);
    sheet.paint(painter);
    painter.end();
    return writeSheet(buffer.data(), path, fontPath, QStringLiteral("svg"), error);
}

// The toolkit's own chatter (run-time folders, platform notes) is not the
// user's business; this command's messages go to the streams directly.
void dropToolkitMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        QTextStream(stderr) << "varnel-cli: " << message << "\n";
}

// Prints the reason a font gets no sheet.
bool refused(const QString &message)
{
    fail(message);
    return false;
}

// Draws one font into one sheet; false with the reason printed when not.
bool drawFont(const QString &fontPath, const QString &sheetPath, const QList<CodeRange> &codes,
              int codePage)
{
    QByteArray fntBytes;
    QHash<quint16, QString> names;
    QString error;
    if (!loadFnt(fontPath, codePage, fntBytes, names, error))
        return error.isEmpty() ? false : refused(error);
    fnt::FntReader reader;
    if (!reader.read(fntBytes))
        return refused(QStringLiteral("%1 is not a valid FNT file (byte %2: %3); "
                                   "'varnel-cli inspect' lists every problem")
                        .arg(io::printablePath(fontPath))
                        .arg(reader.violations().first().position)
                        .arg(reader.violations().first().message));

    QList<int> indexes;
    qint64 strokes = 0;
    const QList<fnt::FntGlyph> &glyphs = reader.font().glyphs;
    for (int i = 0; i < glyphs.size(); ++i) {
        const fnt::FntGlyph &glyph = glyphs.at(i);
        if (!codes.isEmpty() && !rangesContain(codes, glyph.code))
            continue;
        indexes.append(i);
        strokes += strokeCount(glyph);
    }
    if (indexes.isEmpty() && !codes.isEmpty()) {
        QStringList asked;
        for (const CodeRange &range : codes)
            asked.append(formatRange(range.first, range.last));
        return refused(QStringLiteral("%1: no glyph has a code in %2")
                        .arg(io::printablePath(fontPath), asked.join(QStringLiteral(", "))));
    }
    if (indexes.size() > kMaxGlyphsPerSheet)
        return refused(QStringLiteral("%1: %L2 glyphs are more than one sheet holds (%L3); %4")
                        .arg(io::printablePath(fontPath))
                        .arg(indexes.size())
                        .arg(kMaxGlyphsPerSheet)
                        .arg(kPartAdvice));
    if (strokes > kMaxStrokesPerSheet)
        return refused(QStringLiteral("%1: the glyphs hold %L2 strokes and points, more than one "
                                   "sheet draws (%L3); %4")
                        .arg(io::printablePath(fontPath))
                        .arg(strokes)
                        .arg(kMaxStrokesPerSheet)
                        .arg(kPartAdvice));

    const GlyphSheet sheet(reader.font(), indexes, names);
    const bool png = QFileInfo(sheetPath).suffix().compare(QLatin1String("svg"),
                                                           Qt::CaseInsensitive)
                     != 0;
    const bool written = png ? writePng(sheet, sheetPath, fontPath, error)
                             : writeSvg(sheet, sheetPath, fontPath, reader.font().name(), error);
    if (!written)
        return refused(error);
    QTextStream out(stdout);
    out << "Drew " << indexes.size() << (indexes.size() == 1 ? " glyph" : " glyphs") << " into "
        << io::printablePath(sheetPath);
    // The glyphs conversion warns about, by the same rule.
    if (sheet.framedCount() > 0)
        out << ", " << sheet.framedCount() << " far outside the font's box (framed red)";
    out << "\n";
    return true;
}

int runPreview(int argc, char *argv[])
{
    qInstallMessageHandler(dropToolkitMessages);
    // Nothing is ever shown: pictures are drawn off screen, display or not.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    nameApplication();
    // A sheet being written when a signal comes leaves nothing behind.
    io::installInterruptCleanup();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws a sheet of glyphs: each with its code (and its character when printable, and "
        "its shape name when an SHX font has one), the baseline (blue), the origin and the "
        "advance (orange), and its lines, polylines and arcs as stored. An SHX font is "
        "converted in memory first, so the sheet shows what its FNT file will hold; an SHP "
        "source is compiled first, its errors and warnings going to standard error as "
        "FILE:LINE:COLUMN: MESSAGE. Without -o the sheet of each font is FONT.png in the "
        "current folder; FONT.shp named beside FONT.shx is skipped, the SHX font is drawn. A "
        "glyph far outside the font's box (the glyphs conversion warns about) is framed in red "
        "and drawn to fit its cell."));
    parser.addHelpOption();
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The picture to write for a single font: "
                                                   "<sheet>.png or .svg."),
                                    QStringLiteral("sheet"));
    const QCommandLineOption codes(QStringLiteral("codes"),
                                   QStringLiteral("Only the glyphs with these codes: FIRST-LAST "
                                                  "or single codes, separated by commas "
                                                  "(decimal, 0x41 or U+0041)."),
                                   QStringLiteral("list"));
    const QCommandLineOption codePage = sheetCodePageOption();
    parser.addOptions({output, codes, codePage});
    parser.addPositionalArgument(QStringLiteral("preview"), QStringLiteral("The command."),
                                 QStringLiteral("preview"));
    parser.addPositionalArgument(QStringLiteral("fonts"),
                                 QStringLiteral("FNT files, SHX fonts or SHP sources; one sheet each."),
                                 QStringLiteral("font.fnt|font.shx|font.shp..."));
    if (!parser.parse(app.arguments()))
        return parseError(parser, {output, codes, codePage});
    showHelpIfAsked(parser);

    const QStringList fonts = parser.positionalArguments().mid(1);
    if (fonts.isEmpty())
        return usageError(QStringLiteral("preview expects one or more FNT, SHX or SHP fonts"));
    if (fonts.contains(QString()))
        return usageError(kEmptyArgument);
    if (parser.isSet(output)) {
        const QString suffix = QFileInfo(parser.value(output)).suffix().toLower();
        if (suffix != QLatin1String("png") && suffix != QLatin1String("svg"))
            return usageError(QStringLiteral("-o expects SHEET.png or SHEET.svg"));
        if (fonts.size() > 1)
            return usageError(QStringLiteral("-o names the sheet of a single font; without it "
                                             "each font's sheet is FONT.png here"));
    }
    QList<CodeRange> chosenCodes;
    if (parser.isSet(codes)) {
        QString error;
        if (!parseCodeRanges(parser.value(codes), chosenCodes, error))
            return usageError(QStringLiteral("--codes: %1").arg(io::printableName(error)));
    }
    int chosenCodePage = -1;
    if (readCodePageOption(parser, codePage, chosenCodePage) != Success)
        return UsageError;

    // A source named beside its compiled font would draw the same sheet
    // under the same name: the SHX font is drawn and the source skipped.
    const auto withoutSuffix = [](const QString &path) {
        const QFileInfo info(path);
        return QDir(info.absolutePath()).filePath(info.completeBaseName()).toCaseFolded();
    };
    QHash<QString, QString> shxFonts; // path without suffix (folded case) -> the SHX font
    for (const QString &font : fonts) {
        if (isShxPath(font))
            shxFonts.insert(withoutSuffix(font), font);
    }

    bool allDrawn = true;
    QHash<QString, QString> sheetOwners; // sheet name (folded case) -> the font drawn there
    for (const QString &font : fonts) {
        if (isShpPath(font) && shxFonts.contains(withoutSuffix(font))) {
            fail(QStringLiteral("%1: skipped, %2 is drawn instead")
                     .arg(io::printablePath(font), io::printablePath(shxFonts.value(withoutSuffix(font)))));
            continue;
        }
        const QString sheet = parser.isSet(output)
                                  ? parser.value(output)
                                  : QFileInfo(font).completeBaseName() + QStringLiteral(".png");
        // Two fonts of one name would overwrite each other's sheet.
        const QString key = QFileInfo(sheet).absoluteFilePath().toCaseFolded();
        if (sheetOwners.contains(key)) {
            fail(QStringLiteral("%1: its sheet %2 is %3's already; give the fonts different "
                                "names or draw them one at a time with -o")
                     .arg(io::printablePath(font), io::printablePath(sheet), io::printablePath(sheetOwners.value(key))));
            allDrawn = false;
            continue;
        }
        sheetOwners.insert(key, font);
        allDrawn = drawFont(font, sheet, chosenCodes, chosenCodePage) && allDrawn;
    }
    return allDrawn ? Success : Failure;
}

} // namespace
} // namespace cli

// The module's one entry point, which varnel-cli looks up by name.
extern "C" Q_DECL_EXPORT int varnelPreview(int argc, char *argv[])
{
    return cli::runPreview(argc, argv);
}
