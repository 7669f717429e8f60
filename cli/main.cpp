// varnel-cli: converts SHX fonts, checks FNT files and draws glyph sheets.
#include "Commands.h"

#include "io/FileAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace cli {

namespace {

// The command being run ("inspect"), empty for a conversion: usage errors
// point to its help.
QString g_command;
// A first word that is neither a command nor a file or folder.
QString g_unknownWord;
// The commands, as the first word that is not an option.
const QStringList kCommands{QStringLiteral("inspect"), QStringLiteral("preview"),
                            QStringLiteral("help")};

QStringList aliasesOf(int index)
{
    return QString::fromLatin1(kCodePages[index].aliases).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

int codePageIndex(const QString &name)
{
    const QString key = name.trimmed().toLower();
    for (int i = 0; i < kCodePageNames.size(); ++i) {
        if (kCodePageNames.at(i) == key || aliasesOf(i).contains(key))
            return i;
    }
    return -1;
}

QString acceptedCodePageNames()
{
    QStringList items;
    for (int i = 0; i < kCodePageNames.size(); ++i) {
        const QStringList aliases = aliasesOf(i);
        items << (aliases.isEmpty() ? kCodePageNames.at(i)
                                    : QStringLiteral("%1 (%2)").arg(kCodePageNames.at(i),
                                                                    aliases.join(QStringLiteral(", "))));
    }
    return items.join(QStringLiteral("; "));
}

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("varnel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNEL_VERSION));
}

QCommandLineOption sheetCodePageOption()
{
    return QCommandLineOption(
        QStringLiteral("code-page"),
        QStringLiteral("For an SHX big font: the code page, as when converting: %1.")
            .arg(kCodePageNames.join(QStringLiteral(", "))),
        QStringLiteral("name"));
}

int readCodePageOption(const QCommandLineParser &parser, const QCommandLineOption &option, int &index)
{
    index = -1;
    if (!parser.isSet(option))
        return Success;
    index = codePageIndex(parser.value(option));
    if (index < 0)
        return usageError(QStringLiteral("unknown code page '%1'")
                              .arg(io::printableName(parser.value(option))));
    return Success;
}

int usageError(const QString &message)
{
    const QString help = g_command.isEmpty() ? QStringLiteral("varnel-cli --help")
                                             : QStringLiteral("varnel-cli %1 --help").arg(g_command);
    QTextStream(stderr) << "varnel-cli: " << message << "\n"
                        << "Try '" << help << "' for more information.\n";
    return UsageError;
}

QString nearestWord(const QString &word, const QStringList &candidates)
{
    // Edits, swapped neighbours counted as one: "inspekt", "prevew", "hlep".
    const auto distance = [](const QString &a, const QString &b) {
        QList<QList<int>> d(a.size() + 1, QList<int>(b.size() + 1, 0));
        for (int i = 0; i <= a.size(); ++i)
            d[i][0] = i;
        for (int j = 0; j <= b.size(); ++j)
            d[0][j] = j;
        for (int i = 1; i <= a.size(); ++i) {
            for (int j = 1; j <= b.size(); ++j) {
                const int cost = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
                d[i][j] = qMin(qMin(d[i - 1][j] + 1, d[i][j - 1] + 1), d[i - 1][j - 1] + cost);
                if (i > 1 && j > 1 && a.at(i - 1) == b.at(j - 2) && a.at(i - 2) == b.at(j - 1))
                    d[i][j] = qMin(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
        return d[a.size()][b.size()];
    };
    QString best;
    // Close enough to be a slip of the fingers, not another word: "-x" is
    // one edit from "-h" too, but nobody meant that.
    int bestDistance = word.size() <= 2 ? 0 : word.size() <= 5 ? 1 : 2;
    for (const QString &candidate : candidates) {
        const int d = distance(word.toLower(), candidate);
        if (d < bestDistance || (d <= bestDistance && best.isEmpty())) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

int parseError(const QCommandLineParser &parser, const QList<QCommandLineOption> &options)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty()) {
        QString text = parser.errorText(); // "Missing value after '-o'."
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
        return usageError(text.isEmpty() ? text : text.at(0).toLower() + text.mid(1));
    }
    const auto dashed = [](const QString &name) {
        return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    };
    QStringList names{QStringLiteral("--help")};
    if (!g_command.isEmpty())
        names << QStringLiteral("--help-all");
    for (const QCommandLineOption &option : options) {
        for (const QString &name : option.names())
            names << dashed(name);
    }
    const QString given = dashed(unknown.first());
    const QString nearest = nearestWord(given, names);
    return usageError(nearest.isEmpty()
                          ? QStringLiteral("unknown option '%1'").arg(io::printableName(given))
                          : QStringLiteral("unknown option '%1'; did you mean '%2'?")
                                .arg(io::printableName(given), nearest));
}

int refuseUnknownFirstWord()
{
    if (g_unknownWord.isEmpty())
        return Success;
    const QString nearest = nearestWord(g_unknownWord, kCommands);
    return usageError(nearest.isEmpty()
                          ? QStringLiteral("'%1' is neither a command nor a file or folder here; "
                                           "the commands are inspect, preview and help")
                                .arg(io::printableName(g_unknownWord))
                          : QStringLiteral("unknown command '%1'; did you mean '%2'?")
                                .arg(io::printableName(g_unknownWord), nearest));
}

void showHelpIfAsked(QCommandLineParser &parser)
{
    // process() shows the help with the toolkit's options and ends.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(*QCoreApplication::instance());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Success);
}

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr));
#else
    return isatty(fileno(stderr));
#endif
}

} // namespace cli

namespace {

using cli::kCommands;
// The options of any command that take a value: the word after one is its
// value, not the command.
const QStringList kValueOptions{QStringLiteral("-o"),         QStringLiteral("--output"),
                                QStringLiteral("--output-dir"), QStringLiteral("-j"),
                                QStringLiteral("--jobs"),     QStringLiteral("--code-page"),
                                QStringLiteral("--codes"),      QStringLiteral("--to")};

// The index of the first argument that is neither an option nor an option's
// value (options may come before the command), or -1.
int firstWord(const QStringList &arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--"))
            return -1; // what follows is names, never a command
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            return i;
        if (kValueOptions.contains(argument))
            ++i;
    }
    return -1;
}

#ifndef Q_OS_WIN
// A name is used byte for byte or not at all: one that does not decode would
// reach the files as another name (U+FFFD for each stray byte), and could
// read or replace a file nobody named.
bool argumentsAreText(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        if (QFile::encodeName(QFile::decodeName(bytes)) != bytes) {
            std::fprintf(stderr,
                         "varnel-cli: %s: the name is not valid text in this locale's encoding; "
                         "nothing was done\n",
                         qPrintable(io::printableBytes(bytes)));
            return false;
        }
    }
    return true;
}
#endif

#ifdef VARNEL_HAVE_PREVIEW
// Loads the preview module from beside the program, or from where it is
// installed, and runs it.
int runPreviewModule(const char *program, int argc, char *argv[])
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString programDir = self.exists() ? QFileInfo(self.canonicalFilePath()).absolutePath()
                                             : QFileInfo(QString::fromLocal8Bit(program)).absolutePath();
    const QStringList dirs{programDir, QDir(programDir).filePath(QStringLiteral(VARNEL_PREVIEW_DIR))};
    QString error;
    for (const QString &dir : dirs) {
        QLibrary module(QDir(dir).filePath(QStringLiteral("varnel-preview")));
        using Entry = int (*)(int, char **);
        if (const auto entry = reinterpret_cast<Entry>(module.resolve("varnelPreview")))
            return entry(argc, argv);
        // A module that is there but does not load says why.
        if (!QDir(dir).entryList({QStringLiteral("varnel-preview.*")}, QDir::Files).isEmpty())
            error = module.errorString();
    }
    if (error.isEmpty())
        error = QStringLiteral("the varnel-preview module is neither in %1 nor in %2")
                    .arg(QDir::cleanPath(dirs.at(0)), QDir::cleanPath(dirs.at(1)));
    std::fprintf(stderr, "varnel-cli: preview is not available: %s\n",
                 qPrintable(io::printableName(error)));
    return cli::Failure;
}
#endif

int runCommand(const QString &command, int argc, char *argv[])
{
    cli::g_command = command;
    std::vector<char *> named(argv, argv + argc + 1);
#ifndef Q_OS_WIN
    // The help's usage line names the program, not the path it was started
    // by. (Windows' toolkit would take a changed argv for its arguments
    // instead of the exact wide command line.)
    static char name[] = "varnel-cli";
    named[0] = name;
#endif
    if (command == QLatin1String("inspect"))
        return cli::runInspect(argc, named.data());
#ifdef VARNEL_HAVE_PREVIEW
    if (command == QLatin1String("preview"))
        return runPreviewModule(argv[0], argc, named.data());
#endif
    return cli::runConvert(argc, argv);
}

// The first word is a command, or an existing file or folder to convert; a
// word that is neither is a usage error, so a mistyped command converts
// nothing. A word with a dot or a separator names a file: when it is
// missing, conversion says so as for any other input.
int dispatch(int argc, char *argv[])
{
    QStringList arguments;
#ifdef Q_OS_WIN
    // argv holds the names in the ANSI code page, where letters outside it
    // become '?'; the toolkit reads the wide command line, and so does this.
    int count = 0;
    if (LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count && count == argc; ++i)
            arguments << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
    }
#endif
    for (int i = int(arguments.size()); i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const int word = firstWord(arguments);
    const QString first = word > 0 ? arguments.at(word) : QString();
    if (first == QLatin1String("help")) {
        // "help" alone is --help; "help inspect" is inspect's --help.
        const QString about = word + 1 < argc ? arguments.at(word + 1) : QString();
        if (about.isEmpty() || kCommands.contains(about)) {
            static char help[] = "--help";
            std::vector<char *> rewritten(argv, argv + argc);
            rewritten.erase(rewritten.begin() + word);
            rewritten.push_back(help);
            rewritten.push_back(nullptr);
            return runCommand(about == QLatin1String("help") ? QString() : about, argc,
                              rewritten.data());
        }
        const QString nearest = cli::nearestWord(about, kCommands);
        return cli::usageError(QStringLiteral("no help on '%1'; %2")
                                   .arg(io::printableName(about),
                                        nearest.isEmpty() ? QStringLiteral("the commands are inspect and preview")
                                                          : QStringLiteral("did you mean '%1'?").arg(nearest)));
    }
    if (kCommands.contains(first))
        return runCommand(first, argc, argv);
    const QFileInfo named(first);
    if (first.isEmpty() || named.exists() || named.isSymLink() || first.contains(QLatin1Char('.'))
        || first.contains(QLatin1Char('/')) || first.contains(QDir::separator()))
        return runCommand(QString(), argc, argv);
    // Refused once the options before it are read, so that a mistyped one
    // ("--cod-page gbk") is named rather than its value.
    cli::g_unknownWord = first;
    return runCommand(QString(), argc, argv);
}

// A report that could not be written (a full disk, /dev/full) is a failure,
// not a success nobody can read. A reader that went away has its own status.
int finishStandardOutput(int status)
{
    // A write that failed before is still told by errno when nothing else has
    // failed since; only the reasons a write has are believed.
    const int earlier = errno;
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !std::ferror(stdout))
        return status;
    const bool writeReason = earlier == ENOSPC || earlier == EFBIG || earlier == EIO
                             || earlier == EPIPE;
    const int error = flushed ? (writeReason ? earlier : 0) : errno;
    if (error != EPIPE)
        std::fprintf(stderr, "varnel-cli: cannot write to standard output: %s\n",
                     error ? qPrintable(io::reasonForErrno(error)) : "a write failed");
    return status == cli::Success ? cli::Failure : status;
}

} // namespace

int main(int argc, char *argv[])
{
#ifndef Q_OS_WIN
    if (!argumentsAreText(argc, argv))
        return cli::UsageError;
#endif
    return finishStandardOutput(dispatch(argc, argv));
}
