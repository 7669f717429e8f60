// The one way every program here opens files: only regular files are read
// (a FIFO would block, a device never ends), never more than a limit, and a
// failure comes back as a reason a person can act on.
#pragma once

#include <QByteArray>
#include <QString>

namespace io {

struct ReadResult
{
    bool ok = false;
    QByteArray bytes;
    QString reason; // empty when ok
};

// Reads the whole of `path` when it is a regular file of at most `maxBytes`.
// Links are followed; what they lead to must be a regular file. Never blocks
// on a FIFO or a device, even one swapped in after the check.
ReadResult readRegularFile(const QString &path, qint64 maxBytes);

// The reason for the last failed system call on a file, in words
// ("no such file", "permission denied", "no space left on device", ...).
QString reasonForErrno(int error);

// `name` with control characters, and bytes that are not valid text, shown
// escaped ("\x1b", "\n"), so a file name can never drive the terminal.
QString printableName(const QString &name);

} // namespace io
