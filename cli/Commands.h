// The commands of varnel-cli, one source file each, and what they share.
#pragma once

#include "job/CodePage.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace cli {

enum ExitStatus { Success = 0, Failure = 1, UsageError = 2 };

// The command line's names of the dialog's code page items, in their order.
inline const QStringList kCodePageNames = [] {
    QStringList names;
    for (const CodePageInfo &info : kCodePages)
        names << QLatin1String(info.name);
    return names;
}();

// The item index of a code page name (any case), or -1. Besides the items'
// own names it takes the names people use: "gbk", "cp936", "936" for gbc and
// so on.
int codePageIndex(const QString &name);
// Every accepted name, by item: "unicode; euc-kr (uhc, cp949, 949); ...".
QString acceptedCodePageNames();
// Says what is wrong, points to the help of the command being run, and
// returns UsageError.
int usageError(const QString &message);
// A variable that expanded to nothing: there is no name to show or suggest.
inline const QString kEmptyArgument = QStringLiteral("an empty argument names no file or folder");
// The parser's complaint as a usage error; an unknown option comes with the
// nearest of `options` ("did you mean '--verbose'?").
int parseError(const QCommandLineParser &parser, const QList<QCommandLineOption> &options);
// A first word that is neither a command nor an existing file or folder
// (and has no dot or separator) is refused as a usage error naming the
// nearest command; the conversion calls this once its options are read.
// Success when there was none.
int refuseUnknownFirstWord();
// -h and --help show the command's options, --help-all the toolkit's too;
// either ends the program.
void showHelpIfAsked(QCommandLineParser &parser);
// The candidate a mistyped `word` most likely meant, or an empty string
// when none is close.
QString nearestWord(const QString &word, const QStringList &candidates);
// inspect's and preview's --code-page, and reading it: `index` is the chosen
// item, or -1 when the option is not given. Returns UsageError (after saying
// so) for an unknown name, Success otherwise.
QCommandLineOption sheetCodePageOption();
int readCodePageOption(const QCommandLineParser &parser, const QCommandLineOption &option, int &index);
// Names the program and its version for --help and --version; called once
// the command's application object exists.
void nameApplication();
// Whether standard error is a terminal, where progress lines make sense.
bool stderrIsTerminal();

int runConvert(int argc, char *argv[]);
int runInspect(int argc, char *argv[]);

} // namespace cli
