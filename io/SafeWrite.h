// Writing a file so that nothing is lost and nothing is written where the
// user did not mean: a short-named temporary file beside the target, every
// write checked, then one rename into place.
#pragma once

#include <QByteArray>
#include <QString>

namespace io {

struct WriteResult
{
    bool ok = false;
    QString reason; // empty when ok
};

// Writes `bytes` as `target`, replacing an existing regular file in one step
// (the old content stays whole if anything fails), with these rules:
// - never onto `input` (same file by device and inode: also a link or a hard
//   link to it): "would overwrite the input file";
// - `target` may be a link only when the file it leads to ends in
//   `.<suffix>` (any case); in a sticky world-writable folder the link must
//   belong to us or to the folder's owner;
// - a replaced file keeps its permission bits and, where the process may set
//   them, its owner and group; a new file gets 0666 less the umask;
// - a replaced file is flushed to disk before the rename, so a crash leaves
//   the old or the new content; a new file has no old content to protect
//   and is not flushed;
// - the temporary file is registered with io/TemporaryFiles.h and never
//   left behind; after an interruption nothing is renamed ("interrupted").
// The reason of a failure is in words ("the output folder does not exist",
// "permission denied", "no space left on device", ...).
WriteResult writeFileSafely(const QString &target, const QByteArray &bytes, const QString &input,
                            const QString &suffix);

} // namespace io
