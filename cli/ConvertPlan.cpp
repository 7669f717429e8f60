// Planning a batch: outputs beside the inputs or in a folder, refused
// collisions, -n and -u, and the folders a mirrored tree needs.
#include "ConvertPlan.h"
#include "Inputs.h"

#include "io/FileAccess.h"
#include "io/SafeWrite.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace cli::convert {

namespace {

// The files that can become `to`, which folders are searched for.
QStringList sourceSuffixes(Format to)
{
    if (to == Format::Fnt)
        return kInputSuffixes;
    return {suffixOf(to == Format::Shx ? Format::Shp : Format::Shx)};
}

// font.shx becomes font.fnt beside the input or, with a destination, in it;
// with -r below it as below the folder argument.
void planOutputs(std::vector<Task> &tasks, const QString &destination, bool mirror)
{
    for (Task &task : tasks) {
        if (task.state != State::Pending)
            continue;
        const QFileInfo info(task.input);
        const QString name = info.completeBaseName() + QLatin1Char('.') + suffixOf(task.to);
        if (destination.isEmpty()) {
            // "font.shx" becomes "font.fnt", as typed, not "./font.fnt".
            task.output = info.fileName() == task.input ? name : info.dir().filePath(name);
            continue;
        }
        const QString below = mirror ? QFileInfo(task.relative).path() : QString();
        task.output = below.isEmpty() || below == QLatin1String(".")
                          ? QDir(destination).filePath(name)
                          : QDir(destination).filePath(below + QLatin1Char('/') + name);
    }
}

// Whether names in `folder` that differ only in case name one file: the
// folder found again under its name with the case of its letters swapped.
bool ignoresCase(const QString &folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    return true;
#else
    QString existing = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo::exists(existing) && existing.size() > 1)
        existing = QFileInfo(existing).path();
    const QString name = QFileInfo(existing).fileName();
    QString swapped = name;
    for (QChar &c : swapped)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    if (swapped == name)
        return false;
    struct stat own = {}, other = {};
    const QString otherPath = QFileInfo(existing).path() + QLatin1Char('/') + swapped;
    return ::stat(QFile::encodeName(existing).constData(), &own) == 0
           && ::stat(QFile::encodeName(otherPath).constData(), &other) == 0
           && own.st_dev == other.st_dev && own.st_ino == other.st_ino;
#endif
}

// The file `path` leads to, as "file DEVICE:INODE"; empty where it does
// not exist (or on Windows).
QString fileKey(const QString &path)
{
#ifndef Q_OS_WIN
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return QStringLiteral("file %1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
#else
    Q_UNUSED(path);
#endif
    return {};
}

// What identifies an output on its file system: the file itself when it
// exists (two links to one file are one output), else its path, without
// case where the folder ignores it.
QString outputKey(const QString &output, QHash<QString, bool> &caseless)
{
    const QString file = fileKey(output);
    if (!file.isEmpty())
        return file;
    const QFileInfo info(output);
    const QString folder = info.absolutePath();
    auto found = caseless.find(folder);
    if (found == caseless.end())
        found = caseless.insert(folder, ignoresCase(folder));
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    return found.value() ? path.toCaseFolded() : path;
}

// An output that is an input's file, through a link or a hard link: refused
// for that, as the writer would refuse it, and not taken for a collision.
void refuseInputsAsOutputs(std::vector<Task> &tasks)
{
    QHash<QString, size_t> inputs;
    for (size_t i = 0; i < tasks.size(); ++i) {
        const QString key = fileKey(tasks[i].input);
        if (!key.isEmpty())
            inputs.insert(key, i);
    }
    for (size_t i = 0; i < tasks.size(); ++i) {
        const auto found = inputs.constFind(fileKey(tasks[i].output));
        if (tasks[i].state != State::Pending || found == inputs.cend())
            continue;
        tasks[i].record = {ConversionOutcome::WriteFailed,
                           found.value() == i ? QStringLiteral("would overwrite the input file")
                                              : QStringLiteral("would overwrite the input file %1")
                                                    .arg(tasks[found.value()].shown),
                           -1};
        tasks[i].fail(failureText(tasks[i]));
    }
}

// a.shx and a.shp in one folder would write one a.fnt: the compiled font is
// what other programs read, so it is converted and its source skipped.
// Returns what is left of `group`.
QList<size_t> preferCompiledFonts(std::vector<Task> &tasks, const QList<size_t> &group)
{
    QList<size_t> left;
    for (size_t i : group) {
        const auto font = std::find_if(group.cbegin(), group.cend(), [&](size_t j) {
            return tasks[j].from == Format::Shx
                   && QFileInfo(tasks[j].input).absolutePath() == QFileInfo(tasks[i].input).absolutePath();
        });
        if (tasks[i].from != Format::Shp || font == group.cend()) {
            left.append(i);
            continue;
        }
        tasks[i].state = State::Skipped;
        tasks[i].failure = QStringLiteral("%1 becomes the same %2")
                               .arg(tasks[*font].shown, io::printablePath(tasks[i].output));
    }
    return left;
}

// Two inputs that would write one file: convert neither, so that no result
// silently replaces another.
void refuseCollisions(std::vector<Task> &tasks)
{
    QHash<QString, bool> caseless;
    QHash<QString, QList<size_t>> byOutput;
    QStringList order;
    for (size_t i = 0; i < tasks.size(); ++i) {
        if (tasks[i].state != State::Pending)
            continue;
        const QString key = outputKey(tasks[i].output, caseless);
        if (!byOutput.contains(key))
            order << key;
        byOutput[key].append(i);
    }
    for (const QString &key : std::as_const(order)) {
        if (byOutput[key].size() < 2)
            continue;
        const QList<size_t> group = preferCompiledFonts(tasks, byOutput[key]);
        if (group.size() < 2)
            continue;
        for (size_t i : group) {
            QStringList others;
            for (size_t j : group) {
                if (j != i)
                    others.append(tasks[j].shown);
            }
            tasks[i].fail(QStringLiteral("would be written to %1, as would %2; neither is converted")
                              .arg(io::printablePath(tasks[i].output), others.join(QStringLiteral(", "))));
        }
    }
}

} // namespace

const QStringList kInputSuffixes{QStringLiteral("shx"), QStringLiteral("shp")};
const QStringList kOutputSuffixes{QStringLiteral("fnt"), QStringLiteral("shx"), QStringLiteral("shp")};

QString suffixOf(Format format)
{
    switch (format) {
    case Format::Shx:
        return QStringLiteral("shx");
    case Format::Shp:
        return QStringLiteral("shp");
    case Format::Fnt:
        break;
    }
    return QStringLiteral("fnt");
}

QString nameOf(Format format)
{
    return suffixOf(format).toUpper();
}

QString failureText(const Task &task)
{
    const ConversionFailure &failure = task.record;
    const bool read = failure.outcome == ConversionOutcome::ReadFailed;
    const Format format = read ? task.from : task.to;
    const QString text = format == Format::Shx || format == Format::Fnt
                             ? outcomeText(failure.outcome)
                             : QStringLiteral("Failed to %1 %2 file")
                                   .arg(read ? QStringLiteral("read") : QStringLiteral("write"),
                                        nameOf(format));
    return failure.reason.isEmpty() ? text : text + QStringLiteral(": ") + failure.reason;
}

Format formatNamed(const QString &suffix, Format otherwise)
{
    for (const Format format : {Format::Fnt, Format::Shx, Format::Shp}) {
        if (suffix.compare(suffixOf(format), Qt::CaseInsensitive) == 0)
            return format;
    }
    return otherwise;
}

Format formatOf(const QString &path, Format otherwise)
{
    return formatNamed(QFileInfo(path).suffix(), otherwise);
}

Format sourceFormat(const QString &input, Format to)
{
    if (to == Format::Shx)
        return Format::Shp;
    if (to == Format::Shp)
        return Format::Shx;
    return formatOf(input, Format::Shx) == Format::Shp ? Format::Shp : Format::Shx;
}

void prepareOutputs(std::vector<Task> &tasks, Overwrite overwrite)
{
    for (Task &task : tasks) {
        if (task.state != State::Pending)
            continue;
        const QString keep = reasonToKeep(task, overwrite);
        if (!keep.isEmpty()) {
            task.state = State::Skipped;
            task.failure = keep;
            continue;
        }
        const QString folder = QFileInfo(task.output).path();
        const io::WriteResult made = io::makeFolders(folder);
        if (!made.ok)
            task.fail(QStringLiteral("cannot create the folder %1: %2").arg(io::printablePath(folder), made.reason));
    }
}

std::vector<Task> planTasks(const QStringList &paths, const QString &destination, bool recursive,
                            Format to)
{
    const InputScan scan{sourceSuffixes(to), recursive};
    std::vector<Task> tasks;
    for (const Input &input : collectInputs(paths, scan)) {
        Task task;
        task.input = input.path;
        task.shown = input.printable;
        task.relative = input.relative;
        task.nameIsText = input.nameIsText;
        task.folder = input.folder;
        task.noFonts = input.noFonts;
        task.to = to;
        task.from = sourceFormat(input.path, to);
        if (input.failed()) {
            task.fail(input.failure);
        } else if (hasSuffixOf(input.path, {suffixOf(to)})) {
            // Named as it is: converting it would only write it over itself.
            task.from = to;
            task.state = State::Skipped;
            task.failure = QStringLiteral("already an %1 file").arg(nameOf(to));
        }
        tasks.push_back(task);
    }
    planOutputs(tasks, destination, scan.recursive);
    refuseInputsAsOutputs(tasks);
    refuseCollisions(tasks);
    return tasks;
}

QString reasonToKeep(const Task &task, Overwrite overwrite)
{
    if (overwrite == Overwrite::Replace)
        return {};
    const QFileInfo output(task.output);
    if (!output.exists())
        return {};
    if (overwrite == Overwrite::Keep)
        return QStringLiteral("%1 exists").arg(io::printablePath(task.output));
    const QFileInfo input(task.input);
    if (input.exists() && output.lastModified() >= input.lastModified())
        return QStringLiteral("%1 is up to date").arg(io::printablePath(task.output));
    return {};
}

QString makeOutputFolder(const QString &destination)
{
    const io::WriteResult made = io::makeFolders(destination);
    return made.ok ? QString()
                   : QStringLiteral("cannot create the output folder %1: %2")
                         .arg(io::printablePath(destination), made.reason);
}

} // namespace cli::convert
