// Running conversions on threads: large fonts first, results in each task's
// own place, and no new conversion once interrupted.
#include "ConvertRun.h"
#include "Commands.h"
#include "ConvertReport.h"
#include "ConvertWarnings.h"

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

// "Failed to read SHX file: the shape table runs past the end of the file (...)"
QString failureText(const ConversionFailure &failure)
{
    const QString text = outcomeText(failure.outcome);
    return failure.reason.isEmpty() ? text : text + QStringLiteral(": ") + failure.reason;
}

} // namespace

namespace {

void convertAndCheck(Task &task, const Options &options)
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

} // namespace

void convertTask(Task &task, const Options &options)
{
    // The conversion gives its own memory back when it runs out; checking
    // the image may run out too. Either way only this font fails.
    try {
        convertAndCheck(task, options);
    } catch (const std::bad_alloc &) {
        task.record = {ConversionOutcome::ReadFailed,
                       QStringLiteral("not enough memory to convert this font"), -1};
        task.fail(failureText(task.record));
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
