// varnel-cli: converts SHX fonts, checks FNT files and draws glyph sheets.
#include "Commands.h"

#include "io/FileAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QTextStream>

#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {

namespace {

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
    QTextStream(stderr) << "varnel-cli: " << message << "\n"
                        << "Try 'varnel-cli --help' for more information.\n";
    return UsageError;
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

#ifdef VARNEL_HAVE_PREVIEW
namespace {

// Loads the preview module from beside the program, or from where it is
// installed, and runs it.
int runPreviewModule(int argc, char *argv[])
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString programDir = self.exists() ? QFileInfo(self.canonicalFilePath()).absolutePath()
                                             : QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath();
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

} // namespace
#endif

int main(int argc, char *argv[])
{
    // A subcommand is the first argument; everything else is a conversion.
    if (argc > 1 && std::strcmp(argv[1], "inspect") == 0)
        return cli::runInspect(argc, argv);
#ifdef VARNEL_HAVE_PREVIEW
    if (argc > 1 && std::strcmp(argv[1], "preview") == 0)
        return runPreviewModule(argc, argv);
#endif
    return cli::runConvert(argc, argv);
}
