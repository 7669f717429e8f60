// Opening files: one rule for every program, and reasons in words.
#include "io/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace io {

QString reasonForErrno(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("no such file");
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied");
    case ENOSPC:
        return QStringLiteral("no space left on device");
    case ENAMETOOLONG:
        return QStringLiteral("file name too long");
    case EROFS:
        return QStringLiteral("read-only file system");
    case ENOTDIR:
        return QStringLiteral("a part of the path is not a folder");
    case EISDIR:
        return QStringLiteral("is a folder");
    case ELOOP:
        return QStringLiteral("too many levels of links");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("disk quota exceeded");
#endif
    case EFBIG:
        return QStringLiteral("file too large");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("too many open files");
    case EIO:
        return QStringLiteral("input/output error");
    default:
        break;
    }
    return QString::fromLocal8Bit(std::strerror(error)).toLower();
}

namespace {

QString sizeText(qint64 bytes)
{
    return bytes == 1 ? QStringLiteral("1 byte") : QStringLiteral("%L1 bytes").arg(bytes);
}

} // namespace

#ifdef Q_OS_WIN

ReadResult readRegularFile(const QString &path, qint64 maxBytes)
{
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.reason = QStringLiteral("no such file");
        return result;
    }
    if (info.isDir()) {
        result.reason = QStringLiteral("is a folder");
        return result;
    }
    if (!info.isFile()) {
        result.reason = QStringLiteral("not a regular file");
        return result;
    }
    if (info.size() > maxBytes) {
        result.reason = QStringLiteral("too large (%1, at most %2)")
                            .arg(sizeText(info.size()), sizeText(maxBytes));
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.reason = file.error() == QFileDevice::PermissionsError
                            ? QStringLiteral("permission denied")
                            : file.errorString().toLower();
        return result;
    }
    result.bytes = file.read(maxBytes + 1);
    if (result.bytes.size() > maxBytes) {
        result.bytes.clear();
        result.reason = QStringLiteral("too large (at most %1)").arg(sizeText(maxBytes));
        return result;
    }
    result.ok = true;
    return result;
}

#else

ReadResult readRegularFile(const QString &path, qint64 maxBytes)
{
    ReadResult result;
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) {
        result.reason = QStringLiteral("no such file");
        return result;
    }
    // O_NONBLOCK: a FIFO put in place after any check still does not block
    // the open; it is refused below by fstat.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.reason = reasonForErrno(errno);
        return result;
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0) {
        result.reason = reasonForErrno(errno);
        ::close(fd);
        return result;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        result.reason = QStringLiteral("is a folder");
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        result.reason = QStringLiteral("not a regular file");
        return result;
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        result.reason = QStringLiteral("too large (%1, at most %2)")
                            .arg(sizeText(qint64(st.st_size)), sizeText(maxBytes));
        return result;
    }
    // Read what is there, and one byte past the limit at most to tell that
    // the file grew beyond it meanwhile.
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > maxBytes) {
                ::close(fd);
                result.reason = QStringLiteral("too large (at most %1)").arg(sizeText(maxBytes));
                return result;
            }
            bytes.resize(qMin<qint64>(maxBytes + 1, qint64(bytes.size()) + 65536));
        }
        const ssize_t got = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.reason = reasonForErrno(errno);
            ::close(fd);
            return result;
        }
        if (got == 0)
            break;
        done += got;
    }
    ::close(fd);
    bytes.truncate(done);
    result.bytes = bytes;
    result.ok = true;
    return result;
}

#endif

namespace {

void appendEscaped(QString &out, char32_t c)
{
    if (c == '\n')
        out += QLatin1String("\\n");
    else if (c == '\t')
        out += QLatin1String("\\t");
    else if (c == '\r')
        out += QLatin1String("\\r");
    else if (c < 0x100)
        out += QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
    else if (c < 0x10000)
        out += QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
    else
        out += QStringLiteral("\\U%1").arg(uint(c), 8, 16, QLatin1Char('0'));
}

} // namespace

QString printablePath(const QString &path)
{
    return printableName(QDir::toNativeSeparators(path));
}

QString printableName(const QString &name)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name.at(i).unicode();
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate();
        if (pair)
            c = QChar::surrogateToUcs4(name.at(i), name.at(i + 1));
        const QChar::Category category = QChar::category(c);
        if (c == '\\') {
#ifdef Q_OS_WIN
            out += QLatin1Char('\\'); // it separates folders
#else
            out += QLatin1String("\\\\"); // so "\x1b" typed and the byte ESC print apart
#endif
        } else if (c < 0x20 || (c >= 0x7F && c < 0xA0) || category == QChar::Separator_Line
                   || category == QChar::Separator_Paragraph || QChar::isSurrogate(c)
                   || (category == QChar::Other_Format && c != 0x200D)) {
            // Bidirectional overrides, tags and the like reorder or hide
            // what follows; a line separator breaks the line.
            appendEscaped(out, c);
        } else {
            out += pair ? QString::fromUcs4(&c, 1) : QString(name.at(i));
        }
        i += pair ? 1 : 0;
    }
    return out;
}

QString printableBytes(const QByteArray &bytes)
{
    QString out;
    for (const char c : bytes) {
        const uchar u = uchar(c);
        if (u == '\\')
            out += QLatin1String("\\\\");
        else if (u >= 0x20 && u < 0x7F)
            out += QLatin1Char(c);
        else
            appendEscaped(out, u);
    }
    return out;
}

} // namespace io
