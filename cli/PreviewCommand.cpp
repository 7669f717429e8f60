// Previewing: draws a sheet of glyphs from an FNT file, or from an SHX file
// converted in memory, into a PNG or SVG picture.
#include "Commands.h"
#include "GlyphSheet.h"

#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTextStream>

namespace cli {

namespace {

// A bigger picture would take more memory than a preview deserves; such
// fonts are drawn in parts (--codes) or as SVG.
constexpr qint64 kMaxPngPixels = qint64(80) * 1000 * 1000;

// "65", "0x41" or "U+0041".
int parseCode(QString text)
{
    text = text.trimmed();
    int base = 10;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("U+"), Qt::CaseInsensitive)) {
        text = text.mid(2);
        base = 16;
    }
    bool ok = false;
    const int code = text.toInt(&ok, base);
    return ok && code >= 0 && code <= 0xFFFF ? code : -1;
}

bool parseCodes(const QString &text, int &first, int &last)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() > 2)
        return false;
    first = parseCode(parts.first());
    last = parseCode(parts.last());
    return first >= 0 && last >= first;
}

int fail(const QString &message)
{
    QTextStream(stderr) << "varnel-cli: " << message << "\n";
    return Failure;
}

// The FNT image to draw: the file itself, or what converting it would write.
bool loadFnt(const QString &path, int codePage, QByteArray &fntBytes, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(path),
                                                         file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (QFileInfo(path).suffix().compare(QLatin1String("shx"), Qt::CaseInsensitive) != 0) {
        fntBytes = bytes;
        return true;
    }
    ConversionJob job;
    job.useCodePage = codePage >= 0;
    job.codePageIndex = qMax(codePage, 0);
    const ConversionOutcome outcome = job.convertBytes(bytes, QFileInfo(path).baseName());
    if (outcome != ConversionOutcome::Converted) {
        error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), outcomeText(outcome));
        return false;
    }
    fntBytes = job.fntBytes;
    return true;
}

bool writePng(const GlyphSheet &sheet, const QString &path, QString &error)
{
    if (qint64(sheet.size().width()) * sheet.size().height() > kMaxPngPixels) {
        error = QStringLiteral("a sheet of %1 x %2 pixels is too large for a PNG picture; "
                               "draw a part with --codes FIRST-LAST, or write SVG")
                    .arg(sheet.size().width())
                    .arg(sheet.size().height());
        return false;
    }
    QImage image(sheet.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    sheet.paint(painter);
    painter.end();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path),
                                                          file.errorString());
        return false;
    }
    return true;
}

bool writeSvg(const GlyphSheet &sheet, const QString &path, const QString &title, QString &error)
{
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size()
        || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path),
                                                          file.errorString());
        return false;
    }
    return true;
}

// The toolkit's own chatter (run-time folders, platform notes) is not the
// user's business; this command's messages go to the streams directly.
void dropToolkitMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        QTextStream(stderr) << "varnel-cli: " << message << "\n";
}

} // namespace

int runPreview(int argc, char *argv[])
{
    qInstallMessageHandler(dropToolkitMessages);
    // Nothing is ever shown: pictures are drawn off screen, display or not.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws a sheet of glyphs: each with its code (and its character when printable), the "
        "baseline (blue), the origin and the advance (orange), and its lines, polylines and "
        "arcs as stored. An SHX font is converted in memory first, so the sheet shows what "
        "its FNT file will hold."));
    parser.addHelpOption();
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The picture to write: <sheet>.png or .svg."),
                                    QStringLiteral("sheet"));
    const QCommandLineOption codes(QStringLiteral("codes"),
                                   QStringLiteral("Only the glyphs with codes FIRST to LAST "
                                                  "(decimal, 0x41 or U+0041)."),
                                   QStringLiteral("first-last"));
    const QCommandLineOption codePage(QStringLiteral("code-page"),
                                      QStringLiteral("For an SHX big font: the code page, as "
                                                     "when converting: %1.")
                                          .arg(kCodePageNames.join(QStringLiteral(", "))),
                                      QStringLiteral("name"));
    parser.addOptions({output, codes, codePage});
    parser.addPositionalArgument(QStringLiteral("preview"), QStringLiteral("The command."),
                                 QStringLiteral("preview"));
    parser.addPositionalArgument(QStringLiteral("font"),
                                 QStringLiteral("The FNT file, or an SHX font."),
                                 QStringLiteral("font.fnt|font.shx"));
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Success);

    const QStringList paths = parser.positionalArguments().mid(1);
    if (paths.size() != 1)
        return usageError(QStringLiteral("preview expects one FNT or SHX font"));
    const QString sheetPath = parser.value(output);
    const QString suffix = QFileInfo(sheetPath).suffix().toLower();
    if (sheetPath.isEmpty() || (suffix != QLatin1String("png") && suffix != QLatin1String("svg")))
        return usageError(QStringLiteral("preview needs -o SHEET.png or -o SHEET.svg"));
    int first = 0;
    int last = 0xFFFF;
    if (parser.isSet(codes) && !parseCodes(parser.value(codes), first, last))
        return usageError(QStringLiteral("--codes expects FIRST-LAST, for example 32-126 or "
                                         "0x4E00-0x4EFF"));
    int chosenCodePage = -1;
    if (parser.isSet(codePage)) {
        chosenCodePage = codePageIndex(parser.value(codePage));
        if (chosenCodePage < 0)
            return usageError(QStringLiteral("unknown code page '%1'").arg(parser.value(codePage)));
    }

    QByteArray fntBytes;
    QString error;
    if (!loadFnt(paths.first(), chosenCodePage, fntBytes, error))
        return fail(error);
    fnt::FntReader reader;
    if (!reader.read(fntBytes))
        return fail(QStringLiteral("%1 is not a valid FNT file (byte %2: %3); "
                                   "'varnel-cli inspect' lists every problem")
                        .arg(QDir::toNativeSeparators(paths.first()))
                        .arg(reader.violations().first().position)
                        .arg(reader.violations().first().message));

    QList<int> indexes;
    const QList<fnt::FntGlyph> &glyphs = reader.font().glyphs;
    for (int i = 0; i < glyphs.size(); ++i) {
        if (glyphs.at(i).code >= first && glyphs.at(i).code <= last)
            indexes.append(i);
    }
    if (indexes.isEmpty() && parser.isSet(codes))
        return fail(QStringLiteral("no glyph has a code from %1 to %2").arg(first).arg(last));

    const GlyphSheet sheet(reader.font(), indexes);
    const bool written = suffix == QLatin1String("png")
                             ? writePng(sheet, sheetPath, error)
                             : writeSvg(sheet, sheetPath, reader.font().name(), error);
    if (!written)
        return fail(error);
    QTextStream(stdout) << "Drew " << indexes.size() << (indexes.size() == 1 ? " glyph" : " glyphs")
                        << " into " << QDir::toNativeSeparators(sheetPath) << "\n";
    return Success;
}

} // namespace cli
