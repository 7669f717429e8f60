// varnel-cli: converts SHX fonts, checks FNT files and draws glyph sheets.
#include "Commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {

int codePageIndex(const QString &name)
{
    return int(kCodePageNames.indexOf(name.toLower()));
}

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("varnel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNEL_VERSION));
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

int main(int argc, char *argv[])
{
    // A subcommand is the first argument; everything else is a conversion.
    if (argc > 1 && std::strcmp(argv[1], "inspect") == 0)
        return cli::runInspect(argc, argv);
#ifdef VARNEL_HAVE_PREVIEW
    if (argc > 1 && std::strcmp(argv[1], "preview") == 0)
        return cli::runPreview(argc, argv);
#endif
    return cli::runConvert(argc, argv);
}
