// What converting works on: the options that shape every conversion, and one
// task per input with what became of it.
#pragma once

#include "fnt/FntReader.h"
#include "job/ConversionJob.h"
#include "shp/Shp.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace cli::convert {

enum class Overwrite { Replace, Keep, Update };
// What a task reads and writes: compiled fonts, their text sources, and the
// vector fonts made from either.
enum class Format { Fnt, Shx, Shp };
enum class Verbosity { Quiet, Normal, Verbose };

struct Options
{
    bool useCodePage = false;
    int codePageIndex = 0;
    Overwrite overwrite = Overwrite::Replace;
    Verbosity verbosity = Verbosity::Normal;
    bool json = false;
    Format to = Format::Fnt; // what the outputs are
};

enum class State { Pending, Converted, Skipped, Failed, NotStarted };

// One input and what became of it.
struct Task
{
    QString input;
    QString shown;    // the input as it may be printed
    QString relative; // below its folder argument
    bool nameIsText = true; // false: only `shown` tells the name's bytes
    bool folder = false;    // a folder that yields no font: not counted as one
    bool noFonts = false;   // a folder argument without a font
    QString output;
    Format from = Format::Shx;
    Format to = Format::Fnt;
    State state = State::Pending;
    QString failure; // as printed after the name; also why a task was skipped
    ConversionFailure record;

    // What a conversion made.
    qint32 fontKind = 0;
    int glyphs = 0; // shapes, for an SHX or SHP output
    QString codePage; // big fonts only
    bool codePageForced = false;
    qint64 fntSize = 0; // the output's size, whatever its format
    qint64 milliseconds = 0;
    QList<fnt::FntRange> ranges;
    fnt::FntExtents extents;
    QList<fnt::FntViolation> problems;
    QStringList warnings;
    // An SHP source's errors, which failed the task, or its warnings.
    shp::Messages sourceErrors;
    shp::Messages sourceWarnings;

    void fail(const QString &why)
    {
        state = State::Failed;
        failure = why;
    }
};

} // namespace cli::convert
