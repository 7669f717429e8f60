// Turning command-line arguments into the files a command reads: files named
// directly, and the files of some suffixes found in folders (below them with -r).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace cli {

// One input: a file to read, or something that cannot be one, with the reason.
struct Input
{
    QString path;      // as given, or the argument folder joined with `relative`
    QString relative;  // below the folder argument it was found in ("a/x.shx"); a file
                       // argument's own name
    QString printable; // `path` as it may be printed: control characters and
                       // bytes that are not text escaped
    QString failure;   // why it cannot be read; empty when it can
    bool nameIsText = true; // false: `path` is not the name's bytes, only `printable` shows them
    bool folder = false;    // a folder that cannot be read or holds no font: not a font itself
    bool noFonts = false;   // a folder argument without a font (below it with -r)

    bool failed() const { return !failure.isEmpty(); }
};

struct InputScan
{
    QStringList suffixes{QStringLiteral("shx")}; // files looked at in folders, any case
    bool recursive = false;                 // folders below folders too
};

// Inputs in the order of the arguments; the files of one folder sorted by
// path, so a summary reads the same on every run. A file reached twice (named
// twice, or through a link) is listed once, where it is first reached. Links
// that lead nowhere or loop, special files (FIFOs, devices), names that are
// not valid in the locale's encoding, missing arguments and folders without a
// matching file, entries that cannot be looked at and fonts whose path is
// too long to open are listed as failures with their reason, never skipped. A
// folder without a matching file whose sub-folders hold some says to add -r.
// Links to folders are not followed.
QList<Input> collectInputs(const QStringList &arguments, const InputScan &scan);

// Whether `path` ends in one of `suffixes` (without the dot, lower case), in any case.
bool hasSuffixOf(const QString &path, const QStringList &suffixes);

} // namespace cli
