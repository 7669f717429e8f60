// Inspecting: reads FNT files back, summarises them and lists every broken rule.
#include "Commands.h"

#include "fnt/FntReader.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cmath>

namespace cli {

namespace {

// Long range tables are cut short; the count says how many there are.
constexpr int kRangesShown = 8;

// Shape numbers read best in decimal, two-byte character codes in hex.
QString describeCode(quint16 code)
{
    return code < 256 ? QString::number(code)
                      : QStringLiteral("0x") + QString::number(code, 16).toUpper();
}

QString describeRanges(const fnt::FntFont &font)
{
    QStringList shown;
    for (int i = 0; i < font.ranges.size() && i < kRangesShown; ++i) {
        const fnt::FntRange range = font.ranges.at(i);
        shown.append(range.firstCode == range.lastCode
                         ? describeCode(range.firstCode)
                         : describeCode(range.firstCode) + QLatin1Char('-')
                               + describeCode(range.lastCode));
    }
    if (font.ranges.size() > kRangesShown)
        shown.append(QStringLiteral("and %1 more").arg(font.ranges.size() - kRangesShown));
    return shown.join(QStringLiteral(", "));
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

bool inspectFile(const QString &path, QTextStream &out, QTextStream &err)
{
    const QString shown = QDir::toNativeSeparators(path);
    fnt::FntReader reader;
    QString error;
    if (!reader.readFile(path, &error)) {
        out.flush();
        err << "varnel-cli: cannot read " << shown << ": " << error << "\n";
        return false;
    }
    const fnt::FntFont &font = reader.font();
    out << shown << "\n";
    if (font.fileSize >= 48) {
        out << "  name:     " << font.name() << "\n"
            << "  glyphs:   " << font.glyphCount;
        if (!font.ranges.isEmpty())
            out << " in " << font.ranges.size()
                << (font.ranges.size() == 1 ? " range: " : " ranges: ") << describeRanges(font);
        out << "\n"
            << "  units:    height " << font.height << ", width " << font.width << ", baseline "
            << font.baseline << "\n";
    }
    out << "  size:     " << font.fileSize << " bytes\n";
    if (reader.isValid()) {
        out << "  extents:  " << describeExtents(font.extents()) << "\n"
            << "  valid FNT file\n";
        return true;
    }
    for (const fnt::FntViolation &violation : reader.violations())
        out << "  byte " << violation.position << ": " << violation.message << "\n";
    out.flush();
    err << "varnel-cli: " << shown << " is not a valid FNT file ("
        << reader.violations().size()
        << (reader.violations().size() == 1 ? " problem)\n" : " problems)\n");
    return false;
}

} // namespace

int runInspect(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads FNT files back, prints a summary of each (name, glyph count, code ranges, "
        "size, extents) and every place where a file breaks the format, with its byte "
        "position. Exit status 1 when some file is not valid."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("inspect"), QStringLiteral("The command."),
                                 QStringLiteral("inspect"));
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("FNT files to check."),
                                 QStringLiteral("file.fnt..."));
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Success);

    const QStringList paths = parser.positionalArguments().mid(1);
    if (paths.isEmpty())
        return usageError(QStringLiteral("inspect expects one or more FNT files"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    bool allValid = true;
    for (const QString &path : paths)
        allValid = inspectFile(path, out, err) && allValid;
    return allValid ? Success : Failure;
}

} // namespace cli
