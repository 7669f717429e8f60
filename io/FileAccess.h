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

// The most a font file may hold for any command to read it: the largest real
// font we know has 1.2 MB (1.5 MB as FNT), so this leaves ten times that for
// fonts we have not seen, and it is the bound FNT output has. A conversion
// thread then holds some tens of megabytes at most, so a batch on every core
// fits in a small machine's memory, and a huge file is refused by its size
// before a byte of it is read.
constexpr qint64 kMaxFontFileBytes = qint64(16) << 20;

// Reads the whole of `path` when it is a regular file of at most `maxBytes`.
// Links are followed; what they lead to must be a regular file. Never blocks
// on a FIFO or a device, even one swapped in after the check. A file that
// grows past `maxBytes` while it is read is refused too.
ReadResult readRegularFile(const QString &path, qint64 maxBytes);

// The reason for the last failed system call on a file, in words
// ("no such file", "permission denied", "no space left on device", ...).
QString reasonForErrno(int error);

// `name` with control characters, line and paragraph separators and format
// characters (bidirectional overrides, tags) escaped ("\x1b", "\n", "\u2028",
// "\U000e0041") and a backslash doubled, so a name can never drive the
// terminal and two different names never print alike. On Windows a
// backslash separates folders and stays as it is.
QString printableName(const QString &name);
// A path as the system writes it (Windows' backslashes), printed as above.
QString printablePath(const QString &path);

// Bytes of no known encoding, such as a font's header text or a file name
// that is not valid text: printable ASCII as it is, a backslash doubled,
// every other byte as \xNN.
QString printableBytes(const QByteArray &bytes);

} // namespace io
