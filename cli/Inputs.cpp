// Folder scans list what they cannot use instead of skipping it silently.
#include "Inputs.h"

#include "io/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <utility>

#ifdef Q_OS_WIN
#include <QDirIterator>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace cli {

namespace {

const QString kNoSuchFile = QStringLiteral("no such file or directory");

QString noFilesReason(const InputScan &scan)
{
    QStringList names;
    for (const QString &suffix : scan.suffixes)
        names << suffix.toUpper();
    // "SHX or FNT", "SHX, SHP or FNT"
    const QString last = names.takeLast();
    const QString kinds = names.isEmpty() ? last
                                          : names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
    return scan.recursive ? QStringLiteral("no %1 files in this folder or below").arg(kinds)
                          : QStringLiteral("no %1 files in this folder").arg(kinds);
}

Input failedInput(const QString &path, const QString &relative, const QString &reason)
{
    return {path, relative, io::printableName(path), reason};
}

Input failedFolder(const QString &path, const QString &relative, const QString &reason)
{
    Input input = failedInput(path, relative, reason);
    input.folder = true;
    return input;
}

// A folder argument without a font, and whether -r would find some.
Input folderWithoutFonts(const QString &path, const InputScan &scan, const QList<Input> &below)
{
    const bool fontsBelow = std::any_of(below.cbegin(), below.cend(),
                                        [](const Input &input) { return !input.failed(); });
    Input input = failedFolder(path, QString(),
                               fontsBelow ? noFilesReason(scan) + QStringLiteral(", only in the folders below it: add -r")
                                          : noFilesReason(scan));
    input.noFonts = true;
    return input;
}

#ifndef Q_OS_WIN

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool hasSuffix(const QString &name, const QStringList &suffixes)
{
    return std::any_of(suffixes.cbegin(), suffixes.cend(), [&name](const QString &suffix) {
        return name.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive)
               && name.size() > suffix.size() + 1;
    });
}

using FileKey = std::pair<quint64, quint64>; // device, inode

class Scanner
{
public:
    Scanner(const InputScan &scan, QList<Input> &inputs) : m_scan(scan), m_inputs(inputs) {}

    void argument(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        struct stat st = {};
        if (name.isEmpty() || ::stat(name.constData(), &st) != 0) {
            const int error = errno;
            m_inputs.append(failedInput(path, QFileInfo(path).fileName(),
                                        error == ENOENT ? linkOrMissing(name)
                                                        : io::reasonForErrno(error)));
            return;
        }
        if (!S_ISDIR(st.st_mode)) {
            file(path, QFileInfo(path).fileName(), st);
            return;
        }
        if (m_folderArguments.contains(key(st)))
            return;
        m_folderArguments.insert(key(st));
        QList<Input> found;
        QSet<FileKey> folders{key(st)};
        folder(path, name, QString(), found, folders);
        if (found.isEmpty()) {
            QList<Input> below;
            if (!m_scan.recursive) {
                const InputScan deeper{m_scan.suffixes, true};
                Scanner(deeper, below).argument(path);
            }
            m_inputs.append(folderWithoutFonts(path, m_scan, below));
            return;
        }
        std::sort(found.begin(), found.end(),
                  [](const Input &a, const Input &b) { return a.path < b.path; });
        m_inputs.append(found);
    }

private:
    static FileKey key(const struct stat &st) { return {quint64(st.st_dev), quint64(st.st_ino)}; }

    static QString linkOrMissing(const QByteArray &name)
    {
        struct stat st = {};
        if (!name.isEmpty() && ::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode))
            return QStringLiteral("the link leads nowhere");
        return kNoSuchFile;
    }

    void file(const QString &path, const QString &relative, const struct stat &st,
              QList<Input> *into = nullptr)
    {
        QList<Input> &list = into ? *into : m_inputs;
        if (!S_ISREG(st.st_mode)) {
            list.append(failedInput(path, relative, QStringLiteral("not a regular file")));
            return;
        }
        // A name given twice is converted once; another name for the same
        // file (a link, a hard link) is a font of its own, as cp sees it.
        const QString seenKey = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (m_seen.contains(seenKey))
            return;
        m_seen.insert(seenKey);
        list.append({path, relative, io::printableName(path), QString()});
    }

    void folder(const QString &path, const QByteArray &name, const QString &relative,
                QList<Input> &found, QSet<FileKey> &folders)
    {
        DIR *dir = ::opendir(name.constData());
        if (!dir) {
            found.append(failedFolder(path, relative, io::reasonForErrno(errno)));
            return;
        }
        QList<QByteArray> entries;
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray entryName(entry->d_name);
            if (entryName != "." && entryName != "..")
                entries.append(entryName);
        }
        ::closedir(dir);
        std::sort(entries.begin(), entries.end());

        for (const QByteArray &entryName : std::as_const(entries)) {
            const QByteArray entryPath = name.endsWith('/') ? name + entryName : name + '/' + entryName;
            const QString decoded = QFile::decodeName(entryName);
            const QString entryRelative = relative.isEmpty() ? decoded : relative + QLatin1Char('/') + decoded;
            const QString fullPath = joined(path, decoded);
            struct stat own = {};
            if (::lstat(entryPath.constData(), &own) != 0) {
                // Gone since the folder was read; anything else is listed.
                const int error = errno;
                if (error != ENOENT)
                    found.append(failedInput(fullPath, entryRelative,
                                             error == ENAMETOOLONG
                                                 ? QStringLiteral("the path is too long to open (%L1 bytes)")
                                                       .arg(entryPath.size())
                                                 : io::reasonForErrno(error)));
                continue;
            }
            if (S_ISDIR(own.st_mode)) {
                if (m_scan.recursive && !folders.contains(key(own))) {
                    folders.insert(key(own));
                    folder(fullPath, entryPath, entryRelative, found, folders);
                }
                continue;
            }
            if (!hasSuffix(decoded, m_scan.suffixes))
                continue;
            if (QFile::encodeName(decoded) != entryName) {
                Input input{fullPath, entryRelative, io::printableBytes(entryPath),
                            QStringLiteral("the name is not valid text in this locale's encoding")};
                input.nameIsText = false;
                found.append(input);
                continue;
            }
            struct stat st = {};
            if (::stat(entryPath.constData(), &st) != 0) {
                const int error = errno;
                found.append(failedInput(fullPath, entryRelative,
                                         error == ELOOP    ? QStringLiteral("the link loops")
                                         : error == ENOENT ? linkOrMissing(entryPath)
                                                           : io::reasonForErrno(error)));
                continue;
            }
            if (S_ISDIR(st.st_mode))
                continue; // a link to a folder
            file(fullPath, entryRelative, st, &found);
        }
    }

    const InputScan &m_scan;
    QList<Input> &m_inputs;
    QSet<QString> m_seen;
    QSet<FileKey> m_folderArguments;
};

#endif

} // namespace

#ifdef Q_OS_WIN

QList<Input> collectInputs(const QStringList &arguments, const InputScan &scan)
{
    QList<Input> inputs;
    QSet<QString> seen;
    const auto add = [&](QList<Input> &list, const QString &path, const QString &relative) {
        const QFileInfo info(path);
        const QString key = QDir::cleanPath(info.absoluteFilePath()).toCaseFolded();
        if (!info.isFile()) {
            list.append(failedInput(path, relative, QStringLiteral("not a regular file")));
        } else if (!seen.contains(key)) {
            seen.insert(key);
            list.append({path, relative, io::printableName(path), QString()});
        }
    };
    for (const QString &path : arguments) {
        const QFileInfo info(path);
        if (!info.exists()) {
            inputs.append(failedInput(path, info.fileName(), kNoSuchFile));
            continue;
        }
        if (!info.isDir()) {
            add(inputs, path, info.fileName());
            continue;
        }
        QList<Input> found;
        // relativeFilePath() hands a relative name back unchanged: compare
        // absolute paths, or -r would mirror the folder argument itself.
        const QDir root(info.absoluteFilePath());
        QStringList patterns;
        for (const QString &suffix : scan.suffixes)
            patterns << QStringLiteral("*.") + suffix;
        QDirIterator it(path, patterns, QDir::Files | QDir::System,
                        scan.recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
        while (it.hasNext()) {
            const QString file = it.next();
            add(found, file, root.relativeFilePath(QFileInfo(file).absoluteFilePath()));
        }
        if (found.isEmpty()) {
            inputs.append(folderWithoutFonts(path, scan,
                                             scan.recursive ? QList<Input>()
                                                            : collectInputs({path}, {scan.suffixes, true})));
            continue;
        }
        std::sort(found.begin(), found.end(),
                  [](const Input &a, const Input &b) { return a.path < b.path; });
        inputs.append(found);
    }
    return inputs;
}

#else

QList<Input> collectInputs(const QStringList &arguments, const InputScan &scan)
{
    QList<Input> inputs;
    Scanner scanner(scan, inputs);
    for (const QString &path : arguments)
        scanner.argument(path);
    return inputs;
}

#endif

bool hasSuffixOf(const QString &path, const QStringList &suffixes)
{
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

} // namespace cli
