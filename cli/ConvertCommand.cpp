// Converting: one SHX file into a named FNT file, or many files and folders
// at once on several threads.
#include "Commands.h"

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
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace cli {

namespace {

const QLatin1String kShxSuffix("shx");
constexpr int kShownPathLength = 60;

struct Options
{
    bool useCodePage = false;
    int codePageIndex = 0;
};

// One SHX file to convert, or one input that cannot be.
struct Task
{
    QString input;
    QString output;
    QString failure; // set when the task failed before or during conversion
};

bool isShxName(const QString &path)
{
    return QFileInfo(path).suffix().compare(kShxSuffix, Qt::CaseInsensitive) == 0;
}

// One conversion with its own job, set up as the dialog's Apply sets it.
ConversionOutcome convertWithJob(const QString &input, const QString &output,
                                 const Options &options)
{
    ConversionJob job;
    job.shxPath = input;
    job.fntPath = output;
    job.useCodePage = options.useCodePage;
    job.codePageIndex = options.codePageIndex;
    return job.convert();
}

// The exact form the dialog's run has always had on the command line: the
// outcome text alone, nothing else.
int convertOne(const QString &input, const QString &output, const Options &options)
{
    const ConversionOutcome outcome = convertWithJob(input, output, options);
    QTextStream(outcome == ConversionOutcome::Converted ? stdout : stderr)
        << outcomeText(outcome) << "\n";
    return outcome == ConversionOutcome::Converted ? Success : Failure;
}

// Inputs in the order given; a folder's SHX files sorted by path, so the
// summary reads the same on every run.
QList<Task> collectInputs(const QStringList &paths, bool recursive)
{
    QList<Task> tasks;
    QSet<QString> seen;
    const auto add = [&](const QString &path) {
        const QString key = QFileInfo(path).absoluteFilePath();
        if (!seen.contains(key)) {
            seen.insert(key);
            tasks.append({path, {}, {}});
        }
    };
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            tasks.append({path, {}, QStringLiteral("no such file or directory")});
            continue;
        }
        if (!info.isDir()) {
            add(path);
            continue;
        }
        // Unreadable files are listed too: they are reported, not skipped.
        QStringList found;
        QDirIterator it(path, {QStringLiteral("*.shx")}, QDir::Files,
                        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
        while (it.hasNext())
            found.append(it.next());
        if (found.isEmpty()) {
            tasks.append({path, {}, recursive ? QStringLiteral("no SHX files in this folder or below")
                                              : QStringLiteral("no SHX files in this folder")});
            continue;
        }
        found.sort();
        for (const QString &file : std::as_const(found))
            add(file);
    }
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
                    others.append(QDir::toNativeSeparators(tasks[j].input));
            }
            tasks[i].failure = QStringLiteral("would be written to %1, as would %2; "
                                              "neither is converted")
                                   .arg(QDir::toNativeSeparators(tasks[i].output),
                                        others.join(QStringLiteral(", ")));
        }
    }
}

// Says more than the outcome text where the file system can tell more.
QString readFailureDetail(const QString &path)
{
    if (!isShxName(path))
        return QStringLiteral("not an .shx file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return QStringLiteral("not a valid SHX font");
}

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
        QString shown = QDir::toNativeSeparators(path);
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
    std::vector<ConversionOutcome> outcomes(size_t(tasks.size()), ConversionOutcome::Converted);
    ProgressLine progress(stderrIsTerminal(), int(pending.size()));
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int k = next++; k < pending.size(); k = next++) {
            const Task &task = tasks.at(pending.at(k));
            progress.started(task.input);
            outcomes[size_t(pending.at(k))] = convertWithJob(task.input, task.output, options);
        }
    };
    const int workers = qBound(1, threadCount, qMax(1, int(pending.size())));
    std::vector<std::thread> threads;
    for (int t = 1; t < workers; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
    progress.finish();

    // Messages are made here, on the main thread, where translation lives.
    for (int i : std::as_const(pending)) {
        Task &task = tasks[i];
        const ConversionOutcome outcome = outcomes[size_t(i)];
        if (outcome == ConversionOutcome::ReadFailed)
            task.failure = QStringLiteral("%1 (%2)").arg(outcomeText(outcome),
                                                          readFailureDetail(task.input));
        else if (outcome == ConversionOutcome::WriteFailed)
            task.failure = QStringLiteral("%1 %2").arg(outcomeText(outcome),
                                                       QDir::toNativeSeparators(task.output));
    }
}

int printSummary(const QList<Task> &tasks)
{
    QList<const Task *> failed;
    int converted = 0;
    int fonts = 0;
    for (const Task &task : tasks) {
        if (!task.output.isEmpty())
            ++fonts;
        if (task.failure.isEmpty())
            ++converted;
        else
            failed.append(&task);
    }
    QTextStream(stdout) << "Converted " << converted << " of " << fonts
                        << (fonts == 1 ? " SHX font.\n" : " SHX fonts.\n");
    if (failed.isEmpty())
        return Success;
    QTextStream err(stderr);
    err << failed.size() << (failed.size() == 1 ? " input failed:\n" : " inputs failed:\n");
    for (const Task *task : std::as_const(failed))
        err << "  " << QDir::toNativeSeparators(task->input) << ": " << task->failure << "\n";
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
                            << QDir::toNativeSeparators(outputFolder) << "\n";
        return Failure;
    }
    QList<Task> tasks = collectInputs(paths, parser.isSet(recursive));
    planOutputs(tasks, outputFolder);
    refuseCollisions(tasks);
    convertAll(tasks, options, threadCount);
    return printSummary(tasks);
}

} // namespace cli
