// Running conversions on threads: large fonts first, results in each task's
// own place, and no new conversion once interrupted.
#include "ConvertRun.h"
#include "Commands.h"
#include "ConvertPlan.h"
#include "ConvertReport.h"
#include "ConvertWarnings.h"
#include "ShxInput.h"

#include "io/FileAccess.h"
#include "io/SafeWrite.h"
#include "io/TemporaryFiles.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>

namespace cli::convert {

namespace {

// Set from the interrupt handler: no new conversion starts.
std::atomic<int> g_stopSignal{0};

extern "C" void stopBatch(int signal)
{
    g_stopSignal.store(signal);
}

bool failRead(Task &task, const QString &reason)
{
    task.record = {ConversionOutcome::ReadFailed, reason, -1};
    task.fail(failureText(task));
    return false;
}

// Writes an output of any format, as the conversion writes FNT files.
bool writeOutput(Task &task, const QByteArray &bytes)
{
    const io::WriteResult written = io::writeFileSafely(task.output, bytes, task.input, {suffixOf(task.to)});
    if (!written.ok) {
        task.record = {ConversionOutcome::WriteFailed, written.reason, -1};
        task.fail(failureText(task));
        return false;
    }
    task.fntSize = bytes.size();
    return true;
}

// The source compiled, read as SHX files are: a regular file, bounded.
// Its errors fail the task; they and its warnings are kept with their places.
bool compileSource(Task &task, QByteArray &shx)
{
    if (!isShpPath(task.input))
        return failRead(task, QStringLiteral("not an .shp file"));
    ShxInput input = readShxInput(task.input);
    if (!input.readFailure.isEmpty())
        return failRead(task, input.readFailure);
    task.sourceWarnings = input.warnings;
    task.sourceErrors = input.errors;
    if (!input.ok) {
        task.record = {ConversionOutcome::ReadFailed, errorCount(input.errors), -1};
        task.fail(input.reason());
        return false;
    }
    shx = input.shx;
    return true;
}

// What a loaded SHX font is, for the report of a compiled or decompiled one.
void describe(Task &task, const ConversionJob &job)
{
    task.state = State::Converted;
    task.fontKind = job.fontKind;
    task.glyphs = int(job.shapeMap.size()) - int(job.shapeMap.contains(0));
    if (job.fontKind & ConversionJob::kBigfontKind) {
        task.codePage = kCodePageNames.value(job.codePageKind);
        task.codePageForced = job.useCodePage;
    }
}

void compileTask(Task &task, const Options &options)
{
    QByteArray shx;
    if (!compileSource(task, shx) || !writeOutput(task, shx))
        return;
    ConversionJob job;
    job.loadShxBytes(shx);
    describe(task, job);
    task.codePage.clear(); // compiling reads no code page
    if (options.useCodePage)
        task.warnings << QStringLiteral("--code-page has no effect on compiling");
}

void decompileTask(Task &task, const Options &options)
{
    ConversionJob job;
    job.useCodePage = options.useCodePage;
    job.codePageIndex = options.codePageIndex;
    if (!job.loadShx(task.input)) {
        task.record = job.failure;
        if (!task.record.failed()) // as the conversion says it
            task.record = {ConversionOutcome::ReadFailed, QStringLiteral("not a font this program can read"), -1};
        task.fail(failureText(task));
        return;
    }
    QString reason;
    const QByteArray text = shp::decompile(job.loadedShx(), &reason,
                                           options.useCodePage ? options.codePageIndex : -1);
    if (text.isEmpty()) {
        failRead(task, reason);
        return;
    }
    if (!writeOutput(task, text))
        return;
    describe(task, job);
    const QString codePage = codePageWarning(job, options);
    if (!codePage.isEmpty())
        task.warnings << codePage;
}

// The FNT file made from the SHX file, or from the SHX font a source compiles
// to, under the input's own name.
bool makeFnt(Task &task, ConversionJob &job)
{
    if (task.from == Format::Shx) {
        job.shxPath = task.input;
        job.fntPath = task.output;
        job.convert();
        task.record = job.failure;
        return !job.failure.failed();
    }
    QByteArray shx;
    if (!compileSource(task, shx))
        return false;
    job.convertBytes(shx, QFileInfo(task.input).baseName());
    task.record = job.failure;
    return !job.failure.failed() && writeOutput(task, job.fntBytes);
}

void convertAndCheck(Task &task, const Options &options)
{
    QElapsedTimer timer;
    timer.start();
    ConversionJob job;
    job.useCodePage = options.useCodePage;
    job.codePageIndex = options.codePageIndex;
    const bool made = makeFnt(task, job);
    task.milliseconds = timer.elapsed();
    if (!made) {
        if (task.state != State::Failed)
            task.fail(failureText(task));
        return;
    }
    describe(task, job);
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

void runTask(Task &task, const Options &options)
{
    if (task.to == Format::Fnt) {
        convertAndCheck(task, options);
        return;
    }
    QElapsedTimer timer;
    timer.start();
    if (task.to == Format::Shx)
        compileTask(task, options);
    else
        decompileTask(task, options);
    task.milliseconds = timer.elapsed();
}

} // namespace

void convertTask(Task &task, const Options &options)
{
    // The conversion gives its own memory back when it runs out; checking
    // the image may run out too. Either way only this font fails.
    try {
        runTask(task, options);
    } catch (const std::bad_alloc &) {
        failRead(task, QStringLiteral("not enough memory to convert this font"));
    }
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

void stopOnInterrupt()
{
    io::installInterruptCleanup(stopBatch);
}

int stopSignal()
{
    return g_stopSignal.load();
}

} // namespace cli::convert
