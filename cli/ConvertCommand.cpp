// Converting: one SHX file into a named FNT file, or many files and folders
// at once on several threads, beside themselves or into a folder. Reads as
// options, plan, run, report; each has its own file.
#include "Commands.h"
#include "ConvertOptions.h"
#include "ConvertPlan.h"
#include "ConvertReport.h"
#include "ConvertRun.h"

#include "io/FileAccess.h"
#include "io/TemporaryFiles.h"

#include <QCoreApplication>
#include <QTextStream>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace cli {

namespace {

using namespace convert;

// INPUT OUTPUT.fnt: as the dialog's Apply converts; OUTPUT.shx compiles a
// source, OUTPUT.shp decompiles a font.
int convertSingle(const QString &input, const QString &output, const Options &options)
{
    Task task;
    task.input = input;
    task.shown = io::printablePath(input);
    task.output = output;
    task.to = options.to;
    task.from = sourceFormat(input, options.to);
    const QString keep = reasonToKeep(task, options.overwrite);
    if (!keep.isEmpty()) {
        task.state = State::Skipped;
        task.failure = keep;
    } else {
        io::installInterruptCleanup(); // removes the temporary file and ends at once
        convertTask(task, options);
    }
    return reportSingle(task, options);
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

    Request request;
    int status = Success;
    if (!readRequest(app.arguments(), request, status))
        return status;
    if (request.single)
        return convertSingle(request.paths.first(), request.destination, request.options);
    // Planned whole before anything is made or written.
    std::vector<Task> tasks = planTasks(request.paths, request.destination, request.recursive,
                                         request.options.to);
    for (const Task &task : tasks) {
        // Most likely meant as the destination.
        if (task.noFonts)
            return usageError(QStringLiteral("%1: %2; to convert into it, use -o %1")
                                  .arg(task.shown, task.failure));
    }
    const QString folderFailure =
        request.destinationNamed ? makeOutputFolder(request.destination) : QString();
    if (!folderFailure.isEmpty()) {
        if (!request.options.json) {
            QTextStream(stderr) << "varnel-cli: " << folderFailure << "\n";
            return Failure;
        }
        // --json: a document all the same, every input failed for the folder.
        for (Task &task : tasks) {
            if (task.state == State::Pending)
                task.fail(folderFailure);
        }
        return printSummary(tasks, request.options, 0);
    }
    prepareOutputs(tasks, request.options.overwrite);
    stopOnInterrupt();
    convertAll(tasks, request.options, request.threadCount);
    status = printSummary(tasks, request.options, stopSignal());
    return stopSignal() ? 128 + stopSignal() : status;
}

} // namespace cli
