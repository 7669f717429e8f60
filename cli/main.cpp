// varnel-cli: the dialog's conversion from the command line.
#include "job/ConversionJob.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

enum ExitStatus { Success = 0, ConversionFailed = 1, UsageError = 2 };

// The dialog's code page items, in their order.
const QStringList kCodePageNames = {
    QStringLiteral("unicode"), QStringLiteral("euc-kr"), QStringLiteral("big5"),
    QStringLiteral("gbc"), QStringLiteral("shift-jis"),
};

int usageError(const QString &message)
{
    QTextStream(stderr) << "varnel-cli: " << message << "\n"
                        << "Try 'varnel-cli --help' for more information.\n";
    return UsageError;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNEL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts an SHX shape font (shape font, unifont or big font) "
                       "into an FNT vector font."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption codePage(
        QStringLiteral("code-page"),
        QStringLiteral("Code page of a big font's character codes: %1. "
                       "Without it the code page is detected from the font.")
            .arg(kCodePageNames.join(QStringLiteral(", "))),
        QStringLiteral("name"));
    parser.addOption(codePage);
    parser.addPositionalArgument(QStringLiteral("input"), QStringLiteral("The SHX font to read."));
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("The FNT file to write."));

    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Success);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList paths = parser.positionalArguments();
    if (paths.size() != 2)
        return usageError(QStringLiteral("expected an input SHX file and an output FNT file"));

    ConversionJob job;
    job.shxPath = paths.at(0);
    job.fntPath = paths.at(1);
    if (parser.isSet(codePage)) {
        const qsizetype index = kCodePageNames.indexOf(parser.value(codePage).toLower());
        if (index < 0)
            return usageError(QStringLiteral("unknown code page '%1'").arg(parser.value(codePage)));
        job.useCodePage = true;
        job.codePageIndex = qint32(index);
    }

    const ConversionOutcome outcome = job.convert();
    QTextStream(outcome == ConversionOutcome::Converted ? stdout : stderr)
        << outcomeText(outcome) << "\n";
    return outcome == ConversionOutcome::Converted ? Success : ConversionFailed;
}
