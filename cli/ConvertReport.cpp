// What converting prints: progress, per-font lines and warnings, the summary
// and the JSON report.
#include "ConvertReport.h"
#include "Commands.h"
#include "ConvertPlan.h"

#include "io/FileAccess.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

#ifndef Q_OS_WIN
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace cli::convert {

namespace {

QString kindName(qint32 fontKind)
{
    return QLatin1String(fontKindName(fontKind));
}

// "FONT -> OUT: big font, 12 glyphs, code page gbc (detected), 3,456 bytes, 4 ms"
QString verboseLine(const Task &task)
{
    if (task.state == State::Skipped)
        return QStringLiteral("%1: skipped, %2").arg(task.shown, task.failure);
    const bool shapes = task.to != Format::Fnt;
    QString line = QStringLiteral("%1 -> %2: %3, %L4 %5")
                       .arg(task.shown, io::printablePath(task.output), kindName(task.fontKind))
                       .arg(task.glyphs)
                       .arg(shapes ? (task.glyphs == 1 ? QStringLiteral("shape") : QStringLiteral("shapes"))
                                   : (task.glyphs == 1 ? QStringLiteral("glyph") : QStringLiteral("glyphs")));
    if (!task.codePage.isEmpty())
        line += QStringLiteral(", code page %1 (%2)")
                    .arg(task.codePage,
                         task.codePageForced ? QStringLiteral("forced") : QStringLiteral("detected"));
    return line + QStringLiteral(", %L1 bytes, %L2 ms").arg(task.fntSize).arg(task.milliseconds);
}

// A source's errors as a compiler prints them: "font.shp:12:7: ...".
void printSourceErrors(const Task &task)
{
    QTextStream err(stderr);
    for (const QString &line : task.sourceErrors.lines(task.shown))
        err << line << "\n";
}

void printWarnings(const Task &task)
{
    QTextStream err(stderr);
    for (const QString &line : task.sourceWarnings.lines(task.shown, QStringLiteral("warning: ")))
        err << line << "\n";
    for (const QString &warning : task.warnings)
        err << "varnel-cli: " << task.shown << ": warning: " << warning << "\n";
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
    // A name that is not text shows its bytes escaped, marked so that it
    // cannot be taken for a name holding backslashes.
    const QString path = task.nameIsText ? task.input : task.shown;
    QJsonObject file{{QStringLiteral("path"), path}, {QStringLiteral("outcome"), stateName(task)}};
    if (!task.nameIsText)
        file.insert(QStringLiteral("pathEscaped"), true);
    if (!task.output.isEmpty())
        file.insert(QStringLiteral("output"), task.output);
    if (task.state == State::Failed || task.state == State::Skipped)
        file.insert(QStringLiteral("reason"),
                    task.record.failed() ? task.record.reason : task.failure);
    if (task.record.position >= 0)
        file.insert(QStringLiteral("position"), task.record.position);
    if (!task.sourceErrors.isEmpty())
        file.insert(QStringLiteral("errors"), QJsonArray::fromStringList(task.sourceErrors.lines(path)));
    if (task.state != State::Converted)
        return file;
    file.insert(QStringLiteral("kind"), kindName(task.fontKind));
    file.insert(QStringLiteral("glyphs"), task.glyphs);
    if (!task.codePage.isEmpty()) {
        file.insert(QStringLiteral("codePage"), task.codePage);
        file.insert(QStringLiteral("codePageForced"), task.codePageForced);
    }
    file.insert(QStringLiteral("milliseconds"), task.milliseconds);
    file.insert(QStringLiteral("warnings"),
                QJsonArray::fromStringList(task.sourceWarnings.lines(path) + task.warnings));
    if (task.to != Format::Fnt)
        return file;
    file.insert(QStringLiteral("fntBytes"), task.fntSize);
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

struct Counts
{
    int converted = 0;
    int skipped = 0;
    int notStarted = 0;
    QList<const Task *> failed;
};

Counts countTasks(const std::vector<Task> &tasks)
{
    Counts counts;
    for (const Task &task : tasks) {
        switch (task.state) {
        case State::Converted:
            ++counts.converted;
            break;
        case State::Skipped:
            ++counts.skipped;
            break;
        case State::Failed:
            counts.failed.append(&task);
            break;
        case State::Pending:
        case State::NotStarted:
            ++counts.notStarted;
            break;
        }
    }
    return counts;
}

void printJson(const std::vector<Task> &tasks, const Counts &counts, int interruptedBy)
{
    QJsonArray files;
    for (const Task &task : tasks)
        files.append(jsonFor(task));
    QJsonObject document{{QStringLiteral("converted"), counts.converted},
                         {QStringLiteral("skipped"), counts.skipped},
                         {QStringLiteral("failed"), int(counts.failed.size())},
                         {QStringLiteral("notStarted"), counts.notStarted},
                         {QStringLiteral("files"), files}};
    if (interruptedBy)
        document.insert(QStringLiteral("interruptedBy"), interruptedBy);
    std::fputs(QJsonDocument(document).toJson(QJsonDocument::Indented).constData(), stdout);
}

// "Converted", "Compiled", "Decompiled".
QString doneVerb(Format to)
{
    return to == Format::Shx   ? QStringLiteral("Compiled")
           : to == Format::Shp ? QStringLiteral("Decompiled")
                               : QStringLiteral("Converted");
}

// What the inputs of a batch are: "SHX font", "SHP fonts", "SHX and SHP fonts".
QString inputsNoun(const std::vector<Task> &tasks, size_t total)
{
    bool shx = false;
    bool shp = false;
    for (const Task &task : tasks) {
        if (!task.folder) {
            shx = shx || task.from == Format::Shx;
            shp = shp || task.from == Format::Shp;
        }
    }
    const QString formats = shx && shp ? QStringLiteral("SHX and SHP") : nameOf(shp ? Format::Shp : Format::Shx);
    return formats + (total == 1 ? QStringLiteral(" font") : QStringLiteral(" fonts"));
}

// "Converted 3 of 5 SHX fonts (1 skipped, 1 failed)."
void printCounts(const std::vector<Task> &tasks, Format to, const Counts &counts)
{
    const size_t total = size_t(std::count_if(tasks.cbegin(), tasks.cend(),
                                              [](const Task &task) { return !task.folder; }));
    QStringList parts;
    if (counts.skipped > 0)
        parts << QStringLiteral("%1 skipped").arg(counts.skipped);
    const auto folders = std::count_if(counts.failed.cbegin(), counts.failed.cend(),
                                       [](const Task *task) { return task->folder; });
    if (counts.failed.size() > folders)
        parts << QStringLiteral("%1 failed").arg(counts.failed.size() - folders);
    if (folders > 0)
        parts << (folders == 1 ? QStringLiteral("1 folder unreadable")
                               : QStringLiteral("%1 folders unreadable").arg(folders));
    if (counts.notStarted > 0)
        parts << QStringLiteral("%1 not started").arg(counts.notStarted);
    QTextStream(stdout) << doneVerb(to) << " " << counts.converted << " of " << total << " "
                        << inputsNoun(tasks, total)
                        << (parts.isEmpty() ? QString()
                                            : QStringLiteral(" (%1)").arg(parts.join(QStringLiteral(", "))))
                        << ".\n";
}

} // namespace

Reporter::Reporter(std::vector<Task> &tasks, const Options &options, int total)
    : m_tasks(tasks), m_options(options), m_total(total),
      m_progress(stderrIsTerminal() && !options.json && options.verbosity != Verbosity::Quiet),
      m_width(m_progress ? terminalWidth() : 0), m_done(tasks.size(), 0)
{
    // Tasks settled before the batch are reported in their place at once.
    for (size_t i = 0; i < tasks.size(); ++i)
        m_done[i] = tasks[i].state != State::Pending;
}

void Reporter::started(const Task &task)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_started;
    m_current = task.shown;
    drawProgress();
}

void Reporter::finished(size_t index)
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

void Reporter::flush()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    eraseProgress();
    while (m_next < m_tasks.size())
        print(m_tasks[m_next++]);
    m_progress = false;
}

void Reporter::print(const Task &task)
{
    if (m_options.json)
        return;
    printSourceErrors(task);
    if (m_options.verbosity == Verbosity::Quiet)
        return;
    if (m_options.verbosity == Verbosity::Verbose
        && (task.state == State::Converted || task.state == State::Skipped))
        QTextStream(stdout) << verboseLine(task) << "\n";
    printWarnings(task);
}

// One line that fits the terminal, so the next one can erase it.
void Reporter::drawProgress()
{
    if (!m_progress || m_current.isEmpty())
        return;
    QString line = QStringLiteral("[%1/%2] ").arg(m_started).arg(m_total);
    const int room = m_width - 1 - int(line.size());
    if (room >= 4)
        line += m_current.size() > room ? QStringLiteral("...") + m_current.right(room - 3) : m_current;
    QTextStream(stderr) << "\r\033[K" << line.left(qMax(0, m_width - 1));
}

void Reporter::eraseProgress()
{
    if (m_progress)
        QTextStream(stderr) << "\r\033[K";
}

int printSummary(const std::vector<Task> &tasks, const Options &options, int interruptedBy)
{
    const Counts counts = countTasks(tasks);
    const int status = counts.failed.isEmpty() ? Success : Failure;
    if (options.json) {
        printJson(tasks, counts, interruptedBy);
        return status;
    }
    if (options.verbosity != Verbosity::Quiet || interruptedBy)
        printCounts(tasks, options.to, counts);
    if (counts.failed.isEmpty())
        return status;
    QTextStream err(stderr);
    err << counts.failed.size() << (counts.failed.size() == 1 ? " input failed:\n" : " inputs failed:\n");
    // A write that failed names the file it could not write, as --verbose names outputs.
    for (const Task *task : std::as_const(counts.failed)) {
        err << "  " << task->shown;
        if (task->record.outcome == ConversionOutcome::WriteFailed)
            err << " -> " << io::printablePath(task->output);
        err << ": " << task->failure << "\n";
    }
    return status;
}

int reportSingle(const Task &task, const Options &options)
{
    if (options.json)
        return printSummary({task}, options, 0);

    QTextStream out(stdout), err(stderr);
    if (!task.sourceErrors.isEmpty()) {
        printSourceErrors(task);
        return Failure;
    }
    if (task.state == State::Failed) {
        const QString &about = task.record.outcome == ConversionOutcome::WriteFailed ? task.output : task.input;
        err << "varnel-cli: " << io::printablePath(about) << ": " << task.failure << "\n";
        return Failure;
    }
    if (options.verbosity == Verbosity::Quiet)
        return Success;
    if (task.state == State::Skipped) {
        out << "Skipped: " << task.failure << "\n";
        return Success;
    }
    out << (task.to == Format::Fnt ? outcomeText(ConversionOutcome::Converted)
                                   : doneVerb(task.to) + QStringLiteral(" successfully"))
        << "\n";
    if (options.verbosity == Verbosity::Verbose)
        out << verboseLine(task) << "\n";
    out.flush();
    printWarnings(task);
    return Success;
}

} // namespace cli::convert
