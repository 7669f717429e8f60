// Converting: one SHX file into a named FNT file, or many files and folders
// at once on several threads, beside themselves or into a folder.
#include "Commands.h"
#include "Inputs.h"

#include "fnt/FntReader.h"
#include "io/FileAccess.h"
#include "io/TemporaryFiles.h"
#include "job/ConversionJob.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifndef Q_OS_WIN
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace cli {

namespace {

const QLatin1String kShxSuffix("shx");
const QLatin1String kFntSuffix(".fnt");
// More threads than this many per core only cost memory and start-up.
constexpr int kThreadsPerCore = 2;
// A glyph reaching further than this many font heights beyond its own box
// would shrink every other glyph of a sheet drawn to hold it.
constexpr int kFarHeights = 4;
// Warnings that list glyphs name at most this many.
constexpr int kListedGlyphs = 5;

enum class Overwrite { Replace, Keep, Update };
enum class Verbosity { Quiet, Normal, Verbose };

struct Options
{
    bool useCodePage = false;
    int codePageIndex = 0;
    Overwrite overwrite = Overwrite::Replace;
    Verbosity verbosity = Verbosity::Normal;
    bool json = false;
};

enum class State { Pending, Converted, Skipped, Failed, NotStarted };

// One input and what became of it.
struct Task
{
    QString input;
    QString shown;    // the input as it may be printed
    QString relative; // below its folder argument
    QString output;
    State state = State::Pending;
    QString failure; // as printed after the name; also why a task was skipped
    ConversionFailure record;

    // What a conversion made.
    qint32 fontKind = 0;
    int glyphs = 0;
    QString codePage; // big fonts only
    bool codePageForced = false;
    qint64 fntSize = 0;
    qint64 milliseconds = 0;
    QList<fnt::FntRange> ranges;
    fnt::FntExtents extents;
    QList<fnt::FntViolation> problems;
    QStringList warnings;

    void fail(const QString &why)
    {
        state = State::Failed;
        failure = why;
    }
};

bool isShxName(const QString &path)
{
    return QFileInfo(path).suffix().compare(kShxSuffix, Qt::CaseInsensitive) == 0;
}

bool isFntName(const QString &path)
{
    return path.endsWith(kFntSuffix, Qt::CaseInsensitive);
}

bool isFolderName(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) || path.endsWith(QDir::separator());
}

QString shownPath(const QString &path)
{
    return io::printableName(QDir::toNativeSeparators(path));
}

QString kindName(qint32 fontKind)
{
    return QLatin1String(fontKindName(fontKind));
}

// "Failed to read SHX file: the shape table runs past the end of the file (...)"
QString failureText(const ConversionFailure &failure)
{
    const QString text = outcomeText(failure.outcome);
    return failure.reason.isEmpty() ? text : text + QStringLiteral(": ") + failure.reason;
}

QString glyphList(const QStringList &items, int total)
{
    QString text = items.join(QStringLiteral(", "));
    if (total > items.size())
        text += QStringLiteral(" and %1 more").arg(total - items.size());
    return text;
}

// What a person should look at although the font converted. With `exact`
// the reader worked out every glyph's extents and `extents` unites them;
// otherwise a glyph's own are worked out only where the reader's bounds
// cannot tell whether it reaches far, or where it is listed.
QStringList warningsFor(const ConversionJob &job, const fnt::FntFont &font, const QByteArray &image,
                        const Options &options, bool exact, fnt::FntExtents &extents)
{
    QStringList warnings;
    if (!job.missingSubshapes.isEmpty()) {
        QStringList items;
        for (auto it = job.missingSubshapes.cbegin();
             it != job.missingSubshapes.cend() && items.size() < kListedGlyphs; ++it) {
            QStringList numbers;
            for (const quint16 number : it.value())
                numbers << QString::number(number);
            items << QStringLiteral("%1 (calls %2)").arg(it.key()).arg(numbers.join(QStringLiteral(", ")));
        }
        const int total = int(job.missingSubshapes.size());
        warnings << QStringLiteral("%1 %2 subshapes the font does not have: %3")
                        .arg(total)
                        .arg(total == 1 ? QStringLiteral("glyph calls") : QStringLiteral("glyphs call"),
                             glyphList(items, total));
    }
    if (!job.tooDeepGlyphs.isEmpty()) {
        QStringList items;
        for (const quint16 glyph : job.tooDeepGlyphs.mid(0, kListedGlyphs))
            items << QString::number(glyph);
        const int total = int(job.tooDeepGlyphs.size());
        warnings << QStringLiteral("%1 %2 where subshapes nest more than four levels deep: %3")
                        .arg(total)
                        .arg(total == 1 ? QStringLiteral("glyph stops") : QStringLiteral("glyphs stop"),
                             glyphList(items, total));
    }
    const double reach = double(kFarHeights) * qMax<qint16>(1, font.height);
    QStringList far;
    int farCount = 0;
    bool drawsSomething = false;
    for (const fnt::FntGlyph &glyph : font.glyphs) {
        if (glyph.bounds.empty)
            continue;
        drawsSomething = true;
        const double right = qMax<double>(glyph.advance, font.width);
        const auto reachesFar = [&](const fnt::FntExtents &box) {
            return !box.empty
                   && (box.minX < -reach || box.maxX > right + reach || box.minY < -reach
                       || box.maxY > font.height + reach);
        };
        fnt::FntExtents box;
        if (exact) {
            box = glyph.box;
            extents.unite(box);
        } else if (!reachesFar(glyph.bounds)) {
            continue; // the bounds hold the extents
        } else if (reachesFar(glyph.box) && far.size() >= kListedGlyphs) {
            ++farCount; // its lines and points alone reach far, and it is not listed
            continue;
        } else {
            box = fnt::FntReader::extentsOf(image, glyph);
        }
        if (reachesFar(box)) {
            if (far.size() < kListedGlyphs)
                far << QStringLiteral("%1 (x %L2 to %L3, y %L4 to %L5)")
                           .arg(glyph.code)
                           .arg(box.minX, 0, 'f', 0)
                           .arg(box.maxX, 0, 'f', 0)
                           .arg(box.minY, 0, 'f', 0)
                           .arg(box.maxY, 0, 'f', 0);
            ++farCount;
        }
    }
    if (font.glyphCount > 0 && !drawsSomething)
        warnings << QStringLiteral("the font draws nothing: none of its %L1 glyphs has a stroke")
                        .arg(font.glyphCount);
    if (farCount > 0)
        warnings << QStringLiteral("%1 %2 more than %3 font heights outside the font's box of "
                                   "height %4: %5")
                        .arg(farCount)
                        .arg(farCount == 1 ? QStringLiteral("glyph reaches") : QStringLiteral("glyphs reach"))
                        .arg(kFarHeights)
                        .arg(font.height)
                        .arg(glyphList(far, farCount));
    if (options.useCodePage && !(job.fontKind & ConversionJob::kBigfontKind))
        warnings << QStringLiteral("--code-page has no effect: this is not a big font");
    return warnings;
}

// One conversion with its own job, set up as the dialog's Apply sets it;
// safe to run on any thread.
void convertTask(Task &task, const Options &options)
{
    QElapsedTimer timer;
    timer.start();
    ConversionJob job;
    job.shxPath = task.input;
    job.fntPath = task.output;
    job.useCodePage = options.useCodePage;
    job.codePageIndex = options.codePageIndex;
    job.convert();
    task.milliseconds = timer.elapsed();
    task.record = job.failure;
    if (job.failure.failed()) {
        task.fail(failureText(job.failure));
        return;
    }
    task.state = State::Converted;
    task.fontKind = job.fontKind;
    if (job.fontKind & ConversionJob::kBigfontKind) {
        task.codePage = kCodePageNames.value(job.codePageKind);
        task.codePageForced = job.useCodePage;
    }
    task.fntSize = job.fntBytes.size();
    // The image as written, checked: what a user of the FNT file will see.
    // Only the glyphs' extents are needed, not their strokes.
    fnt::FntReader reader;
    reader.setKeepStrokes(false);
    reader.setExactExtents(options.json); // only --json shows every glyph's
    reader.read(job.fntBytes);
    const fnt::FntFont &font = reader.font();
    task.glyphs = font.glyphCount;
    task.ranges = font.ranges;
    task.problems = reader.violations();
    task.warnings = warningsFor(job, font, job.fntBytes, options, options.json, task.extents);
}

// -n and -u: whether the existing output stays as it is, and why.
QString reasonToKeep(const Task &task, Overwrite overwrite)
{
    if (overwrite == Overwrite::Replace)
        return {};
    const QFileInfo output(task.output);
    if (!output.exists())
        return {};
    if (overwrite == Overwrite::Keep)
        return QStringLiteral("%1 exists").arg(shownPath(task.output));
    const QFileInfo input(task.input);
    if (input.exists() && output.lastModified() >= input.lastModified())
        return QStringLiteral("%1 is up to date").arg(shownPath(task.output));
    return {};
}

// "FONT -> OUT: big font, 12 glyphs, code page gbc (detected), 3,456 bytes, 4 ms"
QString verboseLine(const Task &task)
{
    if (task.state == State::Skipped)
        return QStringLiteral("%1: skipped, %2").arg(task.shown, task.failure);
    QString line = QStringLiteral("%1 -> %2: %3, %L4 %5")
                       .arg(task.shown, shownPath(task.output), kindName(task.fontKind))
                       .arg(task.glyphs)
                       .arg(task.glyphs == 1 ? QStringLiteral("glyph") : QStringLiteral("glyphs"));
    if (!task.codePage.isEmpty())
        line += QStringLiteral(", code page %1 (%2)")
                    .arg(task.codePage,
                         task.codePageForced ? QStringLiteral("forced") : QStringLiteral("detected"));
    return line + QStringLiteral(", %L1 bytes, %L2 ms").arg(task.fntSize).arg(task.milliseconds);
}

QString stateName(const Task &task)
{
    switch (task.state) {
    case State::Converted:
        return QStringLiteral("converted");
    case State::Skipped:
        return QStringLiteral("skipped");
    case State::Failed:
        if (task.record.outcome == ConversionOutcome::ReadFailed)
            return QStringLiteral("read-failed");
        if (task.record.outcome == ConversionOutcome::WriteFailed)
            return QStringLiteral("write-failed");
        return QStringLiteral("failed");
    case State::Pending:
    case State::NotStarted:
        break;
    }
    return QStringLiteral("not-started");
}

QJsonObject jsonFor(const Task &task)
{
    QJsonObject file{{QStringLiteral("path"), task.input}, {QStringLiteral("outcome"), stateName(task)}};
    if (!task.output.isEmpty())
        file.insert(QStringLiteral("output"), task.output);
    if (task.state == State::Failed || task.state == State::Skipped)
        file.insert(QStringLiteral("reason"),
                    task.record.failed() ? task.record.reason : task.failure);
    if (task.record.position >= 0)
        file.insert(QStringLiteral("position"), task.record.position);
    if (task.state != State::Converted)
        return file;
    file.insert(QStringLiteral("kind"), kindName(task.fontKind));
    file.insert(QStringLiteral("glyphs"), task.glyphs);
    if (!task.codePage.isEmpty()) {
        file.insert(QStringLiteral("codePage"), task.codePage);
        file.insert(QStringLiteral("codePageForced"), task.codePageForced);
    }
    file.insert(QStringLiteral("fntBytes"), task.fntSize);
    file.insert(QStringLiteral("milliseconds"), task.milliseconds);
    QJsonArray ranges;
    for (const fnt::FntRange &range : task.ranges)
        ranges.append(QJsonArray{range.firstCode, range.lastCode});
    file.insert(QStringLiteral("ranges"), ranges);
    if (!task.extents.empty)
        file.insert(QStringLiteral("extents"),
                    QJsonObject{{QStringLiteral("minX"), task.extents.minX},
                                {QStringLiteral("minY"), task.extents.minY},
                                {QStringLiteral("maxX"), task.extents.maxX},
                                {QStringLiteral("maxY"), task.extents.maxY}});
    QJsonArray problems;
    for (const fnt::FntViolation &problem : task.problems)
        problems.append(QJsonObject{{QStringLiteral("position"), problem.position},
                                    {QStringLiteral("message"), problem.message}});
    file.insert(QStringLiteral("problems"), problems);
    file.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(task.warnings));
    return file;
}

// Columns of the terminal on standard error; 80 when it does not say.
int terminalWidth()
{
#ifndef Q_OS_WIN
    winsize size = {};
    if (::ioctl(fileno(stderr), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#endif
    const int columns = qEnvironmentVariableIntValue("COLUMNS");
    return columns > 0 ? columns : 80;
}

// What the batch prints while it runs: the progress line on a terminal, and
// each task's lines in input order as soon as every task before it is done.
class Reporter
{
public:
    Reporter(std::vector<Task> &tasks, const Options &options, int total)
        : m_tasks(tasks), m_options(options), m_total(total),
          m_progress(stderrIsTerminal() && !options.json && options.verbosity != Verbosity::Quiet),
          m_width(m_progress ? terminalWidth() : 0), m_done(tasks.size(), 0)
    {
        // Tasks settled before the batch are reported in their place at once.
        for (size_t i = 0; i < tasks.size(); ++i)
            m_done[i] = tasks[i].state != State::Pending;
    }

    void started(const Task &task)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_started;
        m_current = task.shown;
        drawProgress();
    }

    void finished(size_t index)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done[index] = 1;
        bool printed = false;
        while (m_next < m_tasks.size() && m_done[m_next]) {
            if (!printed)
                eraseProgress();
            printed = true;
            print(m_tasks[m_next++]);
        }
        if (printed)
            drawProgress();
    }

    // Everything not yet printed, once no task runs any more.
    void flush()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        eraseProgress();
        while (m_next < m_tasks.size())
            print(m_tasks[m_next++]);
        m_progress = false;
    }

private:
    void print(const Task &task)
    {
        if (m_options.json || m_options.verbosity == Verbosity::Quiet)
            return;
        if (m_options.verbosity == Verbosity::Verbose
            && (task.state == State::Converted || task.state == State::Skipped))
            QTextStream(stdout) << verboseLine(task) << "\n";
        QTextStream err(stderr);
        for (const QString &warning : task.warnings)
            err << "varnel-cli: " << task.shown << ": warning: " << warning << "\n";
    }

    // One line that fits the terminal, so the next one can erase it.
    void drawProgress()
    {
        if (!m_progress || m_current.isEmpty())
            return;
        QString line = QStringLiteral("[%1/%2] ").arg(m_started).arg(m_total);
        const int room = m_width - 1 - int(line.size());
        if (room >= 4)
            line += m_current.size() > room ? QStringLiteral("...") + m_current.right(room - 3) : m_current;
        QTextStream(stderr) << "\r\033[K" << line.left(qMax(0, m_width - 1));
    }
    void eraseProgress()
    {
        if (m_progress)
            QTextStream(stderr) << "\r\033[K";
    }

    std::mutex m_mutex;
    std::vector<Task> &m_tasks;
    const Options &m_options;
    int m_total;
    bool m_progress;
    int m_width;
    int m_started = 0;
    QString m_current;
    std::vector<char> m_done; // per task: its lines may be printed
    size_t m_next = 0;
};

// Set from the interrupt handler: no new conversion starts.
std::atomic<int> g_stopSignal{0};

extern "C" void stopBatch(int signal)
{
    g_stopSignal.store(signal);
}

// Large fonts first, so the longest conversion does not start last; each
// result lands at its task's own index, so the outcome and the order of the
// report do not depend on the number of threads.
void convertAll(std::vector<Task> &tasks, const Options &options, int threadCount)
{
    std::vector<size_t> pending;
    std::vector<qint64> sizes(tasks.size(), 0);
    for (size_t i = 0; i < tasks.size(); ++i) {
        if (tasks[i].state == State::Pending) {
            pending.push_back(i);
            sizes[i] = QFileInfo(tasks[i].input).size();
        }
    }
    std::stable_sort(pending.begin(), pending.end(),
                     [&sizes](size_t a, size_t b) { return sizes[a] > sizes[b]; });

    Reporter reporter(tasks, options, int(pending.size()));
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t k = next++; k < pending.size() && !g_stopSignal.load(); k = next++) {
            Task &task = tasks[pending[k]];
            reporter.started(task);
            convertTask(task, options);
            reporter.finished(pending[k]);
        }
    };
    const int most = qMin(int(qMax<size_t>(1, pending.size())),
                          kThreadsPerCore * qMax(1, QThread::idealThreadCount()));
    const int workers = qBound(1, threadCount, most);
    std::vector<std::thread> threads;
    for (int t = 1; t < workers; ++t) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error &) {
            break; // a thread the system refuses is one thread fewer
        }
    }
    work();
    for (std::thread &thread : threads)
        thread.join();
    for (Task &task : tasks) {
        if (task.state == State::Pending)
            task.state = State::NotStarted;
    }
    reporter.flush();
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

// What identifies an output on its file system: the file itself when it
// exists (two links to one file are one output), else its path, without
// case where the folder ignores it.
QString outputKey(const QString &output, QHash<QString, bool> &caseless)
{
#ifndef Q_OS_WIN
    struct stat st = {};
    if (::stat(QFile::encodeName(output).constData(), &st) == 0)
        return QStringLiteral("file %1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
#endif
    const QFileInfo info(output);
    const QString folder = info.absolutePath();
    auto found = caseless.find(folder);
    if (found == caseless.end())
        found = caseless.insert(folder, ignoresCase(folder));
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    return found.value() ? path.toCaseFolded() : path;
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
        const QList<size_t> &group = byOutput[key];
        if (group.size() < 2)
            continue;
        for (size_t i : group) {
            QStringList others;
            for (size_t j : group) {
                if (j != i)
                    others.append(tasks[j].shown);
            }
            tasks[i].fail(QStringLiteral("would be written to %1, as would %2; neither is converted")
                              .arg(shownPath(tasks[i].output), others.join(QStringLiteral(", "))));
        }
    }
}

// The summary on standard output, then what did not convert on standard error.
int printSummary(const std::vector<Task> &tasks, const Options &options)
{
    QList<const Task *> failed;
    int converted = 0, skipped = 0, notStarted = 0;
    for (const Task &task : tasks) {
        switch (task.state) {
        case State::Converted:
            ++converted;
            break;
        case State::Skipped:
            ++skipped;
            break;
        case State::Failed:
            failed.append(&task);
            break;
        case State::Pending:
        case State::NotStarted:
            ++notStarted;
            break;
        }
    }
    const int status = failed.isEmpty() ? Success : Failure;
    if (options.json) {
        QJsonArray files;
        for (const Task &task : tasks)
            files.append(jsonFor(task));
        QJsonObject document{{QStringLiteral("converted"), converted},
                             {QStringLiteral("skipped"), skipped},
                             {QStringLiteral("failed"), int(failed.size())},
                             {QStringLiteral("notStarted"), notStarted},
                             {QStringLiteral("files"), files}};
        if (g_stopSignal.load())
            document.insert(QStringLiteral("interruptedBy"), g_stopSignal.load());
        std::fputs(QJsonDocument(document).toJson(QJsonDocument::Indented).constData(), stdout);
        return status;
    }
    if (options.verbosity != Verbosity::Quiet || g_stopSignal.load()) {
        QStringList counts;
        if (skipped > 0)
            counts << QStringLiteral("%1 skipped").arg(skipped);
        if (!failed.isEmpty())
            counts << QStringLiteral("%1 failed").arg(failed.size());
        if (notStarted > 0)
            counts << QStringLiteral("%1 not started").arg(notStarted);
        const auto total = tasks.size();
        QTextStream(stdout) << "Converted " << converted << " of " << total
                            << (total == 1 ? " SHX font" : " SHX fonts")
                            << (counts.isEmpty() ? QString()
                                                 : QStringLiteral(" (%1)").arg(counts.join(QStringLiteral(", "))))
                            << ".\n";
    }
    if (failed.isEmpty())
        return status;
    QTextStream err(stderr);
    err << failed.size() << (failed.size() == 1 ? " input failed:\n" : " inputs failed:\n");
    for (const Task *task : std::as_const(failed))
        err << "  " << task->shown << ": " << task->failure << "\n";
    return status;
}

// INPUT OUTPUT.fnt: the dialog's outcome text; a failure names the file and
// says why.
int convertSingle(const QString &input, const QString &output, const Options &options)
{
    std::vector<Task> tasks(1);
    Task &task = tasks.front();
    task.input = input;
    task.shown = shownPath(input);
    task.output = output;
    const QString keep = reasonToKeep(task, options.overwrite);
    if (!keep.isEmpty()) {
        task.state = State::Skipped;
        task.failure = keep;
    } else {
        io::installInterruptCleanup(); // removes the temporary file and ends at once
        convertTask(task, options);
    }
    if (options.json)
        return printSummary(tasks, options);

    QTextStream out(stdout), err(stderr);
    if (task.state == State::Failed) {
        const QString &about = task.record.outcome == ConversionOutcome::WriteFailed ? output : input;
        err << "varnel-cli: " << shownPath(about) << ": " << task.failure << "\n";
        return Failure;
    }
    if (options.verbosity == Verbosity::Quiet)
        return Success;
    if (task.state == State::Skipped) {
        out << "Skipped: " << keep << "\n";
        return Success;
    }
    out << outcomeText(ConversionOutcome::Converted) << "\n";
    if (options.verbosity == Verbosity::Verbose)
        out << verboseLine(task) << "\n";
    out.flush();
    for (const QString &warning : std::as_const(task.warnings))
        err << "varnel-cli: " << task.shown << ": warning: " << warning << "\n";
    return Success;
}

// font.shx becomes font.fnt beside the input or, with a destination, in it;
// with -r below it as below the folder argument.
void planOutputs(std::vector<Task> &tasks, const QString &destination, bool mirror)
{
    for (Task &task : tasks) {
        if (task.state != State::Pending)
            continue;
        const QFileInfo info(task.input);
        const QString name = info.completeBaseName() + kFntSuffix;
        if (destination.isEmpty()) {
            task.output = info.dir().filePath(name);
            continue;
        }
        const QString below = mirror ? QFileInfo(task.relative).path() : QString();
        task.output = below.isEmpty() || below == QLatin1String(".")
                          ? QDir(destination).filePath(name)
                          : QDir(destination).filePath(below + QLatin1Char('/') + name);
    }
}

// -n, -u, and the folders a mirrored tree needs.
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
        if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
            task.fail(QStringLiteral("cannot create the folder %1").arg(shownPath(folder)));
    }
}

const char kDescription[] =
    "Converts SHX shape fonts (shape fonts, unifont files and big fonts) into FNT vector fonts.\n"
    "\n"
    "Examples:\n"
    "  varnel-cli font.shx font.fnt          one font into the named file\n"
    "  varnel-cli -o font.fnt font.shx       the same\n"
    "  varnel-cli a.shx b.shx                each into NAME.fnt beside itself\n"
    "  varnel-cli fonts                      every .shx in fonts, each beside itself\n"
    "  varnel-cli a.shx fonts converted/     into a folder: the last argument when it is\n"
    "                                        an existing folder or ends in / (made if missing)\n"
    "  varnel-cli -o converted a.shx fonts   into the folder converted (made if missing)\n"
    "  varnel-cli -r -o converted fonts      every .shx below fonts; fonts/a/x.shx becomes\n"
    "                                        converted/a/x.fnt\n"
    "  varnel-cli -u -r fonts                only where the FNT file is missing or older\n"
    "  varnel-cli --json -r fonts            a JSON report on standard output\n"
    "  varnel-cli inspect FONT-OR-FOLDER...  tells what SHX and FNT fonts are (--json)\n"
    "  varnel-cli preview FONT...            draws FONT.png here (-o SHEET.png|.svg)\n"
    "\n"
    "Outputs are replaced unless -n or -u is given. Two inputs that would write one file\n"
    "are both refused. An interrupted batch (Ctrl-C, SIGTERM, SIGHUP) removes its temporary\n"
    "files, prints its summary so far and exits with 128 + the signal number.\n"
    "\n"
    "Exit status: 0 when every input converted or was kept, 1 when some failed, 2 on a\n"
    "usage error.";

// The parser's help with our own usage lines: the program's name, not the
// path it was started by.
QString helpText(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: varnel-cli [options] INPUT.shx OUTPUT.fnt\n"
                          "       varnel-cli [options] INPUT... [FOLDER/]\n"
                          "       varnel-cli inspect ... | varnel-cli preview ...\n")
           + text.mid(end);
}

} // namespace

int runConvert(int argc, char *argv[])
{
#ifdef __GLIBC__
    // A conversion allocates and frees buffers of up to some megabytes.
    // glibc would map each afresh, so its pages fault in on every use and
    // the mapping calls make the threads wait on each other; kept in the
    // heap, the next conversion reuses them.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
    QCoreApplication app(argc, argv);
    nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version (-v is --version, not --verbose)."));
    const QCommandLineOption codePage(
        QStringLiteral("code-page"),
        QStringLiteral("Code page of a big font's character codes: %1. Without it the code page "
                       "is detected from the font; other fonts have none.")
            .arg(acceptedCodePageNames()),
        QStringLiteral("name"));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output"), QStringLiteral("output-dir")},
        QStringLiteral("With one input file and a <path> ending in .fnt: that file. Otherwise the "
                       "folder every FNT file goes into, made if missing."),
        QStringLiteral("path"));
    const QCommandLineOption recursive({QStringLiteral("r"), QStringLiteral("recursive")},
                                       QStringLiteral("Look for SHX files in sub-folders too; with a "
                                                      "destination folder, the tree is mirrored there."));
    const QCommandLineOption noClobber({QStringLiteral("n"), QStringLiteral("no-clobber")},
                                       QStringLiteral("Keep every FNT file that exists."));
    const QCommandLineOption update({QStringLiteral("u"), QStringLiteral("update")},
                                    QStringLiteral("Convert only where the FNT file is missing or "
                                                   "older than its SHX file."));
    const QCommandLineOption jobs({QStringLiteral("j"), QStringLiteral("jobs")},
                                  QStringLiteral("Convert on <n> threads (default: %1, the number of "
                                                 "cores; at most %2 per core and one per input).")
                                      .arg(QThread::idealThreadCount())
                                      .arg(kThreadsPerCore),
                                  QStringLiteral("n"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print only failures."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("One line per font: kind, glyphs, code page "
                                                    "(detected or forced), FNT size and time."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON document on standard output: per "
                                                 "file its path, outcome, reason, kind, glyph count, "
                                                 "ranges, extents, problems and warnings."));
    parser.addOptions({help, version, codePage, output, recursive, noClobber, update, jobs, quiet,
                       verbose, json});
    parser.addPositionalArgument(QStringLiteral("input"),
                                 QStringLiteral("SHX files or folders holding them."),
                                 QStringLiteral("input..."));
    parser.addPositionalArgument(QStringLiteral("output"),
                                 QStringLiteral("The FNT file for a single input, or the folder "
                                                "for all of them."),
                                 QStringLiteral("[output]"));

    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QTextStream(stdout) << helpText(parser);
        return Success;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << "varnel-cli " << QCoreApplication::applicationVersion() << "\n";
        return Success;
    }

    Options options;
    if (parser.isSet(codePage)) {
        options.codePageIndex = codePageIndex(parser.value(codePage));
        if (options.codePageIndex < 0)
            return usageError(QStringLiteral("unknown code page '%1'; accepted: %2")
                                  .arg(parser.value(codePage), acceptedCodePageNames()));
        options.useCodePage = true;
    }
    if (parser.isSet(noClobber) && parser.isSet(update))
        return usageError(QStringLiteral("-n keeps every FNT file, -u replaces older ones: give one"));
    if (parser.isSet(noClobber))
        options.overwrite = Overwrite::Keep;
    else if (parser.isSet(update))
        options.overwrite = Overwrite::Update;
    if (parser.isSet(quiet) && parser.isSet(verbose))
        return usageError(QStringLiteral("--quiet and --verbose: give one"));
    if (parser.isSet(quiet))
        options.verbosity = Verbosity::Quiet;
    else if (parser.isSet(verbose))
        options.verbosity = Verbosity::Verbose;
    options.json = parser.isSet(json);
    int threadCount = QThread::idealThreadCount();
    if (parser.isSet(jobs)) {
        bool ok = false;
        threadCount = parser.value(jobs).toInt(&ok);
        if (!ok || threadCount < 1)
            return usageError(QStringLiteral("-j needs a whole number of threads, 1 or more"));
    }

    QStringList paths = parser.positionalArguments();
    if (paths.isEmpty())
        return usageError(QStringLiteral("expected an input SHX file and an output FNT file, "
                                         "or SHX files and folders to convert"));
    QString destination;
    bool destinationNamed = false; // given as such: made if missing
    if (parser.isSet(output)) {
        destination = parser.value(output);
        destinationNamed = true;
        if (destination.isEmpty())
            return usageError(QStringLiteral("-o needs a path"));
        if (isFntName(destination) && !QFileInfo(destination).isDir()) {
            if (paths.size() != 1 || QFileInfo(paths.first()).isDir())
                return usageError(QStringLiteral("-o %1 names an FNT file, but there are several "
                                                 "inputs; name a folder instead")
                                      .arg(shownPath(destination)));
            return convertSingle(paths.first(), destination, options);
        }
    } else if (paths.size() >= 2) {
        const QString &last = paths.last();
        if (isFolderName(last) || QFileInfo(last).isDir()) {
            destination = paths.takeLast();
            destinationNamed = isFolderName(last);
        } else if (paths.size() == 2 && !parser.isSet(recursive) && !isShxName(last)) {
            return convertSingle(paths.at(0), paths.at(1), options);
        }
    }
    if (destinationNamed && !QFileInfo(destination).isDir() && !QDir().mkpath(destination)) {
        QTextStream(stderr) << "varnel-cli: cannot create the output folder "
                            << shownPath(destination) << "\n";
        return Failure;
    }

    InputScan scan;
    scan.recursive = parser.isSet(recursive);
    std::vector<Task> tasks;
    for (const Input &input : collectInputs(paths, scan)) {
        Task task;
        task.input = input.path;
        task.shown = input.printable;
        task.relative = input.relative;
        if (input.failed())
            task.fail(input.failure);
        tasks.push_back(task);
    }
    planOutputs(tasks, destination, scan.recursive);
    refuseCollisions(tasks);
    prepareOutputs(tasks, options.overwrite);

    io::installInterruptCleanup(stopBatch);
    convertAll(tasks, options, threadCount);
    const int status = printSummary(tasks, options);
    return g_stopSignal.load() ? 128 + g_stopSignal.load() : status;
}

} // namespace cli
