// Inspecting: tells what each font is. An FNT file is read back and every
// broken rule listed with its byte position; an SHX font, or the one an SHP
// source compiles to, is recognised, described and converted in memory, so
// its notes (subshapes it lacks, glyphs that draw nothing) show before
// anything is written.
#include "Codes.h"
#include "Commands.h"
#include "Inputs.h"
#include "ShxInput.h"

#include "fnt/FntReader.h"
#include "io/FileAccess.h"
#include "job/ConversionJob.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cmath>

namespace cli {

namespace {

// Long lists are cut short in text; the count says how many there are.
constexpr int kListed = 8;

// What one file turned out to be; printed as text or as JSON.
struct Report
{
    QString path;
    bool pathEscaped = false; // a name that is not text: `path` shows its bytes escaped
    enum Outcome { Valid, Problems, Failed } outcome = Failed;
    QString reason;
    QString kind;
    // FNT files
    QString name;
    qint64 size = -1;
    int unitHeight = 0;
    int unitWidth = 0;
    int baseline = 0;
    QList<fnt::FntViolation> problems;
    // SHX fonts
    QByteArray header;
    int shapeCount = -1;
    int height = -1;
    QList<CodeRange> escapeRanges;
    QString codePage;
    bool codePageChosen = false;
    QMap<quint16, QList<quint16>> missingSubshapes;
    QList<quint16> drawNothing;
    QList<quint16> tooDeep;
    // SHP sources
    bool fromSource = false;
    qint64 records = 0;
    QStringList sourceErrors; // compiler form, as the path is printed
    QStringList sourceWarnings;
    // Both
    int glyphCount = -1;
    QList<CodeRange> ranges;
    fnt::FntExtents extents;
};

QString outcomeName(Report::Outcome outcome)
{
    switch (outcome) {
    case Report::Valid:
        return QStringLiteral("valid");
    case Report::Problems:
        return QStringLiteral("problems");
    case Report::Failed:
        break;
    }
    return QStringLiteral("failed");
}

QList<CodeRange> rangesOf(const fnt::FntFont &font)
{
    QList<CodeRange> ranges;
    for (const fnt::FntRange &range : font.ranges)
        ranges.append({range.firstCode, range.lastCode});
    return ranges;
}

void takeGlyphs(Report &report, const fnt::FntFont &font)
{
    report.glyphCount = font.glyphCount;
    report.ranges = rangesOf(font);
    report.extents = font.extents();
}

void inspectFnt(Report &report, const QByteArray &bytes)
{
    report.kind = QStringLiteral("FNT file");
    report.size = bytes.size();
    fnt::FntReader reader;
    const bool valid = reader.read(bytes);
    const fnt::FntFont &font = reader.font();
    if (font.fileSize >= 48) {
        report.name = font.name();
        report.unitHeight = font.height;
        report.unitWidth = font.width;
        report.baseline = font.baseline;
        takeGlyphs(report, font);
    }
    report.problems = reader.violations();
    report.outcome = valid ? Report::Valid : Report::Problems;
    if (!valid)
        report.reason = QStringLiteral("not a valid FNT file (%1 %2)")
                            .arg(report.problems.size())
                            .arg(report.problems.size() == 1 ? QStringLiteral("problem")
                                                             : QStringLiteral("problems"));
}

void inspectShx(Report &report, const QByteArray &bytes, int chosenCodePage)
{
    ConversionJob job;
    job.useCodePage = chosenCodePage >= 0;
    job.codePageIndex = qMax(chosenCodePage, 0);
    const ConversionOutcome outcome = job.convertBytes(bytes, QFileInfo(report.path).baseName());
    report.kind = QLatin1String(fontKindName(job.fontKind));
    if (outcome != ConversionOutcome::Converted) {
        report.reason = outcomeText(outcome) + QStringLiteral(": ") + job.failure.reason;
        return;
    }

    const QList<quint16> numbers = job.shapeMap.keys();
    report.shapeCount = int(numbers.size() - numbers.count(0));
    report.height = job.above;
    if (job.fontKind & ConversionJob::kBigfontKind) {
        report.codePage = kCodePageNames.value(job.codePageKind);
        report.codePageChosen = chosenCodePage >= 0;
    }
    report.missingSubshapes = job.missingSubshapes;
    report.tooDeep = job.tooDeepGlyphs;
    report.header = bytes.left(job.shxHeaderSize);
    for (qsizetype i = 0; i + 1 < job.escapeRanges.size(); i += 2)
        report.escapeRanges.append(CodeRange{job.escapeRanges.at(i), job.escapeRanges.at(i + 1)});

    fnt::FntReader reader;
    const bool valid = reader.read(job.fntBytes);
    takeGlyphs(report, reader.font());
    for (const fnt::FntGlyph &glyph : reader.font().glyphs) {
        if (glyph.lines.isEmpty() && glyph.polylines.isEmpty() && glyph.arcs.isEmpty())
            report.drawNothing.append(glyph.code);
    }
    // The conversion's own output breaking the format is a fault of ours,
    // but it is still the user's font that shows it.
    report.problems = reader.violations();
    report.outcome = valid ? Report::Valid : Report::Problems;
}

Report inspectFile(const QString &path, int chosenCodePage)
{
    Report report;
    report.path = path;
    if (isShxPath(path) || isShpPath(path)) {
        const ShxInput input = readShxInput(path);
        const QString shown = io::printablePath(path);
        report.fromSource = input.fromSource;
        report.records = input.records;
        report.sourceErrors = input.errors.lines(shown);
        report.sourceWarnings = input.warnings.lines(shown, QStringLiteral("warning: "));
        if (!input.ok)
            report.reason = input.reason();
        if (input.ok)
            inspectShx(report, input.shx, chosenCodePage);
        return report;
    }
    const io::ReadResult read = io::readRegularFile(path, io::kMaxFontFileBytes);
    if (!read.ok) {
        report.reason = read.reason;
        return report;
    }
    inspectFnt(report, read.bytes);
    return report;
}

// ---- text ------------------------------------------------------------------

QString listed(const QStringList &items)
{
    QStringList shown = items.mid(0, kListed);
    if (items.size() > kListed)
        shown.append(QStringLiteral("and %1 more").arg(items.size() - kListed));
    return shown.join(QStringLiteral(", "));
}

QString describeRanges(const QList<CodeRange> &ranges)
{
    QStringList items;
    for (const CodeRange &range : ranges)
        items.append(formatRange(range.first, range.last));
    return listed(items);
}

QString describeExtents(const fnt::FntExtents &box)
{
    if (box.empty)
        return QStringLiteral("nothing drawn");
    // Arcs reach between whole units; a tenth is precise enough to read.
    const auto shown = [](double value) { return QString::number(std::round(value * 10) / 10); };
    return QStringLiteral("x %1 to %2, y %3 to %4")
        .arg(shown(box.minX), shown(box.maxX), shown(box.minY), shown(box.maxY));
}

void printText(const Report &report, QTextStream &out, QTextStream &err)
{
    const QString shown = report.pathEscaped ? report.path
                                             : io::printablePath(report.path);
    // A source's faults and warnings as a compiler words them, for editors
    // that jump to their places.
    if (!report.sourceErrors.isEmpty() || !report.sourceWarnings.isEmpty()) {
        out.flush();
        for (const QString &line : report.sourceErrors + report.sourceWarnings)
            err << line << "\n";
        err.flush();
    }
    if (report.outcome == Report::Failed) {
        if (!report.sourceErrors.isEmpty())
            return;
        out.flush();
        err << "varnel-cli: " << shown << ": " << report.reason << "\n";
        err.flush();
        return;
    }
    out << shown << "\n";
    out << "  kind:     " << report.kind << "\n";
    if (report.fromSource) {
        out << "  source:   SHP, " << report.records
            << (report.records == 1 ? " record" : " records");
        if (!report.sourceWarnings.isEmpty())
            out << ", " << report.sourceWarnings.size()
                << (report.sourceWarnings.size() == 1 ? " warning" : " warnings");
        out << "\n";
    }
    if (!report.header.isEmpty())
        out << "  header:   " << io::printableBytes(report.header) << "\n";
    if (!report.name.isNull())
        out << "  name:     " << io::printableName(report.name) << "\n";
    if (report.shapeCount >= 0)
        out << "  shapes:   " << report.shapeCount << ", height " << report.height << "\n";
    if (!report.escapeRanges.isEmpty())
        out << "  escapes:  " << describeRanges(report.escapeRanges) << "\n";
    if (!report.codePage.isEmpty())
        out << "  code page: " << report.codePage
            << (report.codePageChosen ? " (chosen)\n" : " (detected)\n");
    if (report.glyphCount >= 0) {
        out << "  glyphs:   " << report.glyphCount;
        if (!report.ranges.isEmpty())
            out << " in " << report.ranges.size()
                << (report.ranges.size() == 1 ? " range: " : " ranges: ")
                << describeRanges(report.ranges);
        out << "\n";
    }
    if (report.size >= 0) {
        if (report.glyphCount >= 0)
            out << "  units:    height " << report.unitHeight << ", width " << report.unitWidth
                << ", baseline " << report.baseline << "\n";
        out << "  size:     " << report.size << (report.size == 1 ? " byte\n" : " bytes\n");
    }
    if (report.outcome == Report::Valid)
        out << "  extents:  " << describeExtents(report.extents) << "\n";
    if (!report.missingSubshapes.isEmpty()) {
        QStringList items;
        for (auto it = report.missingSubshapes.cbegin(); it != report.missingSubshapes.cend();
             ++it) {
            QStringList calls;
            for (quint16 number : it.value())
                calls.append(formatCode(number));
            items.append(formatCode(it.key()) + QStringLiteral(" calls ")
                         + calls.join(QLatin1Char(' ')));
        }
        out << "  missing subshapes: " << listed(items) << "\n";
    }
    const auto listCodes = [&out](const char *label, const QList<quint16> &codes) {
        if (codes.isEmpty())
            return;
        QStringList items;
        for (quint16 code : codes)
            items.append(formatCode(code));
        out << label << listed(items) << "\n";
    };
    listCodes("  draw nothing: ", report.drawNothing);
    listCodes("  nested too deeply: ", report.tooDeep);
    for (const fnt::FntViolation &problem : report.problems)
        out << "  byte " << problem.position << ": " << problem.message << "\n";
    if (report.outcome == Report::Valid) {
        out << (report.kind == QLatin1String("FNT file") ? "  valid FNT file\n"
                                                         : "  converts to a valid FNT file\n");
        return;
    }
    out.flush();
    err << "varnel-cli: " << shown << " is " << report.reason << "\n";
    err.flush();
}

// ---- JSON ------------------------------------------------------------------
// The names and shapes of conversion's --json where the two meet: "glyphs",
// ranges as [first, last], extents as minX, minY, maxX, maxY.

QJsonArray codesJson(const QList<quint16> &codes)
{
    QJsonArray array;
    for (quint16 code : codes)
        array.append(code);
    return array;
}

QJsonArray rangesJson(const QList<CodeRange> &ranges)
{
    QJsonArray array;
    for (const CodeRange &range : ranges)
        array.append(QJsonArray{range.first, range.last});
    return array;
}

QJsonObject toJson(const Report &report)
{
    QJsonObject object{
        {QStringLiteral("path"), report.path},
        {QStringLiteral("outcome"), outcomeName(report.outcome)},
        {QStringLiteral("reason"), report.reason},
        {QStringLiteral("kind"), report.kind.isEmpty() ? QJsonValue() : QJsonValue(report.kind)},
    };
    if (report.pathEscaped)
        object.insert(QStringLiteral("pathEscaped"), true);
    // A source's messages under the names conversion's --json gives them.
    if (report.fromSource) {
        object.insert(QStringLiteral("source"), QStringLiteral("SHP"));
        object.insert(QStringLiteral("records"), report.records);
        if (!report.sourceErrors.isEmpty())
            object.insert(QStringLiteral("errors"), QJsonArray::fromStringList(report.sourceErrors));
        object.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(report.sourceWarnings));
    }
    if (report.outcome == Report::Failed)
        return object;
    if (!report.name.isNull())
        object.insert(QStringLiteral("name"), report.name);
    if (report.size >= 0)
        object.insert(QStringLiteral("size"), report.size);
    if (report.shapeCount >= 0) {
        object.insert(QStringLiteral("header"), io::printableBytes(report.header));
        object.insert(QStringLiteral("shapeCount"), report.shapeCount);
        object.insert(QStringLiteral("height"), report.height);
    }
    if (!report.codePage.isEmpty()) {
        object.insert(QStringLiteral("escapeRanges"), rangesJson(report.escapeRanges));
        object.insert(QStringLiteral("codePage"), report.codePage);
    }
    object.insert(QStringLiteral("glyphs"), qMax(report.glyphCount, 0));
    object.insert(QStringLiteral("ranges"), rangesJson(report.ranges));
    const fnt::FntExtents &box = report.extents;
    object.insert(QStringLiteral("extents"),
                  report.outcome != Report::Valid || box.empty
                      ? QJsonValue()
                      : QJsonObject{{QStringLiteral("minX"), box.minX},
                                    {QStringLiteral("minY"), box.minY},
                                    {QStringLiteral("maxX"), box.maxX},
                                    {QStringLiteral("maxY"), box.maxY}});
    QJsonArray problems;
    for (const fnt::FntViolation &problem : report.problems)
        problems.append(QJsonObject{{QStringLiteral("position"), problem.position},
                                    {QStringLiteral("message"), problem.message}});
    object.insert(QStringLiteral("problems"), problems);
    if (report.shapeCount >= 0) {
        QJsonArray missing;
        for (auto it = report.missingSubshapes.cbegin(); it != report.missingSubshapes.cend();
             ++it) {
            missing.append(QJsonObject{{QStringLiteral("glyph"), it.key()},
                                       {QStringLiteral("calls"), codesJson(it.value())}});
        }
        object.insert(QStringLiteral("missingSubshapes"), missing);
        object.insert(QStringLiteral("drawNothing"), codesJson(report.drawNothing));
        object.insert(QStringLiteral("nestedTooDeeply"), codesJson(report.tooDeep));
    }
    return object;
}

// ---- inputs ----------------------------------------------------------------

} // namespace

int runInspect(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Tells what each font is. An FNT file: name, glyph count, code ranges, units, size, "
        "extents and every place where it breaks the format, with its byte position. An SHX "
        "font: its kind, header text, shape count, height, for a big font its escape ranges "
        "and code page, and the glyphs that call missing subshapes or draw nothing. An SHP "
        "source is compiled in memory and told as the SHX font it makes, with its record "
        "count; its errors and warnings go to standard error as FILE:LINE:COLUMN: MESSAGE. A "
        "folder stands for the .shx, .shp and .fnt files in it. Exit status 1 when some file "
        "cannot be read, does not compile or is not valid."));
    parser.addHelpOption();
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON document on standard output."));
    const QCommandLineOption recursive({QStringLiteral("r"), QStringLiteral("recursive")},
                                       QStringLiteral("Look into the folders below each folder."));
    const QCommandLineOption codePage = sheetCodePageOption();
    parser.addOptions({json, recursive, codePage});
    parser.addPositionalArgument(QStringLiteral("inspect"), QStringLiteral("The command."),
                                 QStringLiteral("inspect"));
    parser.addPositionalArgument(QStringLiteral("fonts"),
                                 QStringLiteral("FNT files, SHX fonts, SHP sources and folders."),
                                 QStringLiteral("font.fnt|font.shx|font.shp|folder..."));
    if (!parser.parse(app.arguments()))
        return parseError(parser, {json, recursive, codePage});
    showHelpIfAsked(parser);

    const QStringList arguments = parser.positionalArguments().mid(1);
    if (arguments.isEmpty())
        return usageError(QStringLiteral("inspect expects one or more fonts or folders"));
    if (arguments.contains(QString()))
        return usageError(kEmptyArgument);
    int chosenCodePage = -1;
    if (readCodePageOption(parser, codePage, chosenCodePage) != Success)
        return UsageError;

    QTextStream out(stdout);
    QTextStream err(stderr);
    bool allValid = true;
    QJsonArray files;
    // A folder stands for the SHX, SHP and FNT files in it (and below it
    // with -r), in path order; a file is taken as it is named.
    const InputScan fonts{{QStringLiteral("shx"), QStringLiteral("shp"), QStringLiteral("fnt")},
                          parser.isSet(recursive)};
    for (const Input &input : collectInputs(arguments, fonts)) {
        Report report;
        report.path = input.nameIsText ? input.path : input.printable;
        report.pathEscaped = !input.nameIsText;
        report.reason = input.failure;
        if (!input.failed())
            report = inspectFile(input.path, chosenCodePage);
        allValid = allValid && report.outcome == Report::Valid;
        if (parser.isSet(json))
            files.append(toJson(report));
        else
            printText(report, out, err);
    }
    if (parser.isSet(json))
        out << QJsonDocument(QJsonObject{{QStringLiteral("files"), files}}).toJson();
    return allValid ? Success : Failure;
}

} // namespace cli
