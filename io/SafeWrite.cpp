// Safe writing: follow the target under the link rules one name at a time,
// write the file unnamed (or under a short temporary name) beside it, and
// give it its name in one step.
#include "io/SafeWrite.h"

#include "io/FileAccess.h"
#include "io/TemporaryFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <vector>

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
                            const QStringList &suffixes)
{
    Q_UNUSED(suffixes);
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

WriteResult makeFolders(const QString &path)
{
    if (path.isEmpty())
        return failed(QStringLiteral("no folder named"));
    if (QFileInfo(path).isDir() || QDir().mkpath(path))
        return {true, {}};
    // mkpath does not say why; the first part that is not a folder does.
    for (QFileInfo part(path); !part.filePath().isEmpty(); part = QFileInfo(part.path())) {
        if (part.exists() && !part.isDir())
            return failed(reasonForErrno(ENOTDIR));
        if (part.path() == part.filePath())
            break;
    }
    return failed(reasonForErrno(EACCES));
}

#else

namespace {

// As the kernel's own limit on links followed in one lookup.
constexpr int kMaxLinkHops = 40;
// Temporary names are random; a clash is retried this often.
constexpr int kNameAttempts = 100;
#ifdef O_PATH
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

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

QString shown(const QByteArray &path)
{
    return printableName(QFile::decodeName(path));
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

bool readLink(int folder, const QByteArray &name, QByteArray &text, QString &reason)
{
    text = QByteArray(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(folder, name.constData(), text.data(), size_t(text.size()));
    if (length <= 0 || length >= text.size()) {
        reason = reasonForErrno(length < 0 ? errno : length == 0 ? ENOENT : ENAMETOOLONG);
        return false;
    }
    text.truncate(length);
    return true;
}

// A path walked one name at a time from an open folder, every link followed
// by hand so that each is checked in the folder where it lies: the kernel
// would check (if at all) only the last.
class PathWalk
{
public:
    // Starts at the root for an absolute `path`, else at the current folder.
    bool start(const QByteArray &path, QString &reason)
    {
        const bool absolute = path.startsWith('/');
        m_folder = Folder(::open(absolute ? "/" : ".", kFolderFlags));
        m_where = absolute ? QByteArrayLiteral("/") : QByteArray();
        if (m_folder.fd() < 0) {
            reason = reasonForErrno(errno);
            return false;
        }
        return true;
    }

    // Enters the folders `names` in turn. With `create`, a missing one that
    // was named (not reached through a link) is made.
    bool enter(const QList<QByteArray> &names, bool create, QString &reason)
    {
        // Last first, so a link's text can take the link's place.
        std::vector<Step> todo;
        for (auto it = names.crbegin(); it != names.crend(); ++it)
            todo.push_back({*it, QByteArray()});
        int made = 0;
        while (!todo.empty()) {
            const Step step = todo.back();
            todo.pop_back();
            if (step.name.isEmpty() || step.name == ".")
                continue;
            struct stat st = {};
            if (step.name != ".."
                && ::fstatat(m_folder.fd(), step.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                const int error = errno;
                if (error == ENOENT && create && step.link.isEmpty() && made++ < kNameAttempts) {
                    if (::mkdirat(m_folder.fd(), step.name.constData(), 0777) != 0
                        && errno != EEXIST) {
                        reason = reasonForErrno(errno);
                        return false;
                    }
                    todo.push_back(step); // look again at whatever is there now
                    continue;
                }
                if (error == ENOENT)
                    reason = step.link.isEmpty()
                                 ? QStringLiteral("the output folder does not exist")
                                 : QStringLiteral("the link %1 leads nowhere").arg(shown(step.link));
                else
                    reason = reasonForErrno(error);
                return false;
            }
            if (step.name != ".." && S_ISLNK(st.st_mode)) {
                const QByteArray link = joined(step.name);
                QByteArray text;
                if (!followLink(st, step.name, reason) || !readLink(m_folder.fd(), step.name, text, reason))
                    return false;
                if (text.startsWith('/') && !start(text, reason))
                    return false;
                const QList<QByteArray> parts = text.split('/');
                for (auto it = parts.crbegin(); it != parts.crend(); ++it)
                    todo.push_back({*it, link});
                continue;
            }
            if (step.name != ".." && !S_ISDIR(st.st_mode)) {
                reason = reasonForErrno(ENOTDIR);
                return false;
            }
            // O_NOFOLLOW: a link swapped in since the look is refused.
            Folder next(::openat(m_folder.fd(), step.name.constData(), kFolderFlags | O_NOFOLLOW));
            if (next.fd() < 0) {
                reason = reasonForErrno(errno);
                return false;
            }
            m_folder = std::move(next);
            m_where = joined(step.name);
        }
        return true;
    }

    // Counts a link about to be followed and applies the shared-folder rule
    // to it; `name` lies in the current folder.
    bool followLink(const struct stat &link, const QByteArray &name, QString &reason)
    {
        if (++m_hops > kMaxLinkHops) {
            reason = reasonForErrno(ELOOP);
            return false;
        }
        if (!mayFollowLink(m_folder.fd(), link)) {
            reason = QStringLiteral("%1 is a link in a shared folder that you do not own")
                         .arg(shown(joined(name)));
            return false;
        }
        return true;
    }

    int fd() const { return m_folder.fd(); }
    Folder take() { return std::move(m_folder); }

private:
    struct Step
    {
        QByteArray name;
        QByteArray link; // the link whose text it comes from; empty when named
    };

    QByteArray joined(const QByteArray &name) const
    {
        return m_where.isEmpty() ? name : m_where.endsWith('/') ? m_where + name : m_where + '/' + name;
    }

    Folder m_folder;
    QByteArray m_where; // the current folder as a path, for messages
    int m_hops = 0;
};

// Where the write really goes: a name in an open folder, and what is there.
struct Destination
{
    Folder folder;
    QByteArray name;
    bool exists = false;
    struct stat existing = {};
};

// `path` split at its last slash: the folders, and the last name.
QList<QByteArray> folderNames(const QByteArray &path, QByteArray &name)
{
    QList<QByteArray> names = path.split('/');
    name = names.takeLast();
    return names;
}

// Follows the path to the name the file gets, each link on the way checked
// where it lies. `followedLink` tells whether the last name was a link.
bool resolve(const QByteArray &path, Destination &out, bool &followedLink, QString &reason)
{
    followedLink = false;
    PathWalk walk;
    QByteArray name;
    if (!walk.start(path, reason) || !walk.enter(folderNames(path, name), false, reason))
        return false;
    for (;;) {
        if (name.isEmpty() || name == "." || name == "..") {
            reason = QStringLiteral("is a folder");
            return false;
        }
        struct stat st = {};
        if (::fstatat(walk.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                reason = reasonForErrno(errno);
                return false;
            }
            out.exists = false;
            break;
        }
        if (!S_ISLNK(st.st_mode)) {
            out.exists = true;
            out.existing = st;
            break;
        }
        QByteArray text;
        if (!walk.followLink(st, name, reason)) {
            if (reason != reasonForErrno(ELOOP))
                reason = QStringLiteral("the output is a link in a shared folder that you do not own");
            return false;
        }
        if (!readLink(walk.fd(), name, text, reason))
            return false;
        followedLink = true;
        if ((text.startsWith('/') && !walk.start(text, reason))
            || !walk.enter(folderNames(text, name), false, reason))
            return false;
    }
    out.folder = walk.take();
    out.name = name;
    return true;
}

bool hasSuffix(const QByteArray &name, const QStringList &suffixes)
{
    const QString suffix = QFileInfo(QFile::decodeName(name)).suffix();
    for (const QString &allowed : suffixes) {
        if (suffix.compare(allowed, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// "an .fnt file", "a .png file", "an .shx or .shp file": the article as the
// suffix's first letter is spoken.
QString kindOfFile(const QStringList &suffixes)
{
    const QString first = suffixes.value(0);
    const bool vowel = !first.isEmpty()
                       && QStringLiteral("aefhilmnorsx").contains(first.at(0).toLower());
    return QStringLiteral("%1 .%2 file")
        .arg(vowel ? QStringLiteral("an") : QStringLiteral("a"), suffixes.join(QStringLiteral(" or .")));
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

// A file-size limit (ulimit -f) would end the whole process with SIGXFSZ in
// the middle of a write; ignored, the write fails with EFBIG and only that
// file fails, with "file too large". A program's own handler is kept.
void ignoreFileSizeSignal()
{
    static const bool once = [] {
        struct sigaction old = {};
        if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
            ::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    Q_UNUSED(once);
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

// The file's owner, mode and bytes, once the process is known not to be
// interrupted, and flushed to disk where there is an old file to protect.
bool fillFile(int fd, const Destination &destination, const QByteArray &bytes, QString &reason)
{
    if (detail::interrupted()) {
        reason = interruptedReason();
        return false;
    }
    if (!setOwnerAndMode(fd, destination, reason) || !writeAll(fd, bytes, reason))
        return false;
    if (destination.exists && ::fsync(fd) != 0) {
        reason = reasonForErrno(errno);
        return false;
    }
    return true;
}

// Gives the whole file a short temporary name beside the destination and
// renames that over it. `place(name)` makes the name (creates the file, or
// links an unnamed one) and returns false with errno, or with `reason` set
// where it knows better; the name is registered before it exists, so an
// interruption cannot miss it.
template <typename Place>
bool renameIntoPlace(const Destination &destination, Place place, QString &reason)
{
    const int folder = destination.folder.fd();
    QByteArray name;
    int slot = -1;
    for (int attempt = 1;; ++attempt) {
        name = temporaryName();
        slot = detail::registerTemporary(folder, name.constData());
        reason.clear();
        if (place(name))
            break;
        const int error = errno;
        detail::releaseTemporary(slot);
        if (!reason.isEmpty())
            return false;
        if (error != EEXIST || attempt == kNameAttempts) {
            reason = reasonForErrno(error);
            return false;
        }
    }
    bool ok = !detail::interrupted()
              && ::renameat(folder, name.constData(), folder, destination.name.constData()) == 0;
    if (!ok) {
        reason = detail::interrupted() ? interruptedReason() : reasonForErrno(errno);
        ::unlinkat(folder, name.constData(), 0);
    }
    detail::releaseTemporary(slot);
    return ok;
}

#ifdef O_TMPFILE
// The file is written unnamed and named once it is whole: a new file is
// linked in as its name, a replacement under a temporary name renamed over
// the old file at once. Nothing is left behind even if the process is
// killed while writing, a new file changes the folder once instead of
// twice, and the folder's lock is not held while the file system finds the
// file a place. False with `fallBack` set where the file system cannot do
// it, /proc is missing, or a file took the name meanwhile: the named way
// then does what it always did.
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
    char self[40];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    const auto linkAs = [&](const QByteArray &name) {
        return ::linkat(AT_FDCWD, self, folder, name.constData(), AT_SYMLINK_FOLLOW) == 0;
    };
    bool ok = fillFile(fd, destination, bytes, reason);
    if (ok && detail::interrupted()) {
        reason = interruptedReason();
        ok = false;
    }
    if (ok && !destination.exists && !linkAs(destination.name)) {
        fallBack = true;
        ok = false;
    }
    if (ok && destination.exists) {
        bool linked = false;
        ok = renameIntoPlace(
            destination, [&](const QByteArray &name) { return linked = linkAs(name); }, reason);
        fallBack = !linked;
        // The data are on disk already (flushed): closing cannot fail for them.
        ::close(fd);
        return ok;
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

// A named temporary file, filled and renamed into place.
bool writeAndRename(const Destination &destination, const QByteArray &bytes, QString &reason)
{
    const int folder = destination.folder.fd();
    const auto createAs = [&](const QByteArray &name) {
        const int fd = ::openat(folder, name.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                                0600);
        if (fd < 0)
            return false;
        bool filled = fillFile(fd, destination, bytes, reason);
        if (::close(fd) != 0 && filled) {
            reason = reasonForErrno(errno);
            filled = false;
        }
        if (!filled)
            ::unlinkat(folder, name.constData(), 0);
        return filled;
    };
    return renameIntoPlace(destination, createAs, reason);
}

} // namespace

WriteResult writeFileSafely(const QString &target, const QByteArray &bytes, const QString &input,
                            const QStringList &suffixes)
{
    const QByteArray path = QFile::encodeName(target);
    if (path.isEmpty())
        return failed(QStringLiteral("no output file named"));
    ignoreFileSizeSignal();

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
    if (followedLink && !hasSuffix(destination.name, suffixes))
        return failed(QStringLiteral("the output is a link to a file that is not %1")
                          .arg(kindOfFile(suffixes)));
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
    bool fallBack = false;
    if (writeUnnamed(destination, bytes, reason, fallBack))
        return {true, {}};
    if (!fallBack)
        return failed(reason);
#endif
    if (!writeAndRename(destination, bytes, reason))
        return failed(reason);
    return {true, {}};
}

WriteResult makeFolders(const QString &path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.isEmpty())
        return failed(QStringLiteral("no folder named"));
    PathWalk walk;
    QString reason;
    if (!walk.start(bytes, reason) || !walk.enter(bytes.split('/'), true, reason))
        return failed(reason);
    return {true, {}};
}

#endif

} // namespace io
