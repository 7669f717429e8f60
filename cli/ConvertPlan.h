// Planning a batch: which file each input becomes, which inputs are refused
// because they would write one file, and which outputs stay as they are.
#pragma once

#include "ConvertTask.h"

#include <vector>

namespace cli::convert {

// Whether a path names an FNT file, by its suffix in any case.
bool isFntName(const QString &path);

// The tasks for the inputs that `paths` name or hold (below them with
// `recursive`), in their order. font.shx becomes font.fnt beside itself or,
// with a destination, in it; with `recursive` below it as below its folder
// argument. Inputs that would write one file are both refused; -n and -u
// skip outputs, and the folders a mirrored tree needs are made.
std::vector<Task> planTasks(const QStringList &paths, const QString &destination, bool recursive,
                            Overwrite overwrite);

// -n and -u: whether the existing output stays as it is, and why.
QString reasonToKeep(const Task &task, Overwrite overwrite);

// The destination folder made where missing; says so on failure.
bool makeOutputFolder(const QString &destination);

} // namespace cli::convert
