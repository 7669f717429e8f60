// The convert command's options, their help, and reading them.
#include "ConvertOptions.h"
#include "Commands.h"
#include "ConvertPlan.h"
#include "ConvertRun.h"

#include "io/FileAccess.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

namespace cli::convert {

namespace {

const char kDescription[] =
    "Converts SHX shape fonts (shape fonts, unifont files and big fonts) and their SHP\n"
    "sources into FNT vector fonts; compiles SHP sources and decompiles SHX fonts.\n"
    "\n"
    "Examples:\n"
    "  varnel-cli font.shx font.fnt          one font into the named file\n"
    "  varnel-cli -o font.fnt font.shx       the same\n"
    "  varnel-cli font.shp font.fnt          the FNT file the compiled source gives\n"
    "  varnel-cli font.shp font.shx          compiles the source\n"
    "  varnel-cli font.shx font.shp          the font as text, without losing a byte\n"
    "  varnel-cli a.shx b.shx                each into NAME.fnt beside itself\n"
    "  varnel-cli fonts */                   every font in these folders, each beside itself\n"
    "  varnel-cli -o converted a.shx fonts   into the folder converted (made if missing)\n"
    "  varnel-cli -r -o converted fonts      every font below fonts; fonts/a/x.shx becomes\n"
    "                                        converted/a/x.fnt\n"
    "  varnel-cli --to shp -r -o text fonts  every .shx below fonts as text\n"
    "  varnel-cli -u -r fonts                only where the FNT file is missing or older\n"
    "  varnel-cli --json -r fonts            a JSON report on standard output\n"
    "  varnel-cli inspect FONT-OR-FOLDER...  tells what SHX and FNT fonts are (--json)\n"
    "  varnel-cli preview FONT...            draws FONT.png here (-o SHEET.png|.svg)\n"
    "\n"
    "A folder named as an argument is always an input; the destination is -o's folder,\n"
    "or the second of exactly two names when it ends in .fnt, or in .shx or .shp for\n"
    "a font of the other of the two. Its suffix chooses what is made; a batch makes\n"
    "what --to says, and an SHP source beside its SHX font is skipped. The whole command\n"
    "is checked before anything is written: an output name among several inputs, a\n"
    "missing name that is not an .shx or .shp file, or a folder without fonts is a\n"
    "usage error. A source with errors is refused with each error's line and column.\n"
    "Outputs are replaced unless -n or -u is given. Two inputs that would write one file\n"
    "are both refused. An interrupted batch (Ctrl-C, SIGTERM, SIGHUP) removes its temporary\n"
    "files, prints its summary so far and exits with 128 + the signal number.\n"
    "\n"
    "Exit status: 0 when every input converted or was kept, 1 when some failed, 2 on a\n"
    "usage error.";

// The parser's help with our own usage lines: the program's name, not the
// path it was started by.
QString helpText(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: varnel-cli [options] INPUT.shx|.shp OUTPUT.fnt|.shx|.shp\n"
                          "       varnel-cli [options] [-o FOLDER] INPUT...\n"
                          "       varnel-cli [options] inspect|preview ...   (help CMD: its options)\n")
           + text.mid(end);
}

// The options, in the order --help lists them.
struct CommandLine
{
    const QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help.")};
    const QCommandLineOption version{
        {QStringLiteral("v"), QStringLiteral("version")},
        QStringLiteral("Shows the version (-v is --version, not --verbose).")};
    const QCommandLineOption codePage{
        QStringLiteral("code-page"),
        QStringLiteral("Code page of a big font's character codes: %1. Without it the code page "
                       "is detected from the font; other fonts have none. Decompiling, it names "
                       "the characters in comments.")
            .arg(acceptedCodePageNames()),
        QStringLiteral("name")};
    const QCommandLineOption to{QStringLiteral("to"),
                                QStringLiteral("What a batch makes: fnt (the default), shx (compiled from "
                                               "SHP sources) or shp (SHX fonts as text)."),
                                QStringLiteral("format")};
    const QCommandLineOption output{
        {QStringLiteral("o"), QStringLiteral("output"), QStringLiteral("output-dir")},
        QStringLiteral("With one input file and a <path> ending in .fnt (or .shx, .shp): that file. "
                       "Otherwise the folder every output goes into, made if missing; without -o "
                       "each output is written beside its input."),
        QStringLiteral("path")};
    const QCommandLineOption recursive{{QStringLiteral("r"), QStringLiteral("recursive")},
                                       QStringLiteral("Look for fonts in sub-folders too; with a "
                                                      "destination folder, the tree is mirrored there.")};
    const QCommandLineOption noClobber{{QStringLiteral("n"), QStringLiteral("no-clobber")},
                                       QStringLiteral("Keep every output file that exists.")};
    const QCommandLineOption update{{QStringLiteral("u"), QStringLiteral("update")},
                                    QStringLiteral("Convert only where the output file is missing "
                                                   "or older than its input.")};
    const QCommandLineOption jobs{{QStringLiteral("j"), QStringLiteral("jobs")},
                                  QStringLiteral("Convert on <n> threads (default: %1, the number of "
                                                 "cores; at most %2 per core and one per input).")
                                      .arg(QThread::idealThreadCount())
                                      .arg(kThreadsPerCore),
                                  QStringLiteral("n")};
    const QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print only failures.")};
    const QCommandLineOption verbose{QStringLiteral("verbose"),
                                     QStringLiteral("One line per font: kind, glyphs, code page "
                                                    "(detected or forced), FNT size and time.")};
    const QCommandLineOption json{QStringLiteral("json"),
                                  QStringLiteral("Print one JSON document on standard output: per "
                                                 "file its path, outcome, reason, kind, glyph count, "
                                                 "ranges, extents, problems and warnings; a source "
                                                 "with errors adds them.")};
    QCommandLineParser parser;

    CommandLine()
    {
        parser.setApplicationDescription(QString::fromLatin1(kDescription));
        parser.addOptions({help, version, codePage, to, output, recursive, noClobber, update, jobs, quiet,
                           verbose, json});
        parser.addPositionalArgument(QStringLiteral("input"),
                                     QStringLiteral("SHX and SHP files, or folders holding them."),
                                     QStringLiteral("input..."));
        parser.addPositionalArgument(QStringLiteral("output"),
                                     QStringLiteral("After exactly one input: the file to make, named "
                                                    "by its suffix (.fnt, .shx, .shp)."),
                                     QStringLiteral("[output]"));
    }
};

// A usage error: says so, and there is nothing to convert.
bool refuse(const QString &message)
{
    usageError(message);
    return false;
}

// The options that shape each conversion, and the thread count. Returns
// false after a usage error.
bool readOptions(const CommandLine &line, Request &request)
{
    const QCommandLineParser &parser = line.parser;
    Options &options = request.options;
    if (parser.isSet(line.codePage)) {
        options.codePageIndex = codePageIndex(parser.value(line.codePage));
        if (options.codePageIndex < 0)
            return refuse(QStringLiteral("unknown code page '%1'; accepted: %2")
                                  .arg(parser.value(line.codePage), acceptedCodePageNames()));
        options.useCodePage = true;
    }
    if (parser.isSet(line.noClobber) && parser.isSet(line.update))
        return refuse(QStringLiteral("-n keeps every output file, -u replaces older ones: give one"));
    if (parser.isSet(line.noClobber))
        options.overwrite = Overwrite::Keep;
    else if (parser.isSet(line.update))
        options.overwrite = Overwrite::Update;
    if (parser.isSet(line.quiet) && parser.isSet(line.verbose))
        return refuse(QStringLiteral("--quiet and --verbose: give one"));
    if (parser.isSet(line.quiet))
        options.verbosity = Verbosity::Quiet;
    else if (parser.isSet(line.verbose))
        options.verbosity = Verbosity::Verbose;
    options.json = parser.isSet(line.json);
    if (parser.isSet(line.to)) {
        const QString format = parser.value(line.to).toLower();
        if (!kOutputSuffixes.contains(format))
            return refuse(QStringLiteral("unknown format '%1' for --to; accepted: fnt, shx, shp")
                              .arg(io::printableName(parser.value(line.to))));
        options.to = formatNamed(format, Format::Fnt);
    }
    request.threadCount = QThread::idealThreadCount();
    if (parser.isSet(line.jobs)) {
        bool ok = false;
        request.threadCount = parser.value(line.jobs).toInt(&ok);
        if (!ok || request.threadCount < 1)
            return refuse(QStringLiteral("-j needs a whole number of threads, 1 or more"));
    }
    return true;
}

// Whether `path` names an output file by its suffix (and is no folder).
bool namesOutputFile(const QString &path)
{
    return hasSuffixOf(path, kOutputSuffixes) && !QFileInfo(path).isDir();
}

// Whether two names are of one input format: a.shx b.shx converts both.
bool sameFormat(const QString &first, const QString &second)
{
    return hasSuffixOf(first, kInputSuffixes) && formatOf(first, Format::Fnt) == formatOf(second, Format::Fnt);
}

// IN OUT: an FNT file made from IN, or an SHX font and an SHP source made
// one from the other. Two fonts, or a folder and a font, are both inputs; so
// are two existing fonts of different names (a.shp b.shx, as `*.sh?` gives):
// only a font's own other form (a.shp a.shx) is replaced without asking.
bool namesOutputOf(const QString &input, const QString &output)
{
    if (!namesOutputFile(output))
        return false;
    if (formatOf(output, Format::Shx) == Format::Fnt)
        return true;
    if (!hasSuffixOf(input, kInputSuffixes) || sameFormat(input, output))
        return false;
    // A FIFO, a device or a link to one named as OUT is refused as an output,
    // not read as a font.
    const QFileInfo existing(output);
    return !existing.isFile()
           || existing.completeBaseName().compare(QFileInfo(input).completeBaseName(), Qt::CaseInsensitive) == 0;
}

// One input into a named file: its suffix says what to make, which --to may
// only repeat, and which the input must not be already.
bool refuseSingleFormats(bool toNamed, const QString &input, Request &request)
{
    const Format to = formatOf(request.destination, Format::Fnt);
    if (toNamed && to != request.options.to)
        return refuse(QStringLiteral("--to %1, but %2 names an %3 file: give one")
                          .arg(suffixOf(request.options.to), io::printablePath(request.destination),
                               nameOf(to)));
    if (sameFormat(input, request.destination))
        return refuse(QStringLiteral("%1 is an %2 file already; -o %3 asks for one")
                          .arg(io::printablePath(input), nameOf(to), io::printablePath(request.destination)));
    request.options.to = to;
    return true;
}

// The inputs, and where their outputs go: beside each input, into the folder
// -o names, or into one file named by its suffix (IN OUT.fnt, -o OUT.fnt).
// A folder named on the command line is always an input. Returns false after
// a usage error.
bool readPaths(const CommandLine &line, Request &request)
{
    const QCommandLineParser &parser = line.parser;
    QStringList &paths = request.paths;
    paths = parser.positionalArguments();
    request.recursive = parser.isSet(line.recursive);
    if (paths.isEmpty())
        return refuse(QStringLiteral("expected an input SHX file and an output FNT file, "
                                     "or SHX and SHP files and folders to convert"));
    QString &destination = request.destination;
    if (parser.isSet(line.output)) {
        destination = parser.value(line.output);
        request.destinationNamed = true;
        if (destination.isEmpty())
            return refuse(QStringLiteral("-o needs a path"));
        // Fonts are written whole or not at all, so never to a pipe.
        if (destination == QLatin1String("-"))
            return refuse(QStringLiteral("-o -: fonts are written to files, not to standard output; "
                                         "name a file or a folder (./- for one named -)"));
        request.single = namesOutputFile(destination);
    } else if (paths.size() == 2 && namesOutputOf(paths.first(), paths.last())) {
        destination = paths.takeLast();
        request.single = true;
    }
    if (request.single && (paths.size() != 1 || QFileInfo(paths.first()).isDir()))
        return refuse(QStringLiteral("%1 names one file, but %2; to convert into a folder, "
                                     "use -o FOLDER")
                          .arg(io::printablePath(destination),
                               paths.size() != 1 ? QStringLiteral("there are %1 inputs").arg(paths.size())
                                                 : QStringLiteral("%1 is a folder").arg(io::printablePath(paths.first()))));
    if (request.single && !refuseSingleFormats(parser.isSet(line.to), paths.first(), request))
        return false;
    for (const QString &path : std::as_const(paths)) {
        if (path.isEmpty())
            return refuse(kEmptyArgument);
        if (hasSuffixOf(path, kOutputSuffixes) && !hasSuffixOf(path, kInputSuffixes)
            && !QFileInfo(path).isDir())
            return refuse(QStringLiteral("%1 names an output among several inputs; a single output "
                                         "is the second of exactly two names (INPUT OUTPUT), "
                                         "a folder for many is given with -o FOLDER")
                              .arg(io::printablePath(path)));
        // A missing name that is no font's is a slip: nothing is converted
        // rather than every other input beside itself.
        const QFileInfo info(path);
        // "x.shx/": the file is there, the slash asks for a folder.
        const QString slashed = QDir::fromNativeSeparators(path);
        const QString file = slashed.chopped(1);
        if (!info.exists() && slashed.endsWith(QLatin1Char('/')) && !file.isEmpty()
            && QFileInfo::exists(file))
            return refuse(QStringLiteral("%1: %2 is a file, not a folder")
                              .arg(io::printablePath(path), io::printablePath(file)));
        if (!info.exists() && !info.isSymLink() && !hasSuffixOf(path, kInputSuffixes))
            return refuse(QStringLiteral("%1: no such file or folder; to convert into a folder, "
                                         "use -o %1")
                              .arg(io::printablePath(path)));
    }
    return true;
}

} // namespace

bool readRequest(const QStringList &arguments, Request &request, int &status)
{
    CommandLine line;
    if (!line.parser.parse(arguments)) {
        status = parseError(line.parser, {line.help, line.version, line.codePage, line.to, line.output,
                                          line.recursive, line.noClobber, line.update, line.jobs,
                                          line.quiet, line.verbose, line.json});
        return false;
    }
    status = Success;
    if (line.parser.isSet(line.help)) {
        QTextStream(stdout) << helpText(line.parser);
        return false;
    }
    if (line.parser.isSet(line.version)) {
        QTextStream(stdout) << "varnel-cli " << QCoreApplication::applicationVersion() << "\n";
        return false;
    }
    status = refuseUnknownFirstWord();
    if (status != Success)
        return false;
    status = UsageError;
    return readOptions(line, request) && readPaths(line, request);
}

} // namespace cli::convert
