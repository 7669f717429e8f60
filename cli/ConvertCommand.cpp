// Converting: one SHX file into a named FNT file, or many files and folders
// at once on several threads.
#include "Commands.h"

#include "Inputs.h"

#include "io/FileAccess.h"
#include "job/ConversionJob.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextStream>
#include <QThread>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace cli {

namespace {

const QLatin1String kShxSuffix("shx");
constexpr int kShownPathLength = 60;
constexpr int kThreadsPerCore = 2;

struct Options
{
    bool useCodePage = false;
    int codePageIndex = 0;
};

// One SHX file to convert, or one input that cannot be.
struct Task
{
    QString input;
    QString shown; // the input as it may be printed
    QString output;
    QString failure; // set when the task failed before or during conversion
    bool done = false; // converted, failed or skipped; not so when a batch was stopped
};

bool isShxName(const QString &path)
{
    return QFileInfo(path).suffix().compare(kShxSuffix, Qt::CaseInsensitive) == 0;
}

// One conversion with its own job, set up as the dialog's Apply sets it.
ConversionFailure convertWithJob(const QString &input, const QString &output,
                                 const Options &options)
{
    ConversionJob job;
    job.shxPath = input;
    job.fntPath = output;
    job.useCodePage = options.useCodePage;
    job.codePageIndex = options.codePageIndex;
    job.convert();
    return job.failure;
}

// "Failed to read SHX file: the shape table runs past the end of the file (...)"
QString failureText(const ConversionFailure &failure)
{
    const QString text = outcomeText(failure.outcome);
    return failure.reason.isEmpty() ? text : text + QStringLiteral(": ") + failure.reason;
}

// The dialog's outcome text; a failure names the file and says why.
int convertOne(const QString &input, const QString &output, const Options &options)
{
    const ConversionFailure failure = convertWithJob(input, output, options);
    if (!failure.failed()) {
        QTextStream(stdout) << outcomeText(ConversionOutcome::Converted) << "\n";
        return Success;
    }
    const QString &about = failure.outcome == ConversionOutcome::WriteFailed ? output : input;
    QTextStream(stderr) << "varnel-cli: " << io::printableName(QDir::toNativeSeparators(about))
                        << ": " << failureText(failure) << "\n";
    return Failure;
}

QList<Task> tasksFor(const QStringList &paths, bool recursive)
{
    QList<Task> tasks;
    InputScan scan;
    scan.recursive = recursive;
    for (const Input &input : collectInputs(paths, scan))
        tasks.append({input.path, input.printable, {}, input.failure});
    return tasks;
}

// font.shx becomes font.fnt, in the output folder or beside the input.
void planOutputs(QList<Task> &tasks, const QString &outputDir)
{
    for (Task &task : tasks) {
        if (!task.failure.isEmpty())
            continue;
        const QFileInfo info(task.input);
        const QDir dir = outputDir.isEmpty() ? info.dir() : QDir(outputDir);
        task.output = dir.filePath(info.completeBaseName() + QStringLiteral(".fnt"));
    }
}

// Two inputs with one base name would write one file: convert neither, so
// that no result silently replaces another. Names are compared without case
// because many file systems do so.
void refuseCollisions(QList<Task> &tasks)
{
    QHash<QString, QList<int>> byOutput;
    for (int i = 0; i < tasks.size(); ++i) {
        if (tasks[i].failure.isEmpty())
            byOutput[QFileInfo(tasks[i].output).absoluteFilePath().toCaseFolded()].append(i);
    }
    for (const QList<int> &group : std::as_const(byOutput)) {
        if (group.size() < 2)
            continue;
        for (int i : group) {
            QStringList others;
            for (int j : group) {
                if (j != i)
                    others.append(tasks[j].shown);
            }
            tasks[i].failure = QStringLiteral("would be written to %1, as would %2; "
                                              "neither is converted")
                                   .arg(io::printableName(tasks[i].output),
                                        others.join(QStringLiteral(", ")));
        }
    }
}

// The signal that asked a batch to stop, or 0. Conversions already running
// finish (each takes about a second at worst) and remove their own temporary
// files; no new one starts.
volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void stopBatch(int signal)
{
    if (g_stopSignal == 0)
        g_stopSignal = signal;
}

// Installs stopBatch for the batch's lifetime.
class StopSignals
{
public:
    StopSignals()
    {
#ifndef Q_OS_WIN
        struct sigaction action = {};
        action.sa_handler = stopBatch;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < kCount; ++i)
            sigaction(kSignals[i], &action, &m_previous[i]);
#else
        m_previous[0] = std::signal(SIGINT, stopBatch);
        m_previous[1] = std::signal(SIGTERM, stopBatch);
#endif
    }
    ~StopSignals()
    {
#ifndef Q_OS_WIN
        for (int i = 0; i < kCount; ++i)
            sigaction(kSignals[i], &m_previous[i], nullptr);
#else
        std::signal(SIGINT, m_previous[0]);
        std::signal(SIGTERM, m_previous[1]);
#endif
    }
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

private:
#ifndef Q_OS_WIN
    static constexpr int kCount = 3;
    static constexpr int kSignals[kCount] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_previous[kCount];
#else
    void (*m_previous[2])(int);
#endif
};

class ProgressLine
{
public:
    ProgressLine(bool enabled, int total) : m_enabled(enabled), m_total(total) {}

    void started(const QString &path)
    {
        if (!m_enabled)
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_started;
        // Kept to one line of a narrow terminal, or the next one cannot erase it.
        QString shown = path;
        if (shown.size() > kShownPathLength)
            shown = QStringLiteral("...") + shown.right(kShownPathLength - 3);
        QTextStream(stderr) << "\r\033[K[" << m_started << "/" << m_total << "] " << shown;
    }
    void finish()
    {
        if (m_enabled)
            QTextStream(stderr) << "\r\033[K";
    }

private:
    std::mutex m_mutex;
    bool m_enabled;
    int m_total;
    int m_started = 0;
};

// Each conversion has its own job; results land at the task's own index,
// so the outcome does not depend on the number of threads.
void convertAll(QList<Task> &tasks, const Options &options, int threadCount)
{
    QList<int> pending;
    for (int i = 0; i < tasks.size(); ++i) {
        if (tasks[i].failure.isEmpty())
            pending.append(i);
    }
    std::vector<ConversionFailure> outcomes(size_t(tasks.size()));
    std::vector<char> finished(size_t(tasks.size()), 0);
    ProgressLine progress(stderrIsTerminal(), int(pending.size()));
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int k = next++; k < pending.size() && !g_stopSignal; k = next++) {
            const Task &task = tasks.at(pending.at(k));
            progress.started(task.shown);
            outcomes[size_t(pending.at(k))] = convertWithJob(task.input, task.output, options);
            finished[size_t(pending.at(k))] = 1;
        }
    };
    // More threads than inputs, or many more than cores, only cost memory.
    const int workers = qBound(1, threadCount, qMin(qMax(1, int(pending.size())), kThreadsPerCore * QThread::idealThreadCount()));
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
    progress.finish();

    // Messages are made here, on the main thread, where translation lives.
    for (int i : std::as_const(pending)) {
        Task &task = tasks[i];
        task.done = finished[size_t(i)];
        const ConversionFailure &failure = outcomes[size_t(i)];
        if (failure.failed())
            task.failure = failureText(failure);
    }
}

// "Converted X of Y SHX fonts." on standard output, then what did not
// convert on standard error.
int printSummary(const QList<Task> &tasks)
{
    QList<const Task *> failed;
    int converted = 0;
    int notStarted = 0;
    for (const Task &task : tasks) {
        if (!task.failure.isEmpty())
            failed.append(&task);
        else if (task.done)
            ++converted;
        else
            ++notStarted;
    }
    QStringList counts;
    if (!failed.isEmpty())
        counts << QStringLiteral("%1 failed").arg(failed.size());
    if (notStarted > 0)
        counts << QStringLiteral("%1 not started").arg(notStarted);
    const auto total = tasks.size();
    QTextStream(stdout) << "Converted " << converted << " of " << total
                        << (total == 1 ? " SHX font" : " SHX fonts")
                        << (counts.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(counts.join(QStringLiteral(", "))))
                        << ".\n";
    if (failed.isEmpty())
        return Success;
    QTextStream err(stderr);
    err << failed.size() << (failed.size() == 1 ? " input failed:\n" : " inputs failed:\n");
    for (const Task *task : std::as_const(failed))
        err << "  " << task->shown << ": " << task->failure << "\n";
    return Failure;
}

} // namespace

int runConvert(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts SHX shape fonts (shape fonts, unifont files and big fonts) into FNT vector "
        "fonts.\n\n"
        "  varnel-cli INPUT.shx OUTPUT.fnt      converts one font into the named file\n"
        "  varnel-cli FILE-OR-FOLDER...         converts each into NAME.fnt beside it\n"
        "                                       (or into --output-dir)\n"
        "  varnel-cli inspect FILE.fnt...       checks FNT files and summarises them\n"
        "  varnel-cli preview FONT -o SHEET.png draws every glyph (also .svg)\n\n"
        "Exit status: 0 when every input converted, 1 when some failed, 2 on a usage error."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption codePage(
        QStringLiteral("code-page"),
        QStringLiteral("Code page of a big font's character codes: %1. "
                       "Without it the code page is detected from the font.")
            .arg(kCodePageNames.join(QStringLiteral(", "))),
        QStringLiteral("name"));
    const QCommandLineOption outputDir({QStringLiteral("o"), QStringLiteral("output-dir")},
                                       QStringLiteral("Write every FNT file into <dir>."),
                                       QStringLiteral("dir"));
    const QCommandLineOption recursive({QStringLiteral("r"), QStringLiteral("recursive")},
                                       QStringLiteral("Look for SHX files in sub-folders too."));
    const QCommandLineOption jobs({QStringLiteral("j"), QStringLiteral("jobs")},
                                  QStringLiteral("Convert on <n> threads (default: %1, the "
                                                 "number of cores).")
                                      .arg(QThread::idealThreadCount()),
                                  QStringLiteral("n"));
    parser.addOptions({codePage, outputDir, recursive, jobs});
    parser.addPositionalArgument(QStringLiteral("input"),
                                 QStringLiteral("SHX files or folders holding them."),
                                 QStringLiteral("input..."));
    parser.addPositionalArgument(QStringLiteral("output"),
                                 QStringLiteral("With a single input file: the FNT file to write."),
                                 QStringLiteral("[output.fnt]"));

    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Success);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    Options options;
    if (parser.isSet(codePage)) {
        options.codePageIndex = codePageIndex(parser.value(codePage));
        if (options.codePageIndex < 0)
            return usageError(QStringLiteral("unknown code page '%1'").arg(parser.value(codePage)));
        options.useCodePage = true;
    }
    int threadCount = QThread::idealThreadCount();
    if (parser.isSet(jobs)) {
        bool ok = false;
        threadCount = parser.value(jobs).toInt(&ok);
        if (!ok || threadCount < 1)
            return usageError(QStringLiteral("-j needs a whole number of threads, 1 or more"));
    }

    const QStringList paths = parser.positionalArguments();
    if (paths.isEmpty())
        return usageError(QStringLiteral("expected an input SHX file and an output FNT file, "
                                         "or SHX files and folders to convert"));
    // INPUT OUTPUT: the second path names the result unless it is itself
    // an SHX file or a folder to convert.
    const bool batchOptions = parser.isSet(outputDir) || parser.isSet(recursive);
    if (paths.size() == 2 && !batchOptions && !isShxName(paths.at(1))
        && !QFileInfo(paths.at(1)).isDir())
        return convertOne(paths.at(0), paths.at(1), options);

    const QString outputFolder = parser.value(outputDir);
    if (!outputFolder.isEmpty() && !QDir().mkpath(outputFolder)) {
        QTextStream(stderr) << "varnel-cli: cannot create the output folder "
                            << io::printableName(outputFolder) << "\n";
        return Failure;
    }
    QList<Task> tasks = tasksFor(paths, parser.isSet(recursive));
    planOutputs(tasks, outputFolder);
    refuseCollisions(tasks);
    const StopSignals stopSignals;
    convertAll(tasks, options, threadCount);
    const int status = printSummary(tasks);
    return g_stopSignal ? 128 + int(g_stopSignal) : status;
}

} // namespace cli
