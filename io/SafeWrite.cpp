// Safe writing: resolve the target under the link rules, write a short-named
// temporary file beside it, and rename that into place.
#include "io/SafeWrite.h"

#include "io/FileAccess.h"
#include "io/TemporaryFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_WIN
#include <QDir>
#include <QSaveFile>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace io {

namespace {

QString interruptedReason()
{
    return QStringLiteral("interrupted");
}

WriteResult failed(const QString &reason)
{
    return {false, reason};
}

} // namespace

#ifdef Q_OS_WIN

// Windows has neither the link nor the owner rules; QSaveFile writes beside
// the target and moves it into place.
WriteResult writeFileSafely(const QString &target, const QByteArray &bytes, const QString &input,
                            const QString &suffix)
{
    Q_UNUSED(suffix);
    const QFileInfo info(target);
    if (!info.absoluteDir().exists())
        return failed(QStringLiteral("the output folder does not exist"));
    if (info.isDir())
        return failed(QStringLiteral("is a folder"));
    if (info.exists() && !input.isEmpty()
        && info.canonicalFilePath().compare(QFileInfo(input).canonicalFilePath(),
                                            Qt::CaseInsensitive) == 0)
        return failed(QStringLiteral("would overwrite the input file"));
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.error() == QFileDevice::PermissionsError
                          ? QStringLiteral("permission denied")
                          : file.errorString().toLower());
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString().toLower();
        file.cancelWriting();
        return failed(reason);
    }
    if (detail::interrupted()) {
        file.cancelWriting();
        return failed(interruptedReason());
    }
    if (!file.commit())
        return failed(file.errorString().toLower());
    return {true, {}};
}

#else

namespace {

QString notSuffixReason(const QString &suffix)
{
    return QStringLiteral("the output is a link to a file that is not an .%1 file").arg(suffix);
}

bool hasSuffix(const QString &path, const QString &suffix)
{
    return QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) == 0;
}

// As the kernel's own limit on links followed in one lookup.
constexpr int kMaxLinkHops = 40;
// Temporary names are random; a clash is retried this often.
constexpr int kNameAttempts = 100;

// An open folder descriptor, closed when it goes.
class Folder
{
public:
    Folder() = default;
    explicit Folder(int fd) : m_fd(fd) {}
    ~Folder() { reset(); }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    Folder(Folder &&other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Folder &operator=(Folder &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
};

// Where the write really goes: a name in an open folder, and what is there.
struct Destination
{
    Folder folder;
    QByteArray name;
    bool exists = false;
    struct stat existing = {};
};

void splitPath(const QByteArray &path, QByteArray &folder, QByteArray &name)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        folder = QByteArrayLiteral(".");
        name = path;
        return;
    }
    folder = slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
    name = path.mid(slash + 1);
}

// The kernel's rule for protected links: in a sticky world-writable folder
// (/tmp) a link is followed only by its owner, or when the folder's owner
// also owns the link; anyone can plant a link there.
bool mayFollowLink(int folder, const struct stat &link)
{
    struct stat folderStat = {};
    if (::fstat(folder, &folderStat) != 0)
        return false;
    const bool shared = (folderStat.st_mode & S_ISVTX) && (folderStat.st_mode & S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folderStat.st_uid;
}

// Follows links in the last part of `path` one at a time, so each one is
// checked where it lies; links in the folder part are the kernel's to
// check. Opens the folder that holds the final name.
bool resolve(const QByteArray &path, Destination &out, bool &followedLink, QString &reason)
{
    QByteArray current = path;
    followedLink = false;
    for (int hop = 0;; ++hop) {
        QByteArray folderPath;
        QByteArray name;
        splitPath(current, folderPath, name);
        if (name.isEmpty() || name == "." || name == "..") {
            reason = QStringLiteral("is a folder");
            return false;
        }
#ifdef O_PATH
        const int openFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
        const int openFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
        Folder folder(::open(folderPath.constData(), openFlags));
        if (folder.fd() < 0) {
            reason = errno == ENOENT ? QStringLiteral("the output folder does not exist")
                                     : reasonForErrno(errno);
            return false;
        }
        struct stat st = {};
        if (::fstatat(folder.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                reason = reasonForErrno(errno);
                return false;
            }
            out.folder = std::move(folder);
            out.name = name;
            out.exists = false;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            out.folder = std::move(folder);
            out.name = name;
            out.exists = true;
            out.existing = st;
            return true;
        }
        if (hop == kMaxLinkHops) {
            reason = reasonForErrno(ELOOP);
            return false;
        }
        if (!mayFollowLink(folder.fd(), st)) {
            reason = QStringLiteral("the output is a link in a shared folder that you do not own");
            return false;
        }
        QByteArray text(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlinkat(folder.fd(), name.constData(), text.data(),
                                            size_t(text.size()));
        if (length < 0) {
            reason = reasonForErrno(errno);
            return false;
        }
        if (length == 0 || length >= text.size()) {
            reason = reasonForErrno(length == 0 ? ENOENT : ENAMETOOLONG);
            return false;
        }
        text.truncate(length);
        current = text.startsWith('/') ? text : folderPath + '/' + text;
        followedLink = true;
    }
}

// Read once: umask() can only be read by setting it, which would race
// with other threads creating files.
mode_t processUmask()
{
    static const mode_t mask = [] {
        const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            char buffer[8192];
            const ssize_t got = ::read(fd, buffer, sizeof buffer - 1);
            ::close(fd);
            if (got > 0) {
                const QByteArray status(buffer, got);
                const qsizetype at = status.indexOf("\nUmask:");
                if (at >= 0) {
                    bool ok = false;
                    const uint value = status.mid(at + 7, status.indexOf('\n', at + 1) - at - 7)
                                           .trimmed()
                                           .toUInt(&ok, 8);
                    if (ok)
                        return mode_t(value);
                }
            }
        }
        const mode_t old = ::umask(022);
        ::umask(old);
        return old;
    }();
    return mask;
}

QByteArray temporaryName()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = QByteArrayLiteral(".varnel-");
    for (int i = 0; i < 8; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name;
}

// The temporary file's owner and mode: the replaced file's where we may
// set them, else a new file's. Owner first: changing it clears mode bits.
bool setOwnerAndMode(int fd, const Destination &destination, QString &reason)
{
    mode_t mode = 0666 & ~processUmask();
    if (destination.exists) {
        const struct stat &old = destination.existing;
        const uid_t user = ::geteuid() == 0 ? old.st_uid : uid_t(-1);
        // Not ours to give away otherwise; a group we are not in is refused
        // too. Either way the file is still written.
        if (user != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(fd, user, old.st_gid);
        // Permission bits only: set-user-ID and the like stay off a font.
        mode = old.st_mode & 0777;
    }
    if (::fchmod(fd, mode) != 0) {
        reason = reasonForErrno(errno);
        return false;
    }
    return true;
}

bool writeAll(int fd, const QByteArray &bytes, QString &reason)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, size_t(qMin<qint64>(left, 1 << 30)));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            reason = reasonForErrno(done < 0 ? errno : ENOSPC);
            return false;
        }
        data += done;
        left -= done;
    }
    return true;
}

// Creates the temporary file beside the destination, registered before it
// exists so an interruption cannot miss it.
int createTemporary(int folder, QByteArray &name, int &slot, QString &reason)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = temporaryName();
        slot = detail::registerTemporary(folder, name.constData());
        const int fd = ::openat(folder, name.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                                0600);
        if (fd >= 0)
            return fd;
        const int error = errno;
        detail::releaseTemporary(slot);
        slot = -1;
        if (error != EEXIST) {
            reason = reasonForErrno(error);
            return -1;
        }
    }
    reason = reasonForErrno(EEXIST);
    return -1;
}

// The file's owner, mode and bytes, once the process is known not to be
// interrupted, and flushed to disk where `flush` is set.
bool fillFile(int fd, const Destination &destination, const QByteArray &bytes, bool flush,
              QString &reason)
{
    if (detail::interrupted()) {
        reason = interruptedReason();
        return false;
    }
    if (!setOwnerAndMode(fd, destination, reason) || !writeAll(fd, bytes, reason))
        return false;
    if (flush && ::fsync(fd) != 0) {
        reason = reasonForErrno(errno);
        return false;
    }
    return true;
}

#ifdef O_TMPFILE
// A new file is written unnamed and linked in once it is whole: the folder
// changes once instead of twice, its lock is not held while the file system
// finds the file a place, and an interruption leaves nothing behind. False
// with `fallBack` set where the file system cannot do it or a file took the
// name meanwhile: the named way then does what it always did.
bool writeUnnamed(const Destination &destination, const QByteArray &bytes, QString &reason,
                  bool &fallBack)
{
    fallBack = false;
    const int folder = destination.folder.fd();
    const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        fallBack = true;
        return false;
    }
    bool ok = fillFile(fd, destination, bytes, false, reason);
    if (ok && detail::interrupted()) {
        reason = interruptedReason();
        ok = false;
    }
    if (ok) {
        char self[40];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        if (::linkat(AT_FDCWD, self, folder, destination.name.constData(), AT_SYMLINK_FOLLOW)
            != 0) {
            fallBack = true;
            ok = false;
        }
    }
    // Written data that fails to reach the disk shows here, as for the
    // named file; the link is then taken back.
    if (::close(fd) != 0 && ok) {
        reason = reasonForErrno(errno);
        ::unlinkat(folder, destination.name.constData(), 0);
        ok = false;
    }
    return ok;
}
#endif

// Writes, flushes where there is old content to protect, renames.
bool writeAndRename(const Destination &destination, const QByteArray &bytes, QString &reason)
{
    const int folder = destination.folder.fd();
    QByteArray name;
    int slot = -1;
    int fd = createTemporary(folder, name, slot, reason);
    if (fd < 0)
        return false;
    bool ok = fillFile(fd, destination, bytes, destination.exists, reason);
    if (::close(fd) != 0 && ok) {
        reason = reasonForErrno(errno);
        ok = false;
    }
    if (ok && detail::interrupted()) {
        reason = interruptedReason();
        ok = false;
    }
    if (ok && ::renameat(folder, name.constData(), folder, destination.name.constData()) != 0) {
        reason = reasonForErrno(errno);
        ok = false;
    }
    if (!ok)
        ::unlinkat(folder, name.constData(), 0);
    detail::releaseTemporary(slot);
    return ok;
}

} // namespace

WriteResult writeFileSafely(const QString &target, const QByteArray &bytes, const QString &input,
                            const QString &suffix)
{
    const QByteArray path = QFile::encodeName(target);
    if (path.isEmpty())
        return failed(QStringLiteral("no output file named"));

    Destination destination;
    bool followedLink = false;
    QString reason;
    if (!resolve(path, destination, followedLink, reason))
        return failed(reason);

    struct stat inputStat = {};
    if (destination.exists && !input.isEmpty()
        && ::stat(QFile::encodeName(input).constData(), &inputStat) == 0
        && inputStat.st_dev == destination.existing.st_dev
        && inputStat.st_ino == destination.existing.st_ino)
        return failed(QStringLiteral("would overwrite the input file"));
    if (followedLink && !hasSuffix(QFile::decodeName(destination.name), suffix))
        return failed(notSuffixReason(suffix));
    if (destination.exists) {
        if (S_ISDIR(destination.existing.st_mode))
            return failed(QStringLiteral("is a folder"));
        if (!S_ISREG(destination.existing.st_mode))
            return failed(QStringLiteral("not a regular file"));
        // A write-protected file says its owner wants it kept; only root
        // (to whom it never says so) replaces it.
        if (::faccessat(destination.folder.fd(), destination.name.constData(), W_OK, AT_EACCESS)
            != 0)
            return failed(reasonForErrno(errno));
    }
#ifdef O_TMPFILE
    if (!destination.exists) {
        bool fallBack = false;
        if (writeUnnamed(destination, bytes, reason, fallBack))
            return {true, {}};
        if (!fallBack)
            return failed(reason);
    }
#endif
    if (!writeAndRename(destination, bytes, reason))
        return failed(reason);
    return {true, {}};
}

#endif

} // namespace io
