// Writing a file so that nothing is lost and nothing is written where the
// user did not mean: every file the programs write (FNT files, glyph sheets,
// SHX and SHP files) goes through writeFileSafely().
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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
// - `target` may be a link only when the file it leads to ends in one of
//   `suffixes` ("fnt", "png", ...; any case): a link is followed only to a
//   file of the kind being written;
// - every link on the way, in the folder part as in the last name, is
//   followed by hand: in a sticky world-writable folder (/tmp) only a link
//   that belongs to us or to the folder's owner is followed, whatever the
//   kernel's own protection is set to;
// - only a regular file is replaced: a folder, FIFO or device is refused;
// - a replaced file keeps its permission bits and, where the process may set
//   them, its owner and group; a new file gets 0666 less the umask;
// - the file is written without a name (Linux's O_TMPFILE) and named once it
//   is whole, so even a killed process leaves nothing; where that is not
//   available, under a short temporary name registered with
//   io/TemporaryFiles.h, removed on failure or interruption;
// - a replaced file is flushed to disk before the rename, so a crash leaves
//   the old or the new content; a new file has no old content to protect
//   and is not flushed;
// - after an interruption nothing is renamed ("interrupted").
// The reason of a failure is in words ("the output folder does not exist",
// "permission denied", "file too large", ...).
WriteResult writeFileSafely(const QString &target, const QByteArray &bytes, const QString &input,
                            const QStringList &suffixes);

// Makes the folder `path` and the folders above it that are missing, under
// the same rules for links on the way; a link that leads nowhere is not
// made into a folder. The reason of a failure is in words ("a part of the
// path is not a folder", "read-only file system", ...).
WriteResult makeFolders(const QString &path);

} // namespace io
