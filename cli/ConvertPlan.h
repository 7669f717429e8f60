// Planning a batch: which file each input becomes, which inputs are refused
// because they would write one file, and which outputs stay as they are.
#pragma once

#include "ConvertTask.h"
#include "Inputs.h"

#include <vector>

namespace cli::convert {

// The suffixes that name a file to read, and those that name a file to
// write (without the dot, in lower case). A name with an output suffix is an
// output: the second of exactly two arguments (IN OUT) or -o's value, never
// one input among several unless it names an input too.
extern const QStringList kInputSuffixes;
extern const QStringList kOutputSuffixes;

// "fnt", "shx", "shp"; "FNT", "SHX", "SHP".
QString suffixOf(Format format);
QString nameOf(Format format);
// A failed task's words, from its record: "Failed to read SHX file: the
// shape table runs past the end of the file (...)", "Failed to write SHP
// file: permission denied".
QString failureText(const Task &task);
// The format a suffix ("shx", any case) or a name's suffix says; `otherwise`
// when it says none.
Format formatNamed(const QString &suffix, Format otherwise);
Format formatOf(const QString &path, Format otherwise);
// What an input is read as to become `to`: an SHX file is compiled from SHP,
// an SHP file decompiled from SHX, and an FNT file made from either, by the
// input's suffix (SHX when it has neither, so that it fails as one).
Format sourceFormat(const QString &input, Format to);

// The tasks for the inputs that `paths` name or hold (below them with
// `recursive`), in their order. font.shx becomes font.fnt (or font.shp:
// `to`) beside itself or, with a destination, in it; with `recursive` below
// it as below its folder argument. Folders are searched for the files that
// can become `to`; a file named that is in that format already is skipped.
// An output that is an input's file is refused; of an SHX font and its SHP
// source side by side the font is converted, and other inputs that would
// write one file are all refused. Nothing is written.
std::vector<Task> planTasks(const QStringList &paths, const QString &destination, bool recursive,
                            Format to = Format::Fnt);

// -n and -u skip outputs; the folders a mirrored tree needs are made.
void prepareOutputs(std::vector<Task> &tasks, Overwrite overwrite);

// -n and -u: whether the existing output stays as it is, and why.
QString reasonToKeep(const Task &task, Overwrite overwrite);

// The destination folder made where missing; why not on failure ("cannot
// create the output folder X: a part of the path is not a folder"), else
// empty.
QString makeOutputFolder(const QString &destination);

} // namespace cli::convert
